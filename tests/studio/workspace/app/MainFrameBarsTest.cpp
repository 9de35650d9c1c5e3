// The main frame's bars in the started program: the toolbar as the window is created
// (buttons, docking, caption, height, fly-by prompts), the status bar's key indicators
// at idle time, and View > Toolbar / View > Status Bar from the frame's menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/ui/KeyLocks.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

using leaf::test::AppFixture;
using leaf::ui::LockKey;

namespace {

class MainFrameBars : public AppFixture {
protected:
    void SetUp() override {
        m_previousLocks = leaf::ui::SetLockStateQuery([this](LockKey key) { return m_locks[static_cast<int>(key)]; });
        ASSERT_TRUE(Start());
        Frame()->ShowWindow(SW_SHOW);
    }
    void TearDown() override { leaf::ui::SetLockStateQuery(m_previousLocks); }

    QToolBar* ToolBar() const { return qobject_cast<QToolBar*>(Frame()->GetToolBar().GetWidget()); }
    QToolButton* Button(UINT id) const {
        return qobject_cast<QToolButton*>(ToolBar()->widgetForAction(Frame()->GetToolBar().GetAction(id)));
    }
    // The frame's View menu as a person opens it (command-update first).
    QAction* ViewItem(UINT id) const {
        for (QAction* top : Frame()->MainWindow()->menuBar()->actions()) {
            if (!top->menu() || top->text() != "&View") continue;
            emit top->menu()->aboutToShow();
            for (QAction* item : top->menu()->actions())
                if (!item->menu() && !item->isSeparator() && item->data().toUInt() == id) return item;
        }
        return nullptr;
    }
    QString Indicator(int index) const { return Frame()->GetStatusBar().PaneLabel(index)->text(); }

    bool m_locks[3] = {false, false, false};
    leaf::ui::LockStateQuery m_previousLocks;
};

}  // namespace

TEST_F(MainFrameBars, ToolbarIsBuiltDockedAtTheTopAndMayDockAnywhere) {
    CToolBar& toolbar = Frame()->GetToolBar();
    EXPECT_EQ(toolbar.GetDlgCtrlID(), static_cast<int>(AFX_IDW_TOOLBAR));
    const std::vector<UINT> expected{40000, 57601, 57603, 0, 57607, 0, 40001, 0, 40002};
    std::vector<UINT> buttons;
    for (int i = 0; i < toolbar.GetCount(); ++i) buttons.push_back(toolbar.GetItemID(i));
    EXPECT_EQ(buttons, expected);

    EXPECT_EQ(Frame()->MainWindow()->toolBarArea(ToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(Frame()->GetDockStyle(), CBRS_ALIGN_ANY);
    EXPECT_EQ(ToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_TRUE(ToolBar()->isFloatable());
    EXPECT_TRUE(ToolBar()->isMovable());   // the gripper
    EXPECT_TRUE(Button(40000)->autoRaise());   // flat
    EXPECT_EQ(ToolBar()->windowTitle(), "Main Toolbar");
    EXPECT_EQ(Button(57601)->toolTip(), "Open");

    // As high as its first button and 6 more.
    EXPECT_EQ(toolbar.GetHeight(), Button(40000)->sizeHint().height() + 6);
    EXPECT_GE(ToolBar()->height(), toolbar.GetHeight());

    Frame()->DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(Frame()->MainWindow()->toolBarArea(ToolBar()), Qt::LeftToolBarArea);
}

TEST_F(MainFrameBars, PointingAtAButtonShowsItsPromptInTheMessagePane) {
    CString prompt;
    Frame()->GetMessageString(CMainFrame::ID_FILE_BUILD_EBOOK, prompt);
    ASSERT_FALSE(prompt.IsEmpty());
    QToolButton* build = Button(CMainFrame::ID_FILE_BUILD_EBOOK);
    QPointF centre(build->rect().center());
    QEnterEvent enter(centre, centre, build->mapToGlobal(centre));
    QCoreApplication::sendEvent(build, &enter);
    EXPECT_EQ(Frame()->GetStatusBar().GetPaneText(0), prompt);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(build, &leave);
    EXPECT_TRUE(Frame()->GetStatusBar().GetPaneText(0).IsEmpty());

    // Menu items prompt the same way, and the pane clears when the menu closes.
    QAction* toolbarItem = ViewItem(ID_VIEW_TOOLBAR);
    ASSERT_NE(toolbarItem, nullptr);
    toolbarItem->hover();
    EXPECT_EQ(Frame()->GetMessageText().str(), "Show or hide the toolbar");
    QMenu* view = qobject_cast<QMenu*>(toolbarItem->parent());
    ASSERT_NE(view, nullptr);
    emit view->aboutToHide();
    EXPECT_TRUE(Frame()->GetMessageText().IsEmpty());
}

TEST_F(MainFrameBars, KeyIndicatorsFollowTheLocksAtIdleTime) {
    CStatusBar& status = Frame()->GetStatusBar();
    EXPECT_EQ(status.GetDlgCtrlID(), static_cast<int>(AFX_IDW_STATUS_BAR));
    ASSERT_EQ(status.GetCount(), 4);
    EXPECT_EQ(status.GetItemID(0), ID_SEPARATOR);
    EXPECT_EQ(status.GetItemID(1), ID_INDICATOR_CAPS);
    EXPECT_EQ(status.GetItemID(2), ID_INDICATOR_NUM);
    EXPECT_EQ(status.GetItemID(3), ID_INDICATOR_SCRL);

    m_app->OnIdle(0);
    EXPECT_EQ(Indicator(1), "");
    EXPECT_EQ(Indicator(2), "");
    EXPECT_EQ(Indicator(3), "");

    m_locks[static_cast<int>(LockKey::Num)] = true;
    m_app->OnIdle(0);
    EXPECT_EQ(Indicator(1), "");
    EXPECT_EQ(Indicator(2), "NUM");
    EXPECT_EQ(Indicator(3), "");

    m_locks[static_cast<int>(LockKey::Caps)] = true;
    m_locks[static_cast<int>(LockKey::Scroll)] = true;
    m_locks[static_cast<int>(LockKey::Num)] = false;
    m_app->OnIdle(0);
    EXPECT_EQ(Indicator(1), "CAP");
    EXPECT_EQ(Indicator(2), "");
    EXPECT_EQ(Indicator(3), "SCRL");
}

TEST_F(MainFrameBars, ViewMenuShowsAndHidesTheBarsWithACheckMark) {
    for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        SCOPED_TRACE(id);
        QWidget* bar = id == ID_VIEW_TOOLBAR ? Frame()->GetToolBar().GetWidget() : Frame()->GetStatusBar().GetWidget();
        QAction* item = ViewItem(id);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isChecked());
        item->trigger();
        EXPECT_FALSE(bar->isVisible());
        item = ViewItem(id);
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->isChecked());
        EXPECT_TRUE(item->isEnabled());
        item->trigger();
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(ViewItem(id)->isChecked());
    }
}
