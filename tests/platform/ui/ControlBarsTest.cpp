// The frame's control bars: key indicators of the status bar, the toolbar's styles
// (flat, gripper, tooltips, fly-by prompts, height), docking sides, the View commands
// that show and hide the bars, and the lock-key reading from the keyboard LEDs.
#include <gtest/gtest.h>

#include <QAction>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTest>
#include <map>

#include "platform/ui/ControlBars.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/KeyLocks.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "tests/platform/ui/UiTestEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace leaf::ui;
using leaf::test::TempFolder;

namespace {

constexpr UINT kAddCommand = 102;   // "Add files to the list\nAdd" in the test resources

// Lock states a test sets; installed for as long as the object lives.
class FakeLocks {
public:
    FakeLocks() : m_previous(SetLockStateQuery([this](LockKey key) { return m_on[key]; })) {}
    ~FakeLocks() { SetLockStateQuery(m_previous); }
    void Set(LockKey key, bool on) { m_on[key] = on; }

private:
    std::map<LockKey, bool> m_on;
    LockStateQuery m_previous;
};

class BarFrame : public CFrameWnd {
public:
    BarFrame() { MapCommand(kAddCommand, [this] { ++adds; }); }
    int adds = 0;
};

class ControlBarsTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::LoadUiTestResources();
        ASSERT_TRUE(frame.Create());
        app.m_pMainWnd = &frame;
    }
    void TearDown() override { app.m_pMainWnd = nullptr; }

    // The toolbar of the main window: flat, gripper, tooltips and fly-by prompts.
    void CreateToolBar(DWORD extraStyle = CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY) {
        ASSERT_TRUE(toolbar.CreateEx(&frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | extraStyle));
        const UINT buttons[] = {kAddCommand, ID_SEPARATOR, 40000};
        ASSERT_TRUE(toolbar.SetButtons(buttons, 3));
    }
    QToolButton* Button(UINT id) {
        auto* bar = qobject_cast<QToolBar*>(toolbar.GetWidget());
        return qobject_cast<QToolButton*>(bar->widgetForAction(toolbar.GetAction(id)));
    }
    Qt::ToolBarArea Area() { return frame.MainWindow()->toolBarArea(qobject_cast<QToolBar*>(toolbar.GetWidget())); }
    // The check mark of a View item after its menu's command-update.
    bool Checked(UINT id) {
        CMenu menu;
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, id, "item");
        menu.UpdateForPopup(&frame, 0);
        return (menu.GetMenuState(id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }

    CWinApp app{"Leafcraft"};
    ScriptedPeople people;
    BarFrame frame;
    CToolBar toolbar;
    CStatusBar status;
};

}  // namespace

TEST_F(ControlBarsTest, KeyIndicatorsShowTheirTextWhileTheLockIsOn) {
    FakeLocks locks;
    ASSERT_TRUE(status.Create(&frame));
    const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    ASSERT_TRUE(status.SetIndicators(indicators, 4));
    frame.ShowWindow(SW_SHOW);
    ASSERT_EQ(status.GetCount(), 4);
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_SCRL), 3);
    const int fullWidth = status.PaneLabel(2)->minimumWidth();
    EXPECT_GT(fullWidth, 0);

    locks.Set(LockKey::Caps, true);
    locks.Set(LockKey::Scroll, true);
    app.OnIdle(0);
    EXPECT_EQ(status.PaneLabel(1)->text(), "CAP");
    EXPECT_EQ(status.PaneLabel(2)->text(), "");
    EXPECT_EQ(status.PaneLabel(3)->text(), "SCRL");
    EXPECT_TRUE(status.GetPaneStyle(2) & SBPS_DISABLED);
    EXPECT_FALSE(status.GetPaneStyle(1) & SBPS_DISABLED);
    // A blank indicator keeps its text and its width.
    EXPECT_EQ(status.GetPaneText(2).str(), "NUM");
    EXPECT_EQ(status.PaneLabel(2)->minimumWidth(), fullWidth);

    locks.Set(LockKey::Caps, false);
    locks.Set(LockKey::Num, true);
    app.OnIdle(0);
    EXPECT_EQ(status.PaneLabel(1)->text(), "");
    EXPECT_EQ(status.PaneLabel(2)->text(), "NUM");
    EXPECT_EQ(status.PaneLabel(3)->text(), "SCRL");

    // The message pane is the bar's message area; bad indexes are refused.
    EXPECT_EQ(status.PaneLabel(0), nullptr);
    EXPECT_TRUE(status.SetPaneText(0, "Working"));
    EXPECT_EQ(frame.GetMessageText().str(), "Working");
    EXPECT_FALSE(status.SetPaneText(4, "x"));
    EXPECT_FALSE(status.SetPaneText(-1, "x"));
}

TEST_F(ControlBarsTest, HiddenStatusBarIsNotUpdated) {
    FakeLocks locks;
    ASSERT_TRUE(status.Create(&frame));
    const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
    ASSERT_TRUE(status.SetIndicators(indicators, 2));
    frame.ShowWindow(SW_SHOW);
    app.OnIdle(0);
    EXPECT_EQ(status.PaneLabel(1)->text(), "");
    frame.SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    locks.Set(LockKey::Caps, true);
    app.OnIdle(0);
    EXPECT_EQ(status.PaneLabel(1)->text(), "");
    frame.SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    app.OnIdle(0);
    EXPECT_EQ(status.PaneLabel(1)->text(), "CAP");
}

TEST_F(ControlBarsTest, ViewCommandsShowAndHideTheBarsWithACheckMark) {
    CreateToolBar();
    ASSERT_TRUE(status.Create(&frame));
    frame.ShowWindow(SW_SHOW);
    for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        SCOPED_TRACE(id);
        QWidget* bar = frame.GetControlBar(id)->GetWidget();
        ASSERT_NE(bar, nullptr);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(Checked(id));
        frame.SendMessage(WM_COMMAND, id);
        EXPECT_FALSE(bar->isVisible());
        EXPECT_FALSE(frame.IsControlBarVisible(id));
        EXPECT_FALSE(Checked(id));
        frame.SendMessage(WM_COMMAND, id);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(Checked(id));
    }
    // The other bar is untouched by a toggle.
    frame.SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    EXPECT_TRUE(frame.IsControlBarVisible(AFX_IDW_STATUS_BAR));
}

TEST_F(ControlBarsTest, ToolbarStylesFollowTheBarStyle) {
    CreateToolBar();
    auto* bar = qobject_cast<QToolBar*>(toolbar.GetWidget());
    EXPECT_TRUE(Button(kAddCommand)->autoRaise());   // flat
    EXPECT_TRUE(bar->isMovable());                   // the gripper is the handle
    toolbar.SetBarStyle(toolbar.GetBarStyle() & ~CBRS_GRIPPER);
    EXPECT_FALSE(bar->isMovable());

    CToolBar raised;
    ASSERT_TRUE(raised.CreateEx(&frame, 0, WS_CHILD | WS_VISIBLE | CBRS_TOP, 4000));
    ASSERT_TRUE(raised.LoadToolBar(100));
    auto* raisedBar = qobject_cast<QToolBar*>(raised.GetWidget());
    EXPECT_FALSE(qobject_cast<QToolButton*>(raisedBar->widgetForAction(raised.GetAction(40000)))->autoRaise());

    // The caption is the title the bar shows when it floats.
    toolbar.SetWindowText("Main Toolbar");
    EXPECT_EQ(bar->windowTitle(), "Main Toolbar");

    // The height: the first button's and 6 more, while the bar lies horizontally.
    RECT first{};
    toolbar.GetItemRect(0, &first);
    ASSERT_GT(first.bottom - first.top, 0);
    toolbar.SetHeight(first.bottom - first.top + 6);
    frame.ShowWindow(SW_SHOW);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->minimumHeight(), first.bottom - first.top + 6);
    EXPECT_GE(bar->height(), first.bottom - first.top + 6);
    RECT none{1, 1, 1, 1};
    toolbar.GetItemRect(7, &none);
    EXPECT_EQ(none.right - none.left, 0);
}

TEST_F(ControlBarsTest, FlyByPromptsAndTooltipsOnlyWithTheirStyles) {
    CreateToolBar();
    frame.ShowWindow(SW_SHOW);
    frame.SetMessageText("idle");
    QPointF centre(Button(kAddCommand)->rect().center());
    QEnterEvent enter(centre, centre, Button(kAddCommand)->mapToGlobal(centre));
    QCoreApplication::sendEvent(Button(kAddCommand), &enter);
    EXPECT_EQ(frame.GetMessageText().str(), "Add files to the list");
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Button(kAddCommand), &leave);
    EXPECT_EQ(frame.GetMessageText().str(), "");   // the program has no idle text

    QPoint inside = Button(kAddCommand)->rect().center();
    QHelpEvent tip(QEvent::ToolTip, inside, Button(kAddCommand)->mapToGlobal(inside));
    QCoreApplication::sendEvent(Button(kAddCommand), &tip);
    EXPECT_EQ(QToolTip::text(), "Add");
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::text().isEmpty(); }));

    // Without the styles the pointer shows neither.
    toolbar.SetBarStyle(toolbar.GetBarStyle() & ~(CBRS_FLYBY | CBRS_TOOLTIPS));
    frame.SetMessageText("idle");
    QCoreApplication::sendEvent(Button(kAddCommand), &enter);
    EXPECT_EQ(frame.GetMessageText().str(), "idle");
    QCoreApplication::sendEvent(Button(kAddCommand), &tip);
    EXPECT_EQ(QToolTip::text(), "");

    // A click still sends the command.
    QTest::mouseClick(Button(kAddCommand), Qt::LeftButton);
    EXPECT_EQ(frame.adds, 1);
}

TEST_F(ControlBarsTest, BarsDockOnlyOnSidesThatBarAndFrameAllow) {
    CreateToolBar();
    auto* bar = qobject_cast<QToolBar*>(toolbar.GetWidget());
    EXPECT_EQ(Area(), Qt::TopToolBarArea);
    // No docking enabled: the bar stays put and cannot float.
    frame.DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(Area(), Qt::TopToolBarArea);
    EXPECT_FALSE(bar->isFloatable());

    toolbar.EnableDocking(CBRS_ALIGN_ANY);
    EXPECT_EQ(bar->allowedAreas(), Qt::NoToolBarArea);   // the frame takes none yet
    frame.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM);
    EXPECT_EQ(bar->allowedAreas(), Qt::TopToolBarArea | Qt::BottomToolBarArea);
    EXPECT_TRUE(bar->isFloatable());
    frame.DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(Area(), Qt::TopToolBarArea);
    frame.DockControlBar(&toolbar, AFX_IDW_DOCKBAR_BOTTOM);
    EXPECT_EQ(Area(), Qt::BottomToolBarArea);
    EXPECT_EQ(toolbar.GetBarStyle() & CBRS_ALIGN_ANY, CBRS_ALIGN_BOTTOM);

    frame.EnableDocking(CBRS_ALIGN_ANY);
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    frame.DockControlBar(&toolbar, AFX_IDW_DOCKBAR_RIGHT);
    EXPECT_EQ(Area(), Qt::RightToolBarArea);
    EXPECT_EQ(bar->orientation(), Qt::Vertical);
    // Without a side named the bar goes to the first side of its own alignment.
    toolbar.SetBarStyle((toolbar.GetBarStyle() & ~CBRS_ALIGN_ANY) | CBRS_ALIGN_LEFT | CBRS_ALIGN_TOP);
    frame.DockControlBar(&toolbar);
    EXPECT_EQ(Area(), Qt::TopToolBarArea);
    EXPECT_TRUE(bar->isVisibleTo(frame.GetWidget()));
}

TEST(KeyLocks, LitKeyboardLedsMeanTheLockIsOn) {
    TempFolder leds;
    leds.WriteFile("input3::capslock/brightness", "1\n");
    leds.WriteFile("input3::numlock/brightness", "0\n");
    leds.WriteFile("input9::numlock/brightness", "255\n");   // a second keyboard
    leds.WriteFile("input3::scrolllock/brightness", "x\n");  // unreadable: off
    leds.WriteFile("phy0-led::capslockx/brightness", "1\n"); // another LED's name
    const std::string folder = leds.Path().string();
    EXPECT_TRUE(ReadLockLed(LockKey::Caps, folder));
    EXPECT_TRUE(ReadLockLed(LockKey::Num, folder));
    EXPECT_FALSE(ReadLockLed(LockKey::Scroll, folder));
    EXPECT_FALSE(ReadLockLed(LockKey::Caps, folder + "/missing"));

    TempFolder dark;
    dark.WriteFile("input1::capslock/brightness", "0");
    dark.WriteFile("input1::numlock/nothing", "1");
    EXPECT_FALSE(ReadLockLed(LockKey::Caps, dark.Path().string()));
    EXPECT_FALSE(ReadLockLed(LockKey::Num, dark.Path().string()));
}
