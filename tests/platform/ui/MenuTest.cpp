#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include "platform/ui/ControlBars.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/Menu.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/ResourceScript.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

namespace {

CString Text(const CMenu& menu, UINT item, UINT flags) {
    CString text;
    menu.GetMenuString(item, text, flags);
    return text;
}

// A document, a view and a frame, each handling some commands, and an application.
class TestDocument : public CDocument {
public:
    TestDocument() {
        MapCommand(40001, &TestDocument::OnBuild);
        MapUpdateUI(40001, &TestDocument::OnUpdateBuild);
    }
    void OnBuild() { log.push_back("document build"); }
    void OnUpdateBuild(CCmdUI* ui) { ui->Enable(sources > 0); }
    int sources = 0;
    std::vector<std::string> log;
};

class TestView : public CView {
public:
    TestView() { MapCommand(1033, &TestView::OnAdd); }
    void OnAdd() { added++; }
    int added = 0;
};

class TestFrame : public CFrameWnd {
public:
    TestFrame() {
        MapCommand(41000, &TestFrame::OnToggleBanners);
        MapUpdateUI(41000, &TestFrame::OnUpdateBanners);
        MapCommand(40001, &TestFrame::OnBuild);   // shadowed by the document
    }
    void OnToggleBanners() { banners = !banners; }
    void OnUpdateBanners(CCmdUI* ui) { ui->SetCheck(banners); }
    void OnBuild() { frameBuilds++; }
    bool banners = true;
    int frameBuilds = 0;
    std::vector<UINT> initPopups;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITMENUPOPUP) initPopups.push_back(static_cast<UINT>(lParam));
        return CFrameWnd::WindowProc(message, wParam, lParam);
    }
};

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("Leafcraft") { MapCommand(40000, &TestApp::OnFileNew); }
    void OnFileNew() { news++; }
    int news = 0;
};

class FrameTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        ASSERT_TRUE(frame.Create());
        view.Attach(new QWidget(frame.GetWidget()));
        view.SetDocument(&document);
        frame.SetActiveView(&view);
        auto menu = std::make_unique<CMenu>();
        ASSERT_TRUE(menu->LoadMenu(100));
        frame.SetMenu(std::move(menu));
        app.m_pMainWnd = &frame;
    }
    TestApp app;
    ScriptedPeople people;
    TestDocument document;
    TestView view;
    TestFrame frame;
};

QMenu* TopMenu(CFrameWnd& frame, int index) { return frame.MainWindow()->menuBar()->actions().at(index)->menu(); }

QAction* ActionFor(QMenu* menu, UINT id) {
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && !action->menu() && action->data().toUInt() == id) return action;
    return nullptr;
}

}  // namespace

TEST(Menu, LoadsItemsSeparatorsSubMenusAndStates) {
    leaf::test::LoadUiTestResources();
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(100));
    EXPECT_EQ(menu.GetMenuItemCount(), 2u);
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemCount(), 8u);
    EXPECT_EQ(file->GetMenuItemID(0), 40000u);
    EXPECT_EQ(file->GetMenuItemID(1), 0u);                       // separator
    EXPECT_EQ(file->GetMenuItemID(2), static_cast<UINT>(-1));    // sub-menu
    EXPECT_STREQ(Text(*file, 40000, MF_BYCOMMAND).c_str(), "&New\tCtrl+N");
    EXPECT_STREQ(Text(menu, 40010, MF_BYCOMMAND).c_str(), "&Open eBook Package File...");   // found in a sub-menu
    EXPECT_EQ(menu.GetMenuState(57616, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu.GetMenuState(41000, MF_BYCOMMAND), MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(99, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_FALSE(menu.LoadMenu(31337));
}

TEST(Menu, EditsByCommandAndByPosition) {
    leaf::test::LoadUiTestResources();
    CMenu menu;
    menu.LoadMenu(100);
    CMenu* file = menu.GetSubMenu(0);
    // The recent-file placeholder goes, and the separator that followed it.
    ASSERT_TRUE(menu.RemoveMenu(57616, MF_BYCOMMAND));
    ASSERT_TRUE(file->RemoveMenu(5, MF_BYPOSITION));
    EXPECT_EQ(file->GetMenuItemCount(), 6u);
    EXPECT_EQ(file->GetMenuItemID(5), 57665u);
    // Put back by position before the exit item, then by command.
    ASSERT_TRUE(file->InsertMenu(5, MF_BYPOSITION | MF_STRING, 57616, ""));
    ASSERT_TRUE(menu.InsertMenu(57616, MF_BYCOMMAND | MF_SEPARATOR));
    EXPECT_EQ(file->GetMenuItemID(5), 0u);
    EXPECT_EQ(file->GetMenuItemID(6), 57616u);
    EXPECT_TRUE(file->InsertMenu(100, MF_BYPOSITION, 12345, "Last"));
    EXPECT_EQ(file->GetMenuItemID(static_cast<int>(file->GetMenuItemCount()) - 1), 12345u);

    EXPECT_EQ(menu.EnableMenuItem(40000, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu.EnableMenuItem(40000, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(menu.CheckMenuItem(41000, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(menu.EnableMenuItem(777, MF_BYCOMMAND), static_cast<UINT>(-1));
    ASSERT_TRUE(menu.ModifyMenu(57664, MF_BYCOMMAND, 57664, "x") == FALSE);
    ASSERT_TRUE(menu.ModifyMenu(57665, MF_BYCOMMAND, 57665, "&Quit"));
    EXPECT_STREQ(Text(menu, 57665, MF_BYCOMMAND).c_str(), "&Quit");
    EXPECT_FALSE(file->RemoveMenu(99, MF_BYPOSITION));
}

TEST_F(FrameTest, CommandsRouteViewThenDocumentThenFrameThenApplication) {
    frame.SendMessage(WM_COMMAND, 1033, 0);   // the view
    EXPECT_EQ(view.added, 1);
    frame.SendMessage(WM_COMMAND, 40000, 0);  // the application
    EXPECT_EQ(app.news, 1);
    frame.SendMessage(WM_COMMAND, 41000, 0);  // the frame
    EXPECT_FALSE(frame.banners);
    document.sources = 1;
    frame.SendMessage(WM_COMMAND, 40001, 0);  // the document before the frame
    EXPECT_EQ(document.log.size(), 1u);
    EXPECT_EQ(frame.frameBuilds, 0);
    // Disabled by the document's update: not executed at all.
    document.sources = 0;
    frame.SendMessage(WM_COMMAND, 40001, 0);
    EXPECT_EQ(document.log.size(), 1u);
    EXPECT_EQ(frame.frameBuilds, 0);
}

TEST_F(FrameTest, PopupsUpdateTheirItemsWhenTheyOpenAndSendTheChosenCommand) {
    QMenu* file = TopMenu(frame, 0);
    emit file->aboutToShow();
    EXPECT_EQ(frame.initPopups.size(), 1u);
    QAction* build = ActionFor(file, 40001);
    ASSERT_NE(build, nullptr);
    EXPECT_FALSE(build->isEnabled());                  // no sources
    EXPECT_TRUE(ActionFor(file, 40000)->isEnabled());  // the application handles it
    EXPECT_TRUE(ActionFor(file, 57665)->isEnabled());  // the application object handles Exit
    EXPECT_EQ(build->text(), "&Build eBook...\tCtrl+B");
    document.sources = 2;
    emit file->aboutToShow();
    build = ActionFor(file, 40001);
    EXPECT_TRUE(build->isEnabled());
    build->trigger();
    EXPECT_EQ(document.log.size(), 1u);

    QMenu* viewMenu = TopMenu(frame, 1);
    frame.banners = false;
    emit viewMenu->aboutToShow();
    EXPECT_FALSE(ActionFor(viewMenu, 41000)->isChecked());
    // Hovering shows the command's prompt in the status bar.
    emit ActionFor(viewMenu, 41000)->hovered();
    EXPECT_STREQ(frame.GetMessageText().c_str(), "Show or hide the banner image");
}

TEST_F(FrameTest, PopupTrackingReturnsTheChosenCommandToItsOwner) {
    CMenu context;
    ASSERT_TRUE(context.LoadMenu(120));
    CMenu* items = context.GetSubMenu(0);
    people.AnswerMenu(1033);
    EXPECT_EQ(items->TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &frame), static_cast<UINT>(TRUE));
    EXPECT_EQ(view.added, 1);
    people.AnswerMenu(1033);
    EXPECT_EQ(items->TrackPopupMenu(TPM_RETURNCMD, 10, 10, &frame), 1033u);
    EXPECT_EQ(view.added, 1);   // returned, not sent
    // 1034 has no handler: it is offered disabled, and a person cannot choose it.
    people.AnswerMenu(1034);
    EXPECT_EQ(items->TrackPopupMenu(TPM_RETURNCMD, 10, 10, &frame), 0u);
    EXPECT_EQ(people.UnansweredCount(), 1);
    auto menus = people.Asked("menu");
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].text, "&Add...\tIns|&Remove\tDel");
}

TEST_F(FrameTest, AcceleratorsSendCommandsThatTheirUpdateAllows) {
    ASSERT_TRUE(frame.LoadAccelTable(100));
    EXPECT_EQ(frame.Accelerators().CommandOf("Ctrl+B"), 40001u);
    frame.ShowWindow(SW_SHOW);
    frame.GetWidget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.GetWidget()));
    QTest::keyClick(frame.GetWidget(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(app.news, 1);
    QTest::keyClick(frame.GetWidget(), Qt::Key_B, Qt::ControlModifier);   // disabled: nothing
    EXPECT_TRUE(document.log.empty());
    document.sources = 1;
    QTest::keyClick(frame.GetWidget(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(document.log.size(), 1u);
}

TEST_F(FrameTest, ToolbarButtonsFollowTheirCommandsAtIdleTime) {
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.Create(&frame));
    ASSERT_TRUE(toolbar.LoadToolBar(100));
    CStatusBar status;
    ASSERT_TRUE(status.Create(&frame));
    frame.ShowWindow(SW_SHOW);
    EXPECT_EQ(toolbar.GetCount(), 3);
    EXPECT_EQ(toolbar.GetItemID(1), 0u);
    EXPECT_EQ(toolbar.GetAction(40001)->toolTip(), "Build eBook");
    EXPECT_EQ(toolbar.GetDlgCtrlID(), static_cast<int>(AFX_IDW_TOOLBAR));

    EXPECT_TRUE(app.OnIdle(0));
    EXPECT_FALSE(toolbar.GetAction(40001)->isEnabled());
    EXPECT_TRUE(toolbar.GetAction(40000)->isEnabled());
    toolbar.PressButton(40001);
    EXPECT_TRUE(document.log.empty());
    document.sources = 3;
    app.OnIdle(0);
    EXPECT_TRUE(toolbar.GetAction(40001)->isEnabled());
    toolbar.PressButton(40001);
    EXPECT_EQ(document.log.size(), 1u);

    const UINT panes[] = {ID_SEPARATOR, ID_SEPARATOR, ID_INDICATOR_NUM};
    ASSERT_TRUE(status.SetIndicators(panes, 3));
    status.SetPaneText(0, "Ready");
    status.SetPaneText(2, "Numbers");
    EXPECT_STREQ(status.GetPaneText(0).c_str(), "Ready");
    EXPECT_STREQ(status.GetPaneText(2).c_str(), "Numbers");
    EXPECT_TRUE(status.GetPaneText(1).IsEmpty());
}

namespace {

// Answers popups from a script and notes each popup's default item (its data and
// whether it shows bold).
class DefaultNotingPeople : public PeopleService {
public:
    DefaultNotingPeople() : m_previous(SetPeopleService(this)) {}
    ~DefaultNotingPeople() override { SetPeopleService(m_previous); }
    int MessageBox(QWidget*, const std::string&, const std::string&, UINT) override { return IDOK; }
    std::vector<std::string> ChooseFiles(QWidget*, const FileDialogRequest&) override { return {}; }
    std::string ChooseFolder(QWidget*, const std::string&, const std::string&) override { return {}; }
    bool ChooseColor(QWidget*, DWORD&) override { return false; }
    bool ChooseFont(QWidget*, FontChoice&) override { return false; }
    void Help(const std::string&, UINT, DWORD) override {}
    bool StartProcess(const std::string&, const std::vector<std::string>&) override { return false; }
    void ModalDialogShown(QDialog&, UINT) override {}
    UINT TrackPopupMenu(QMenu& menu, const QPoint&) override {
        QAction* action = menu.defaultAction();
        defaults.push_back(action ? action->data().toUInt() : 0);
        bold.push_back(action && action->font().bold());
        return 0;
    }
    std::vector<UINT> defaults;
    std::vector<bool> bold;

private:
    PeopleService* m_previous;
};

}  // namespace

TEST(Menu, DefaultItemIsOnePerMenuByCommandOrPosition) {
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 14001, "&Copy Here");
    menu.AppendMenu(MF_STRING, 14002, "&Move Here");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, 14003, "Cancel");
    constexpr UINT none = static_cast<UINT>(-1);
    EXPECT_EQ(menu.GetDefaultItem(0), none);

    EXPECT_TRUE(menu.SetDefaultItem(14002));
    EXPECT_EQ(menu.GetDefaultItem(0), 14002u);
    EXPECT_EQ(menu.GetDefaultItem(0, TRUE), 1u);
    EXPECT_TRUE(menu.GetMenuState(14002, MF_BYCOMMAND) & MF_DEFAULT);
    EXPECT_TRUE(menu.SetDefaultItem(0, TRUE));   // moves: one default per menu
    EXPECT_EQ(menu.GetDefaultItem(0), 14001u);
    EXPECT_FALSE(menu.GetMenuState(14002, MF_BYCOMMAND) & MF_DEFAULT);

    // Items that are not there, or a separator, cannot be the default; it stays.
    EXPECT_FALSE(menu.SetDefaultItem(9999));
    EXPECT_FALSE(menu.SetDefaultItem(2, TRUE));
    EXPECT_FALSE(menu.SetDefaultItem(4, TRUE));
    EXPECT_EQ(menu.GetDefaultItem(0), 14001u);

    // A disabled default answers only when asked for disabled ones; editing the item's
    // state or text keeps it the default.
    menu.EnableMenuItem(14001, MF_GRAYED);
    menu.CheckMenuItem(14001, MF_CHECKED);
    EXPECT_EQ(menu.GetDefaultItem(0), none);
    EXPECT_EQ(menu.GetDefaultItem(GMDI_USEDISABLED), 14001u);
    CMenuCmdUI update;
    update.m_pMenu = &menu;
    update.m_nID = 14001;
    update.m_nIndex = 0;
    update.SetText("&Copy");
    EXPECT_EQ(menu.GetDefaultItem(GMDI_USEDISABLED), 14001u);

    EXPECT_TRUE(menu.SetDefaultItem(none));
    EXPECT_EQ(menu.GetDefaultItem(GMDI_USEDISABLED), none);
}

TEST(Menu, DefaultSubMenuAndTemplateFlag) {
    auto blocks = ParseResourceScript(
        "menu 5\n  item 1 \"&One\"\n  popup \"&More\" default\n    item 2 \"&Two\"\n"
        "    item 3 \"&Three\" default\n  end\nend\n");
    ASSERT_TRUE(blocks.has_value());
    CMenu menu;
    ASSERT_TRUE(menu.LoadFromTemplate(blocks->front()));
    EXPECT_EQ(menu.GetDefaultItem(0, TRUE), 1u);
    EXPECT_EQ(menu.GetDefaultItem(0), static_cast<UINT>(-1));   // a sub-menu has no command
    EXPECT_EQ(menu.GetDefaultItem(GMDI_GOINTOPOPUPS), 3u);
    EXPECT_EQ(menu.GetSubMenu(1)->GetDefaultItem(0), 3u);
    // Setting by command looks at the menu's own items only.
    EXPECT_FALSE(menu.SetDefaultItem(2));
    EXPECT_EQ(menu.GetSubMenu(1)->GetDefaultItem(0), 3u);
}

TEST_F(FrameTest, DefaultItemShowsBoldInMirrorsAndTrackedPopups) {
    CMenu context;
    ASSERT_TRUE(context.LoadMenu(120));
    CMenu* items = context.GetSubMenu(0);
    ASSERT_TRUE(items->SetDefaultItem(1034));
    QMenu* mirror = items->CreateQMenu(frame.GetWidget(), &frame);
    ASSERT_NE(mirror->defaultAction(), nullptr);
    EXPECT_EQ(mirror->defaultAction()->data().toUInt(), 1034u);
    EXPECT_TRUE(mirror->defaultAction()->font().bold());
    EXPECT_FALSE(ActionFor(mirror, 1033)->font().bold());
    delete mirror;

    DefaultNotingPeople noting;
    items->TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &frame);
    ASSERT_TRUE(items->SetDefaultItem(1033));
    items->TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &frame);
    ASSERT_TRUE(items->SetDefaultItem(static_cast<UINT>(-1)));
    items->TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, &frame);
    EXPECT_EQ(noting.defaults, (std::vector<UINT>{1034, 1033, 0}));
    EXPECT_EQ(noting.bold, (std::vector<bool>{true, true, false}));
}
