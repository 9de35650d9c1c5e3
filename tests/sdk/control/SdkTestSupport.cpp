#include "tests/sdk/control/SdkTestSupport.h"

#include <cstdlib>

#include "platform/base/Types.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "tests/support/EpubCheck.h"

namespace sdktest {

namespace {

std::string Text(const VARIANT& value) {
    leaf::Variant copy(value);
    return copy.ToUtf8();
}

}  // namespace

HRESULT EventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    // Arguments arrive last first.
    std::vector<std::string> arguments;
    for (UINT i = params->cArgs; i > 0; --i)
        arguments.push_back(Text(params->rgvarg[i - 1]));
    std::string event;
    if (dispid == sdkeventid::OnUpdateProgress && arguments.size() == 3)
        event = "progress " + arguments[0] + " " + arguments[1] + " " + arguments[2];
    else if (dispid == sdkeventid::OnLITGenMessage && arguments.size() == 5)
        event = "message " + arguments[0] + " " + arguments[1] + " " + arguments[2] + "|" + arguments[3] + " " +
                arguments[4];
    else
        event = "unexpected " + std::to_string(dispid);
    events.push_back(event);
    if (handler)
        handler(event);
    return S_OK;
}

SdkControl SdkControl::Create() {
    SdkControl control;
    CLSID clsid;
    EXPECT_EQ(S_OK, CLSIDFromProgID(kLeafcraftSDKProgId, &clsid));
    EXPECT_EQ(CLSID_LeafcraftSDK, clsid);
    EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     control.m_object.ReceiveVoid()));
    return control;
}

SdkControl SdkControl::CreateWithFontEmbedder(bool working) {
    leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Leafcraft.FontEmbedder\\CLSID")
        .WriteString("", "{5C2E7A10-3B41-4E0F-9D6A-1F0C2B7E9A03}");
    // The check runs when the control is made.
    setenv("LEAF_TEST_EMBEDDER_CHECK", working ? "0" : "1", 1);
    SdkControl control = Create();
    unsetenv("LEAF_TEST_EMBEDDER_CHECK");
    return control;
}

leaf::DispatchResult SdkControl::Call(DISPID dispid, std::vector<leaf::Variant> arguments) const {
    leaf::DispatchDriver driver(m_object);
    return driver.TryInvoke(dispid, DISPATCH_METHOD, arguments);
}

bool SdkControl::CallBool(DISPID dispid, std::vector<leaf::Variant> arguments) const {
    leaf::DispatchResult result = Call(dispid, std::move(arguments));
    EXPECT_EQ(S_OK, result.hr) << "dispid " << dispid;
    EXPECT_EQ(VT_BOOL, result.value.vt) << "dispid " << dispid;
    return result.value.vt == VT_BOOL && result.value.boolVal != VARIANT_FALSE;
}

bool SdkControl::BuildEBook(std::vector<leaf::Variant> arguments, EBookCheck check) const {
    const std::string eBookPath = arguments.empty() ? std::string() : arguments.front().ToUtf8();
    const bool built = CallBool(sdkdispid::BuildEBook, std::move(arguments));
    if (built && check == EBookCheck::Epubcheck) {
        EXPECT_TRUE(leaf::test::PassesEpubCheck(eBookPath));
    }
    return built;
}

LONG SdkControl::ErrorCode() const {
    leaf::DispatchResult result = Call(sdkdispid::GetErrorCode);
    EXPECT_EQ(VT_I4, result.value.vt);
    return result.value.lVal;
}

std::string SdkControl::ErrorDetails() const {
    leaf::DispatchResult result = Call(sdkdispid::GetErrorDetails);
    EXPECT_EQ(VT_BSTR, result.value.vt);
    return result.value.ToUtf8();
}

void SdkControl::Advise(EventSink* sink) const {
    leaf::ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, m_object->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid()));
    leaf::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__DLeafcraftSDKEvents, point.Receive()));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(sink), &cookie));
}

std::vector<std::string> SdkControl::Collection(DISPID dispid) const {
    std::vector<std::string> strings;
    leaf::DispatchResult result = Call(dispid);
    EXPECT_EQ(VT_DISPATCH, result.value.vt);
    if (result.value.vt != VT_DISPATCH || result.value.pdispVal == nullptr)
        return strings;
    leaf::DispatchDriver collection(result.value.pdispVal);
    LONG count = collection.GetProperty(collectiondispid::Count).ToLong();
    for (LONG i = 1; i <= count; ++i)
        strings.push_back(
            collection.InvokeHelper(collectiondispid::Item, DISPATCH_PROPERTYGET, {leaf::Variant(i)}).ToUtf8());
    return strings;
}

void SdkControlTest::SetUp() {
    ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
    ASSERT_TRUE(leaf::test::RegisterModule("sdktestintake.so"));
    control = SdkControl::Create();
    ASSERT_NE(nullptr, control.Get());
}

}  // namespace sdktest
