#include <gtest/gtest.h>

#include "platform/com/Bstr.h"
#include "platform/ui/DispatchMap.h"
#include "platform/ui/WinApp.h"

using namespace leaf::ui;

namespace {

const leaf::DispInterfaceDescription& CallbackInterface() {
    static const leaf::DispInterfaceDescription description{
        "IApplicationCallback",
        leaf::MakeGuid("{A0000000-0000-0000-0000-000000000001}"),
        "",
        {{"SelectEmbeddedFonts", 1, leaf::MemberKind::Method, VT_I4, {{"fonts", VT_BSTR}, {"flags", VT_I4, true}}},
         {"Title", 2, leaf::MemberKind::PropertyGet, VT_BSTR}}};
    return description;
}

// An application object that answers the build control's call-back through its dispatch map.
class CallbackApp : public CWinApp {
public:
    CallbackApp() : CWinApp("Leafcraft") { EnableAutomation<CallbackApp>(); }
    static const leaf::DispatchTable<CallbackApp>& GetDispatchTable() {
        static const leaf::DispatchTable<CallbackApp> table(
            CallbackInterface(), {{1, leaf::MemberKind::Method, &CallbackApp::SelectEmbeddedFonts},
                                  {2, leaf::MemberKind::PropertyGet, &CallbackApp::Title}});
        return table;
    }
    leaf::Variant SelectEmbeddedFonts(const leaf::DispatchArguments& arguments) {
        fonts = arguments.Utf8(0);
        flagsMissing = arguments.IsMissing(1);
        return leaf::Variant(static_cast<LONG>(choice));
    }
    leaf::Variant Title(const leaf::DispatchArguments&) { return leaf::Variant(m_pszAppName); }
    std::string fonts;
    bool flagsMissing = false;
    int choice = 1;
};

HRESULT CallSelect(IDispatch* dispatch, const char* fonts, VARIANT* result) {
    leaf::Variant argument(fonts);
    DISPPARAMS params{&argument, nullptr, 1, 0};
    return dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

}  // namespace

TEST(DispatchMap, AnObjectOfTheProgramAnswersFromItsTable) {
    CallbackApp app;
    ASSERT_TRUE(app.IsAutomationEnabled());
    IDispatch* dispatch = app.GetIDispatch(FALSE);
    ASSERT_NE(dispatch, nullptr);
    leaf::Variant result;
    ASSERT_EQ(CallSelect(dispatch, "Georgia;Verdana", &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 1);
    EXPECT_EQ(app.fonts, "Georgia;Verdana");
    EXPECT_TRUE(app.flagsMissing);

    leaf::Variant title;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(dispatch->Invoke(2, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &title, nullptr, nullptr), S_OK);
    EXPECT_EQ(leaf::BstrToUtf8(title.bstrVal), "Leafcraft");
    EXPECT_EQ(dispatch->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_BADPARAMCOUNT);

    LPOLESTR name = const_cast<LPOLESTR>(u"selectembeddedfonts");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    // The interface's own IID answers too.
    leaf::ComPtr<IUnknown> face;
    EXPECT_EQ(dispatch->QueryInterface(CallbackInterface().iid, reinterpret_cast<void**>(face.Receive())), S_OK);
}

TEST(DispatchMap, ACallAfterTheObjectIsGoneIsRefusedNotDelivered) {
    leaf::ComPtr<IDispatch> kept;
    {
        CallbackApp app;
        kept = app.GetIDispatch(FALSE);
        leaf::Variant result;
        EXPECT_EQ(CallSelect(kept.Get(), "x", &result), S_OK);
    }
    leaf::Variant result;
    EXPECT_EQ(CallSelect(kept.Get(), "x", &result), CO_E_OBJNOTCONNECTED_VALUE);
}

TEST(DispatchMap, TargetsWithoutAutomationHaveNoDispatch) {
    CWinApp app("plain");
    EXPECT_FALSE(app.IsAutomationEnabled());
    EXPECT_EQ(app.GetIDispatch(TRUE), nullptr);
}
