#include "outside/word/WordApplication.h"

#include "outside/word/WordDocument.h"
#include "outside/word/WordDocuments.h"
#include "outside/word/WordServer.h"

namespace wordstub {

namespace {

const leaf::DispInterfaceDescription& ApplicationInterface() {
    auto optional = [](const char* name) { return leaf::ParamDescription{name, VT_VARIANT, true}; };
    static const leaf::DispInterfaceDescription description{
        "Application",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A9A}"),
        "The word processor",
        {{"Documents", dispid::ApplicationDocuments, leaf::MemberKind::PropertyGet, VT_DISPATCH},
         {"Version", dispid::ApplicationVersion, leaf::MemberKind::PropertyGet, VT_BSTR},
         {"Quit", dispid::ApplicationQuit, leaf::MemberKind::Method, VT_EMPTY,
          {optional("SaveChanges"), optional("OriginalFormat"), optional("RouteDocument")}}}};
    return description;
}

}  // namespace

CWordApplication::CWordApplication() : m_session(std::make_shared<WordSession>()) {}

const leaf::DispatchTable<CWordApplication>& CWordApplication::GetDispatchTable() {
    using K = leaf::MemberKind;
    static const leaf::DispatchTable<CWordApplication> table(
        ApplicationInterface(), {{dispid::ApplicationDocuments, K::PropertyGet, &CWordApplication::Documents},
                                 {dispid::ApplicationVersion, K::PropertyGet, &CWordApplication::Version},
                                 {dispid::ApplicationQuit, K::Method, &CWordApplication::Quit}});
    return table;
}

leaf::Variant CWordApplication::Documents(const leaf::DispatchArguments&) {
    m_session->CheckRunning();
    return leaf::Variant(static_cast<IDispatch*>(new CWordDocuments(m_session)));
}

leaf::Variant CWordApplication::Version(const leaf::DispatchArguments&) { return leaf::Variant(kWordVersion); }

leaf::Variant CWordApplication::Quit(const leaf::DispatchArguments&) {
    m_session->CheckRunning();
    m_session->documents.clear();
    m_session->quit = true;
    return leaf::Variant();
}

}  // namespace wordstub
