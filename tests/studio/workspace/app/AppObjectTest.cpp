// The application object's own operations: workspace menus, message boxes, help, the
// font call-back through its IDispatch, idle registration, guide types.
#include <gtest/gtest.h>

#include "platform/com/Variant.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScriptedPeople.h"
#include "studio/workspace/LeafcraftApp.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/LeafcraftCoverPageView.h"

using leaf::ui::ScriptedPeople;

namespace {

class AppObject : public testing::Test {
protected:
    AppObject() {
        app.SetRegistryKey("Tallbrook Systems, Inc.");
        app.SetAppName("Leafcraft");
        app.LoadWorkspaces();
    }
    ScriptedPeople people;
    CLeafcraftApp app;
};

TEST_F(AppObject, TheWorkspaceListHasFiveEntriesInOrder) {
    ASSERT_EQ(app.GetWorkspaceCount(), 5);
    const char* names[] = {"Source Files", "Properties", "Table of Contents", "Cover Page", "Navigation"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(app.GetWorkspace(i)->m_name, names[i]);
        EXPECT_EQ(app.GetWorkspace(i)->m_imageIndex, i);
    }
    EXPECT_EQ(app.GetWorkspace(4)->m_tooltip, "Show the Navigation workspace");
    EXPECT_EQ(app.GetWorkspace(5), nullptr);
    EXPECT_EQ(app.FindWorkspace(RUNTIME_CLASS(CLeafcraftCoverPageView)), 3);
}

TEST_F(AppObject, EveryPlaceholderBecomesTheWorkspaceItems) {
    std::unique_ptr<CMenu> menu = app.LoadWorkspaceMenu(120);
    ASSERT_NE(menu, nullptr);
    for (int popup : {2, 3}) {
        CMenu* sub = menu->GetSubMenu(popup);
        ASSERT_NE(sub, nullptr);
        ASSERT_EQ(sub->GetMenuItemCount(), 7u) << popup;
        for (UINT i = 0; i < 5; ++i) EXPECT_EQ(sub->GetMenuItemID(static_cast<int>(i)), ID_WORKSPACE_FIRST + i);
        CString text;
        sub->GetMenuString(ID_WORKSPACE_FIRST + 2, text, MF_BYCOMMAND);
        EXPECT_EQ(text, "&Table of Contents");
        EXPECT_EQ(sub->GetMenuItemID(6), CLeafcraftBaseView::ID_VIEW_BANNERS);
    }
    EXPECT_EQ(menu->GetMenuState(ID_WORKSPACE_PLACEHOLDER, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(app.LoadWorkspaceMenu(999), nullptr);
}

TEST_F(AppObject, TheAboutItemCarriesTheApplicationTitle) {
    for (UINT id : {100u, 110u, 111u, 112u, 113u, 114u, 734u}) {
        std::unique_ptr<CMenu> menu = app.LoadWorkspaceMenu(id);
        ASSERT_NE(menu, nullptr) << id;
        CString about;
        menu->GetMenuString(CLeafcraftApp::ID_APP_ABOUT, about, MF_BYCOMMAND);
        EXPECT_EQ(about, "&About Leafcraft...") << id;
        EXPECT_NE(menu->GetMenuState(ID_WORKSPACE_FIRST + 4, MF_BYCOMMAND), static_cast<UINT>(-1)) << id;
    }
}

struct BoxCase {
    UINT type;
    UINT expected;
};
class MessageBoxIcons : public AppObject, public testing::WithParamInterface<BoxCase> {};

TEST_P(MessageBoxIcons, QuestionsGetTheQuestionIcon) {
    app.DoMessageBox("text", GetParam().type, 0);
    auto asked = people.Asked("message");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].flags, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ButtonSets, MessageBoxIcons,
                         testing::Values(BoxCase{MB_OK, MB_OK}, BoxCase{MB_YESNO, MB_YESNO | MB_ICONQUESTION},
                                         BoxCase{MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION},
                                         BoxCase{MB_OKCANCEL, MB_OKCANCEL},
                                         BoxCase{MB_YESNO | MB_ICONEXCLAMATION,
                                                 MB_YESNO | MB_ICONEXCLAMATION | MB_ICONQUESTION}));

TEST_F(AppObject, HelpContextsBelow300AreRaisedForTheContextCommandOnly) {
    app.WinHelp(201, leaf::ui::HELP_CONTEXT);
    app.WinHelp(300, leaf::ui::HELP_CONTEXT);
    app.WinHelp(201, leaf::ui::HELP_FINDER);
    auto help = people.Asked("help");
    ASSERT_EQ(help.size(), 3u);
    EXPECT_EQ(help[0].context, 0x200C9u);
    EXPECT_EQ(help[1].context, 300u);
    EXPECT_EQ(help[2].context, 201u);
    EXPECT_TRUE(people.Asked("message").empty());
}

TEST_F(AppObject, TheHelpTraceShowsTheFinalValues) {
    app.WriteProfileInt("Debug", "ShowHelp", 1);
    app.WinHelp(230, leaf::ui::HELP_CONTEXT);
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Data = 131302\nCmd = 1");
}

TEST_F(AppObject, TheFontCallBackAnswersThroughTheApplicationsInterface) {
    IDispatch* dispatch = app.GetIDispatch(FALSE);
    ASSERT_NE(dispatch, nullptr);
    void* own = nullptr;
    ASSERT_EQ(dispatch->QueryInterface(IID_ILeafcraftApp, &own), S_OK);
    static_cast<IUnknown*>(own)->Release();
    // A null font list lets the build go on without asking anything.
    leaf::Variant none;
    none.vt = VT_DISPATCH;
    none.pdispVal = nullptr;
    DISPPARAMS params{&none, nullptr, 1, 0};
    leaf::Variant result;
    ASSERT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 1);
    EXPECT_TRUE(people.Log().empty());
}

TEST_F(AppObject, RegisteringAWindowAgainMovesItToTheEnd) {
    CWnd first, second;
    first.Attach(new QWidget);
    second.Attach(new QWidget);
    app.RegisterWindow(&first);
    app.RegisterWindow(&second);
    app.RegisterWindow(&first);
    app.RegisterWindow(nullptr);
    EXPECT_EQ(app.RegisteredWindowCount(), 2u);
    app.UnregisterWindow(&first);
    EXPECT_EQ(app.RegisteredWindowCount(), 1u);
    delete first.Detach();
    delete second.Detach();
}

TEST_F(AppObject, GuideTypesComeFromTheStringTable) {
    ASSERT_TRUE(app.LoadGuideTypes());
    ASSERT_EQ(app.m_guideTypes.size(), 8u);
    EXPECT_EQ(app.m_guideTypes[0]->m_strType, "other.ms-thumbimage-standard");
    EXPECT_EQ(app.m_guideTypes[1]->m_nBitmap, 2102u);
    EXPECT_EQ(app.m_guideTypes[7]->m_strTitle, "About this title link");
}

TEST(CommandLine, SwitchesAndTheFileAreRead) {
    const char* plain[] = {"leafstudio"};
    CLeafcraftCommandLine line;
    line.Parse(1, plain);
    EXPECT_EQ(line.m_nShellCommand, CLeafcraftCommandLine::FileNew);
    const char* withFile[] = {"leafstudio", "/Embedding", "book.lcp", "other.lcp"};
    line.Parse(4, withFile);
    EXPECT_EQ(line.m_nShellCommand, CLeafcraftCommandLine::FileOpen);
    EXPECT_EQ(line.m_strFileName, "book.lcp");
    EXPECT_TRUE(line.m_bRunEmbedded);
    EXPECT_FALSE(line.m_bShowSplash);
    const char* automation[] = {"leafstudio", "-automation"};
    line.Parse(2, automation);
    EXPECT_TRUE(line.m_bRunAutomated);
    EXPECT_EQ(line.m_nShellCommand, CLeafcraftCommandLine::FileNew);
    // An uninstaller's request, in any of the switch's spellings.
    for (const char* unregister : {"/Unregister", "--unregister", "-UNREGSERVER"}) {
        const char* arguments[] = {"leafstudio", unregister};
        line.Parse(2, arguments);
        EXPECT_EQ(line.m_nShellCommand, CLeafcraftCommandLine::AppUnregister) << unregister;
    }
}

TEST(BaseView, LineBreaksWrittenAsBackslashNBecomeRealOnes) {
    EXPECT_EQ(CLeafcraftBaseView::ExpandLineBreaks("one\\ntwo\\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(CLeafcraftBaseView::ExpandLineBreaks("no break \\t"), "no break \\t");
}

}  // namespace
