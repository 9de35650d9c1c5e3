// The main frame: workspace switching through the icon column, command update, the
// checks of Build eBook, banners, saving and opening a project.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <QDialog>
#include <QPushButton>
#include <QTabBar>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/ui/ListCtrl.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/LeafcraftCoverPageView.h"
#include "studio/workspace/LeafcraftIconView.h"
#include "studio/workspace/LeafcraftStructNavView.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/WarningDlg.h"
#include "tests/studio/workspace/app/AppFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FifoWatchdog.h"

namespace fs = std::filesystem;
using leaf::test::AppFixture;

namespace {

class MainFrame : public AppFixture {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }

    // The enabled state of a command as the toolbar shows it after an idle update.
    bool ToolbarEnabled(UINT id) {
        Frame()->GetToolBar().OnIdleUpdateCmdUI(TRUE);
        QAction* action = Frame()->GetToolBar().GetAction(id);
        return action && action->isEnabled();
    }
    int Messages(const std::string& part) const {
        int count = 0;
        for (const auto& question : m_people.Asked("message"))
            if (question.text.find(part) != std::string::npos) ++count;
        return count;
    }
    // Opens Tools > Options and gives the titles of its pages, closing it unchanged.
    QStringList OptionsPageTitles() {
        QStringList tabs;
        m_people.AnswerDialog([&](QDialog& dialog) {
            for (QTabBar* tab : dialog.findChildren<QTabBar*>())
                for (int i = 0; i < tab->count(); ++i) tabs << tab->tabText(i);
            dialog.reject();
        });
        Frame()->SendMessage(WM_COMMAND, CMainFrame::ID_TOOLS_OPTIONS, 0);
        return tabs;
    }
};

// A workspace view that refuses to be left, and a program whose sixth workspace it is.
class StubbornView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(StubbornView)
    StubbornView() : CLeafcraftBaseView(0, 0, 0) {}
    BOOL ValidateWorkspace(BOOL report) override {
        ++asked;
        if (report) ++reported;
        return FALSE;
    }
    static inline int asked = 0;
    static inline int reported = 0;
};
IMPLEMENT_DYNCREATE(StubbornView, CLeafcraftBaseView)

class AppWithStubbornWorkspace : public CLeafcraftApp {
public:
    void LoadWorkspaces() override {
        CLeafcraftApp::LoadWorkspaces();
        AddWorkspace(std::make_unique<CWorkspaceInfo>(518, 524, 5, RUNTIME_CLASS(StubbornView)));
    }
};

class StubbornWorkspace : public MainFrame {
protected:
    void SetUp() override {
        std::string definitions = m_app->m_metaDataPath.str();
        m_app.reset();
        m_app = std::make_unique<AppWithStubbornWorkspace>();
        m_app->m_metaDataPath = definitions.c_str();
        MainFrame::SetUp();
    }
};

TEST_F(StubbornWorkspace, ARefusingViewKeepsTheUserAndItsIcon) {
    ClickIcon(5);
    ASSERT_EQ(Frame()->GetCurrentWorkspace(), 5);
    StubbornView::asked = StubbornView::reported = 0;
    ClickIcon(2);
    EXPECT_EQ(StubbornView::asked, 1);
    EXPECT_EQ(StubbornView::reported, 1);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 5);
    EXPECT_EQ(Frame()->GetIconView()->GetSelectedItem(), 5);
    EXPECT_NE(dynamic_cast<StubbornView*>(Frame()->GetWorkspaceView()), nullptr);
    // Build eBook asks the view first and stops there.
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    Frame()->OnBuildEBook();
    EXPECT_EQ(StubbornView::asked, 2);
    EXPECT_TRUE(m_people.Asked("dialog").empty());
}

TEST_F(StubbornWorkspace, ClickingTheCurrentIconAsksNothing) {
    ClickIcon(5);
    StubbornView::asked = 0;
    ClickIcon(5);
    EXPECT_EQ(StubbornView::asked, 0);
}

TEST_F(MainFrame, ClickingAnIconSwitchesTheWorkspace) {
    ClickIcon(4);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 4);
    EXPECT_NE(dynamic_cast<CLeafcraftStructNavView*>(Frame()->GetWorkspaceView()), nullptr);
    EXPECT_EQ(Frame()->GetIconView()->GetSelectedItem(), 4);
    // The view's own menu (734, with the tour commands) is on the window.
    EXPECT_EQ(Frame()->GetWorkspaceMenuId(), 734u);
    ClickIcon(3);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 3);
    EXPECT_NE(dynamic_cast<CLeafcraftCoverPageView*>(Frame()->GetWorkspaceView()), nullptr);
    EXPECT_EQ(Frame()->GetWorkspaceMenuId(), 113u);
}

TEST_F(MainFrame, WorkspaceCommandsAreCheckedEnabledOrDisabled) {
    ClickIcon(3);
    CCmdUI current;
    current.m_nID = ID_WORKSPACE_FIRST + 3;
    current.DoUpdate(Frame(), TRUE);
    EXPECT_TRUE(current.m_enabled);
    EXPECT_EQ(current.m_check, 1);
    CCmdUI other;
    other.m_nID = ID_WORKSPACE_FIRST + 1;
    other.DoUpdate(Frame(), TRUE);
    EXPECT_TRUE(other.m_enabled);
    EXPECT_EQ(other.m_check, 0);
    CCmdUI missing;
    missing.m_nID = ID_WORKSPACE_FIRST + 5;
    missing.DoUpdate(Frame(), TRUE);
    EXPECT_FALSE(missing.m_enabled);
    // Running it changes nothing.
    Frame()->SendMessage(WM_COMMAND, ID_WORKSPACE_FIRST + 5, 0);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 3);
}

TEST_F(MainFrame, TheStatusPromptOfAWorkspaceIsItsTooltip) {
    CString prompt;
    Frame()->GetMessageString(ID_WORKSPACE_FIRST + 4, prompt);
    EXPECT_EQ(prompt, "Show the Navigation workspace");
    Frame()->GetMessageString(ID_WORKSPACE_FIRST + 7, prompt);
    EXPECT_TRUE(prompt.IsEmpty());
    Frame()->GetMessageString(CMainFrame::ID_FILE_BUILD_EBOOK, prompt);
    EXPECT_EQ(prompt, "Build the Microsoft Reader eBook from the specified source files and properties");
}

TEST_F(MainFrame, BuildIsEnabledOnlyWithSourcesAndPrintNever) {
    EXPECT_FALSE(ToolbarEnabled(CMainFrame::ID_FILE_BUILD_EBOOK));
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    EXPECT_TRUE(ToolbarEnabled(CMainFrame::ID_FILE_BUILD_EBOOK));
    EXPECT_FALSE(ToolbarEnabled(CMainFrame::ID_FILE_PRINT));
    EXPECT_EQ(ToolbarEnabled(CMainFrame::ID_FILE_LAUNCH_READER), Frame()->IsReaderFound() != FALSE);
}

TEST_F(MainFrame, BannersToggleAndTheBandFollows) {
    CLeafcraftBaseView* view = Frame()->GetWorkspaceView();
    EXPECT_EQ(view->GetBannerBandHeight(), CLeafcraftBaseView::kBannerBandHeight);
    EXPECT_FALSE(view->GetBanner().isNull());
    Frame()->SendMessage(WM_COMMAND, CMainFrame::ID_VIEW_BANNERS, 0);
    EXPECT_EQ(leaf::GetAppProfileInt("Settings", "Show Banners", 1), 0u);
    EXPECT_EQ(view->GetBannerBandHeight(), 0);
    EXPECT_EQ(view->GetWidget()->contentsMargins().top(), 0);
    CCmdUI check;
    check.m_nID = CMainFrame::ID_VIEW_BANNERS;
    check.DoUpdate(Frame(), TRUE);
    EXPECT_EQ(check.m_check, 0);
    Frame()->SendMessage(WM_COMMAND, CMainFrame::ID_VIEW_BANNERS, 0);
    EXPECT_EQ(view->GetWidget()->contentsMargins().top(), CLeafcraftBaseView::kBannerBandHeight);
}

TEST_F(MainFrame, BuildWithoutSourcesSaysSoAndGoesToSourceFiles) {
    ClickIcon(3);
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("at least one source file"), 1);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 0);
}

TEST_F(MainFrame, BuildWithSeveralSourcesShowsTheFindWarningUnlessSilenced) {
    ClickIcon(3);   // a workspace that always lets the user go
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    Document()->AddSourceFile(WriteSource("b.htm").c_str(), 1);
    m_people.AnswerDialog([](QDialog& dialog) { dialog.reject(); });
    Frame()->OnBuildEBook();
    auto dialogs = m_people.Asked("dialog");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].flags, CWarningDlg::IDD_PPC_FIND_ISSUE);
    // The warning ended the command before the title is looked at.
    EXPECT_TRUE(Document()->GetTitle().IsEmpty());
}

TEST_F(MainFrame, AGuideLinkOutsideTheSourceFolderIsRefused) {
    ClickIcon(3);
    Document()->AddSourceFile(WriteSource("a.htm", "<html><head><title>Chapter One</title></head></html>").c_str(), 0);
    Document()->UpdateSourceFolder();
    CLCCoverPage* cover = Document()->GetGuideItem("other.ms-coverimage-standard", TRUE);
    cover->m_nMode = CLCCoverPage::modeUser;
    cover->m_strPath = (m_folder.Path() / "elsewhere" / "cover.jpg").string().c_str();
    ClickIcon(1);
    ClickIcon(4);
    Document()->SetTitle(CString());
    Document()->SetModifiedFlag(FALSE);
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("outside the common source folder"), 1);
    EXPECT_EQ(Messages("Cover image"), 1);
    // The empty title was taken from the first source even though the command ended.
    EXPECT_EQ(Document()->GetTitle(), "Chapter One");
    EXPECT_TRUE(Document()->IsModified());
    EXPECT_NE(dynamic_cast<CLeafcraftCoverPageView*>(Frame()->GetWorkspaceView()), nullptr);
}

TEST_F(MainFrame, ARelativeGuideLinkWithAFragmentPasses) {
    ClickIcon(3);
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    Document()->UpdateSourceFolder();
    CLCCoverPage* item = Document()->GetGuideItem("copyright-page", TRUE);
    item->m_nMode = CLCCoverPage::modeUser;
    item->m_strPath = "sub/../a.htm#rights";
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("outside the common source folder"), 0);
}

TEST_F(MainFrame, UnicodeHtmlSourcesAreReportedOnceAndOnlyForLowerCaseExtensions) {
    ClickIcon(3);
    std::string bom("\xFF\xFE<\0h\0", 6);
    Document()->AddSourceFile(WriteSource("upper.HTM", bom).c_str(), 0);
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("Unicode"), 0);
    Document()->AddSourceFile(WriteSource("one.htm", bom).c_str(), 1);
    Document()->AddSourceFile(WriteSource("two.html", bom).c_str(), 2);
    leaf::WriteAppProfileInt(CWarningDlg::kSection, "PPC Find Issue", 1);
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("Unicode"), 1);
}

TEST_F(MainFrame, BigEndianUnicodeHtmlSourcesAreReportedToo) {
    ClickIcon(3);
    Document()->AddSourceFile(WriteSource("big.htm", std::string("\xFE\xFF\0<\0h", 6)).c_str(), 0);
    leaf::WriteAppProfileInt(CWarningDlg::kSection, "PPC Find Issue", 1);
    Frame()->OnBuildEBook();
    EXPECT_EQ(Messages("Unicode"), 1);
}

// A source that has become a FIFO since it was added is passed over by the check for
// UTF-16 pages, never waited on.
TEST_F(MainFrame, ASourceThatBecameAFifoIsNotWaitedOnByTheUnicodeCheck) {
    ClickIcon(3);
    const std::string source = WriteSource("pipe.htm");
    Document()->AddSourceFile(source.c_str(), 0);
    ASSERT_EQ(Document()->GetSourceCount(), 1);
    fs::remove(source);
    ASSERT_EQ(mkfifo(source.c_str(), 0644), 0);
    {
        leaf::test::FifoWatchdog watchdog(source);
        Frame()->OnBuildEBook();
        EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
    }
    EXPECT_EQ(Messages("Unicode"), 0);
}

TEST_F(MainFrame, OptionsShowTheInstalledFiltersPagesInOneFrame) {
    const QStringList tabs = OptionsPageTitles();
    ASSERT_EQ(m_people.Asked("dialog").size(), 1u);
    // The registered filters' pages, in the order of their names; none fails to load.
    EXPECT_EQ(tabs, (QStringList{"HTML", "Images", "Text"}));
    EXPECT_TRUE(m_people.Asked("message").empty());
}

TEST_F(MainFrame, OptionsLeaveOutAFilterWithoutAPageQuietly) {
    // The Word filter has no option page.
    leaf::test::ChildResult registered = leaf::test::RunRegsvr({"-s", leaf::test::BinDir() + "/wordintake.so"});
    ASSERT_EQ(registered.exitStatus, 0) << registered.out;
    const QStringList tabs = OptionsPageTitles();
    EXPECT_EQ(tabs, (QStringList{"HTML", "Images", "Text"}));
    EXPECT_TRUE(m_people.Asked("message").empty());
}

// File > Exit chosen from the menu bar while the program's event loop runs; the loop's
// exit code. `afterwards` runs right after the menu item, in the same turn of the loop.
// A loop that Exit failed to end is ended by a guard with kStillRunning; the guard goes
// with the call, so it never reaches another test.
class ProgramExit : public MainFrame {
protected:
    static constexpr int kStillRunning = 77;
    int ChooseExit(std::function<void()> afterwards = [] {}) {
        QAction* exit = nullptr;
        for (QAction* menu : Frame()->MainWindow()->menuBar()->actions())
            if (menu->menu())
                for (QAction* item : menu->menu()->actions())
                    if (item->data().toUInt() == ID_APP_EXIT) exit = item;
        EXPECT_NE(exit, nullptr);
        if (!exit) return -1;
        QObject guard;
        QTimer::singleShot(0, &guard, [exit, afterwards] {
            exit->trigger();
            afterwards();
        });
        QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(kStillRunning); });
        return QApplication::exec();
    }
};

TEST_F(ProgramExit, FileExitAsksToSaveAndEndsTheProgram) {
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    m_people.AnswerMessageBox(IDNO);
    EXPECT_EQ(ChooseExit(), 0);
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    ASSERT_EQ(m_people.Asked("message").size(), 1u);
    EXPECT_NE(m_people.Asked("message")[0].text.find("Save changes"), std::string::npos);
}

TEST_F(ProgramExit, FileExitOnAnUntitledProjectEndsTheProgram) {
    EXPECT_EQ(ChooseExit(), 0);
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    EXPECT_TRUE(m_people.Asked("message").empty());
}

TEST_F(ProgramExit, CancellingTheSaveQuestionKeepsTheProgram) {
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    m_people.AnswerMessageBox(IDCANCEL);
    bool frameLeft = false;
    EXPECT_EQ(ChooseExit([&] {
                  frameLeft = Frame() && Frame()->IsWindow();
                  QCoreApplication::exit(kStillRunning);
              }),
              kStillRunning);
    EXPECT_TRUE(frameLeft);
    EXPECT_TRUE(Document()->IsModified());
}

TEST_F(MainFrame, TheIconColumnOffersCommandsToTheWorkspaceFirst) {
    CLeafcraftIconView* icons = Frame()->GetIconView();
    // Add (1033) belongs to the Source Files workspace, Add Tour (1116) to no view here.
    EXPECT_TRUE(icons->OnCmdMsg(1033, CN_COMMAND, nullptr, nullptr, true));
    EXPECT_FALSE(icons->OnCmdMsg(1116, CN_COMMAND, nullptr, nullptr, true));
}

TEST_F(MainFrame, TheWindowKeepsItsMinimumSize) {
    QWidget* window = Frame()->GetWidget();
    EXPECT_GE(window->minimumWidth(), 550);
    EXPECT_GE(window->minimumHeight(), 450);
}

TEST_F(MainFrame, AColourChangeRebuildsTheBanner) {
    CLeafcraftBaseView* view = Frame()->GetWorkspaceView();
    qint64 before = view->GetBanner().cacheKey();
    Frame()->SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_NE(view->GetBanner().cacheKey(), before);
    EXPECT_FALSE(view->GetBanner().isNull());
}

TEST_F(MainFrame, AProjectIsSavedAndOpenedAgain) {
    Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    Document()->AddSourceFile(WriteSource("b.htm").c_str(), 1);
    std::string path = (m_folder.Path() / "book.lcp").string();
    ASSERT_TRUE(Document()->DoSave(path.c_str()));
    EXPECT_FALSE(Document()->IsModified());
    ASSERT_TRUE(fs::exists(path));
    // A new project, then the saved one again.
    m_app->CWinApp::OnFileNew();
    EXPECT_EQ(Document()->GetSourceCount(), 0);
    ASSERT_NE(m_app->OpenDocumentFile(path.c_str()), nullptr);
    EXPECT_EQ(Document()->GetSourceCount(), 2);
    EXPECT_EQ(Frame()->GetCurrentWorkspace(), 0);
}

}  // namespace
