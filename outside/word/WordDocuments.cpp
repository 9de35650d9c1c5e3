#include "outside/word/WordDocuments.h"

#include <filesystem>

#include "outside/word/WordDocument.h"
#include "outside/word/WordServer.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"

namespace wordstub {

namespace {

const leaf::DispInterfaceDescription& DocumentsInterface() {
    auto optional = [](const char* name) { return leaf::ParamDescription{name, VT_VARIANT, true}; };
    static const leaf::DispInterfaceDescription description{
        "Documents",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A99}"),
        "The open documents",
        {{"Item", dispid::CollectionItem, leaf::MemberKind::Method, VT_DISPATCH, {{"Index", VT_VARIANT}}},
         {"Count", dispid::CollectionCount, leaf::MemberKind::PropertyGet, VT_I4},
         {"Add", dispid::DocumentsAdd, leaf::MemberKind::Method, VT_DISPATCH,
          {optional("Template"), optional("NewTemplate"), optional("DocumentType"), optional("Visible")}},
         {"Open", dispid::DocumentsOpen, leaf::MemberKind::Method, VT_DISPATCH,
          {{"FileName", VT_BSTR}, optional("ConfirmConversions"), optional("ReadOnly"),
           optional("AddToRecentFiles"), optional("PasswordDocument"), optional("PasswordTemplate"),
           optional("Revert"), optional("WritePasswordDocument"), optional("WritePasswordTemplate"),
           optional("Format"), optional("Encoding"), optional("Visible")}},
         {"Close", dispid::DocumentsClose, leaf::MemberKind::Method, VT_EMPTY,
          {optional("SaveChanges"), optional("OriginalFormat"), optional("RouteDocument")}}}};
    return description;
}

}  // namespace

const leaf::DispatchTable<CWordDocuments>& CWordDocuments::GetDispatchTable() {
    using K = leaf::MemberKind;
    static const leaf::DispatchTable<CWordDocuments> table(
        DocumentsInterface(), {{dispid::CollectionItem, K::Method, &CWordDocuments::Item},
                               {dispid::CollectionCount, K::PropertyGet, &CWordDocuments::Count},
                               {dispid::DocumentsAdd, K::Method, &CWordDocuments::Add},
                               {dispid::DocumentsOpen, K::Method, &CWordDocuments::Open},
                               {dispid::DocumentsClose, K::Method, &CWordDocuments::Close}});
    return table;
}

leaf::Variant CWordDocuments::Count(const leaf::DispatchArguments&) {
    m_session->CheckRunning();
    return leaf::Variant(static_cast<LONG>(m_session->documents.size()));
}

leaf::Variant CWordDocuments::Item(const leaf::DispatchArguments& arguments) {
    m_session->CheckRunning();
    leaf::Variant index;
    leaf::Variant number;
    if (SUCCEEDED(VariantCopyInd(&index, &arguments[0])) && index.vt != VT_BSTR &&
        SUCCEEDED(VariantChangeType(&number, &index, 0, VT_I4)) && number.lVal >= 1 &&
        static_cast<std::size_t>(number.lVal) <= m_session->documents.size())
        return leaf::Variant(static_cast<IDispatch*>(m_session->documents[number.lVal - 1].Get()));
    if (index.vt == VT_BSTR) {
        std::string name = index.ToUtf8();
        for (const leaf::ComPtr<CWordDocument>& document : m_session->documents)
            if (leaf::CompareNoCase(std::filesystem::path(document->Path()).filename().string(), name) == 0 ||
                leaf::CompareNoCase(document->Path(), name) == 0)
                return leaf::Variant(static_cast<IDispatch*>(document.Get()));
    }
    throw leaf::AutomationException(kWordErrorBadIndex, "The requested member of the collection does not exist.",
                                    "Word");
}

leaf::Variant CWordDocuments::Add(const leaf::DispatchArguments&) {
    m_session->CheckRunning();
    leaf::ComPtr<CWordDocument> document(new CWordDocument(m_session, std::string()));
    m_session->documents.push_back(document);
    return leaf::Variant(static_cast<IDispatch*>(document.Get()));
}

leaf::Variant CWordDocuments::Open(const leaf::DispatchArguments& arguments) {
    m_session->CheckRunning();
    std::string path = arguments.Utf8(0);
    CFileStatus status;
    if (path.empty() || !CFile::GetStatus(path.c_str(), status) || (status.m_attribute & CFile::directory) != 0)
        throw leaf::AutomationException(kWordErrorFileNotFound, "This file could not be found.\n(" + path + ")",
                                        "Word");
    // The document is read from the spelling found on disk.
    std::string found = status.m_szFullName.IsEmpty() ? path : status.m_szFullName.str();
    // A FIFO or device is no document: reading it could wait for ever, or act on a device.
    if (leaf::KindOfFile(found) == leaf::FileKind::Special)
        throw leaf::AutomationException(kWordErrorCommandFailed,
                                        "This file could not be opened: it is not a regular file.\n(" + path + ")",
                                        "Word");
    leaf::ComPtr<CWordDocument> document(new CWordDocument(m_session, found));
    m_session->documents.push_back(document);
    return leaf::Variant(static_cast<IDispatch*>(document.Get()));
}

leaf::Variant CWordDocuments::Close(const leaf::DispatchArguments&) {
    m_session->CheckRunning();
    m_session->documents.clear();
    return leaf::Variant();
}

}  // namespace wordstub
