// A small automation server for the runtime's tests: a creatable object with a type
// library, optional and typed parameters, events through a connection point, and a
// string collection with an enumerator.

#include <string>
#include <vector>

#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchTable.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Module.h"
#include "platform/com/TypeLib.h"
#include "platform/com/VersionInfo.h"
#include "tests/platform/com/module/TestComIds.h"

LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Leafcraft Test Works")
    LEAF_VERSION_ENTRY("FileDescription", "Test automation server")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

using namespace testcom;
using leaf::MemberKind;

namespace {

const leaf::TypeLibDescription& TestLibrary() {
    static const leaf::TypeLibDescription library{
        "TestComLib",
        LIBID_TestComLib,
        1,
        0,
        "Leaf Test Automation Library",
        {{"enumColors", "Colours", {{"ColorRed", 1}, {"ColorGreen", 2}, {"ColorBlue", 4}}}},
        {
            {"_DTestObject",
             DIID__DTestObject,
             "Dispatch interface for the test object",
             {
                 {"Describe", DISPID_Describe, MemberKind::Method, VT_BSTR, {{"text", VT_BSTR}}, "Says what it got"},
                 {"Add", DISPID_Add, MemberKind::Method, VT_I4, {{"a", VT_I4}, {"b", VT_I4}}},
                 {"Configure",
                  DISPID_Configure,
                  MemberKind::Method,
                  VT_BSTR,
                  {{"name", VT_BSTR}, {"enabled", VT_BOOL}, {"extra", VT_VARIANT, true}}},
                 {"Fire", DISPID_Fire, MemberKind::Method, VT_BOOL, {{"count", VT_I4}}},
                 {"GetItems", DISPID_GetItems, MemberKind::Method, VT_DISPATCH},
                 {"Fail", DISPID_Fail, MemberKind::Method, VT_BOOL, {{"message", VT_BSTR}}},
                 {"Name", DISPID_Name, MemberKind::PropertyGet, VT_BSTR},
                 {"Name", DISPID_Name, MemberKind::PropertyPut, VT_EMPTY, {{"value", VT_BSTR}}},
                 {"Scale", DISPID_Scale, MemberKind::Method, VT_R8, {{"value", VT_R8}, {"factor", VT_I4, true}}},
             }},
            {"_DTestObjectEvents",
             DIID__DTestObjectEvents,
             "Event interface for the test object",
             {
                 {"OnTick", DISPID_OnTick, MemberKind::Method, VT_EMPTY, {{"index", VT_I4}, {"text", VT_BSTR}}},
                 {"OnDone", DISPID_OnDone, MemberKind::Method, VT_EMPTY, {{"count", VT_I4}}},
             }},
            {"_DTestCollection",
             DIID__DTestCollection,
             "Dispatch interface for the string collection",
             {
                 {"Count", DISPID_Count, MemberKind::PropertyGet, VT_I4},
                 {"Item", DISPID_Item, MemberKind::PropertyGet, VT_BSTR, {{"index", VT_I4}}},
                 {"_NewEnum", DISPID_NEWENUM, MemberKind::PropertyGet, VT_UNKNOWN},
             }},
        },
        {{"TestObject", CLSID_TestObject, "Test Object", DIID__DTestObject, DIID__DTestObjectEvents}},
    };
    return library;
}

const leaf::DispInterfaceDescription& Interface(REFIID iid) {
    for (const leaf::DispInterfaceDescription& description : TestLibrary().interfaces)
        if (description.iid == iid)
            return description;
    throw std::logic_error("interface not described");
}

// A read-only list of strings with Count, Item (from 1) and _NewEnum.
class CTestCollection final : public leaf::DispatchImpl<CTestCollection> {
public:
    explicit CTestCollection(std::vector<std::string> strings) : m_strings(std::move(strings)) {}

    static const leaf::DispatchTable<CTestCollection>& GetDispatchTable() {
        static const leaf::DispatchTable<CTestCollection> table(
            Interface(DIID__DTestCollection), {{DISPID_Count, MemberKind::PropertyGet, &CTestCollection::Count},
                                               {DISPID_Item, MemberKind::PropertyGet, &CTestCollection::Item},
                                               {DISPID_NEWENUM, MemberKind::PropertyGet, &CTestCollection::NewEnum}});
        return table;
    }

    leaf::Variant Count(const leaf::DispatchArguments&) { return static_cast<LONG>(m_strings.size()); }

    leaf::Variant Item(const leaf::DispatchArguments& arguments) {
        LONG index = arguments.Long(0);
        if (index < 1 || static_cast<std::size_t>(index) > m_strings.size())
            throw leaf::AutomationException(E_INVALIDARG, "index out of range");
        return leaf::Variant(m_strings[static_cast<std::size_t>(index - 1)]);
    }

    leaf::Variant NewEnum(const leaf::DispatchArguments&) {
        std::vector<leaf::Variant> values(m_strings.begin(), m_strings.end());
        leaf::ComPtr<IEnumVARIANT> enumerator;
        if (FAILED(leaf::EnumVariant::Create(std::move(values), enumerator.Receive())))
            throw leaf::AutomationException(E_OUTOFMEMORY);
        return leaf::Variant(static_cast<IUnknown*>(enumerator.Get()));
    }

private:
    std::vector<std::string> m_strings;
};

class CTestObject final
    : public leaf::DispatchImpl<CTestObject, IDispatch, leaf::ConnectionPointContainerImpl> {
public:
    CTestObject() { AddConnectionPoint(DIID__DTestObjectEvents); }

    static const leaf::DispatchTable<CTestObject>& GetDispatchTable() {
        static const leaf::DispatchTable<CTestObject> table(
            Interface(DIID__DTestObject), {{DISPID_Describe, MemberKind::Method, &CTestObject::Describe},
                                           {DISPID_Add, MemberKind::Method, &CTestObject::Add},
                                           {DISPID_Configure, MemberKind::Method, &CTestObject::Configure},
                                           {DISPID_Fire, MemberKind::Method, &CTestObject::Fire},
                                           {DISPID_GetItems, MemberKind::Method, &CTestObject::GetItems},
                                           {DISPID_Fail, MemberKind::Method, &CTestObject::Fail},
                                           {DISPID_Name, MemberKind::PropertyGet, &CTestObject::GetName},
                                           {DISPID_Name, MemberKind::PropertyPut, &CTestObject::SetName},
                                           {DISPID_Scale, MemberKind::Method, &CTestObject::Scale}});
        return table;
    }

    leaf::Variant Describe(const leaf::DispatchArguments& arguments) {
        BSTR text = arguments.Bstr(0);
        if (text == nullptr)
            return leaf::Variant("null");
        if (SysStringLen(text) == 0)
            return leaf::Variant("empty");
        return leaf::Variant("text:" + arguments.Utf8(0) + ":" + std::to_string(SysStringLen(text)));
    }

    leaf::Variant Add(const leaf::DispatchArguments& arguments) {
        return static_cast<LONG>(arguments.Long(0) + arguments.Long(1));
    }

    leaf::Variant Configure(const leaf::DispatchArguments& arguments) {
        std::string extra;
        const leaf::Variant& value = arguments[2];
        if (value.IsMissing())
            extra = "missing";
        else
            extra = "vt" + std::to_string(value.vt) + ":" + value.ToUtf8("?");
        return leaf::Variant(arguments.Utf8(0) + "|" + (arguments.Bool(1) ? "on" : "off") + "|" + extra);
    }

    leaf::Variant Fire(const leaf::DispatchArguments& arguments) {
        leaf::ComPtr<CTestObject> keepAlive(this);
        LONG count = arguments.Long(0);
        for (LONG i = 0; i < count; ++i)
            FireEvent(DIID__DTestObjectEvents, DISPID_OnTick, static_cast<LONG>(i), "tick " + std::to_string(i));
        FireEvent(DIID__DTestObjectEvents, DISPID_OnDone, count);
        return true;
    }

    leaf::Variant GetItems(const leaf::DispatchArguments&) {
        leaf::ComPtr<CTestCollection> items(new CTestCollection({"alpha", "beta", "gamma"}));
        return leaf::Variant(static_cast<IDispatch*>(items.Get()));
    }

    leaf::Variant Fail(const leaf::DispatchArguments& arguments) {
        throw leaf::AutomationException(E_INVALIDARG, arguments.Utf8(0), "TestObject");
    }

    leaf::Variant GetName(const leaf::DispatchArguments&) { return leaf::Variant(m_name); }

    leaf::Variant SetName(const leaf::DispatchArguments& arguments) {
        m_name = leaf::Bstr(leaf::BstrView(arguments.Bstr(0)));
        return {};
    }

    leaf::Variant Scale(const leaf::DispatchArguments& arguments) {
        LONG factor = arguments.IsMissing(1) ? 2 : arguments.Long(1);
        return arguments.Double(0) * factor;
    }

protected:
    // The type information comes from the registered type library, as a client's would.
    HRESULT CreateTypeInfo(ITypeInfo** typeInfo) override {
        leaf::ComPtr<ITypeLib> library;
        HRESULT hr = LoadRegTypeLib(LIBID_TestComLib, 1, 0, 0, library.Receive());
        if (FAILED(hr))
            return hr;
        return library->GetTypeInfoOfGuid(DIID__DTestObject, typeInfo);
    }

private:
    leaf::Bstr m_name = leaf::Bstr::FromUtf8("unnamed");
};

const leaf::ComModule& ThisModule() {
    static const leaf::ComModule module{
        {leaf::MakeClassEntry<CTestObject>(CLSID_TestObject, kProgId, kVersionIndependentProgId, "Test Object")},
        &TestLibrary()};
    return module;
}

}  // namespace

LEAF_COM_MODULE_EXPORTS(ThisModule())
