// How the program ends when a terminal or the desktop session asks it to (the close
// signals) while a wizard runs: the wizard ends first, the session's end asks nothing and
// keeps a changed project in its auto-save copy for the next start.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>

#include "platform/registry/RegistryKey.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/CloseOnSignal.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

namespace fs = std::filesystem;
using leaf::test::AppFixture;

namespace {

class SessionEnd : public AppFixture {
protected:
    static constexpr int kStillRunning = 77;

    struct Outcome {
        int exitCode = -1;
        bool wizardShown = false;
        bool frameLivedPastTheWizard = false;
    };

    // Starts the program with the signals caught, opens the Build eBook wizard from the
    // menu command and sends `signal` while it shows; the program's loop runs until it
    // ends (or a guard ends it with kStillRunning).
    Outcome SignalWhileTheBuildWizardShows(int signal) {
        leaf::app::CatchCloseSignals();
        Outcome outcome;
        EXPECT_TRUE(Start());
        if (!Frame()) return outcome;
        Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
        Document()->UpdateSourceFolder();
        m_people.AnswerDialog([&](QDialog& wizard) {
            outcome.wizardShown = true;
            std::raise(signal);
            // The wizard ends once the program has seen the signal.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !wizard.isVisible(); }, 10000));
            outcome.frameLivedPastTheWizard = Frame() != nullptr;
        });
        QObject guard;
        QTimer::singleShot(0, &guard, [this] { Frame()->SendMessage(WM_COMMAND, CMainFrame::ID_FILE_BUILD_EBOOK, 0); });
        QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(kStillRunning); });
        outcome.exitCode = m_app->Run();
        return outcome;
    }

    std::string AutoSaveCopy(const std::string& key) const {
        leaf::RegistryKey entry =
            leaf::RegistryKey::Open(HKEY_CURRENT_USER, leaf::AppProfile().BaseKeyPath() + "\\Auto-save\\" + key);
        return entry.IsOpen() ? entry.ReadString("Path").value_or("") : "";
    }
};

TEST_F(SessionEnd, TheSessionsEndClosesTheWizardAndTheProgramWithoutAskingAndKeepsTheCopy) {
    Outcome outcome = SignalWhileTheBuildWizardShows(SIGTERM);
    EXPECT_TRUE(outcome.wizardShown);
    EXPECT_EQ(outcome.exitCode, 0);
    // The main window went only after the wizard had ended, and nothing was asked.
    EXPECT_TRUE(outcome.frameLivedPastTheWizard);
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    EXPECT_TRUE(m_people.Asked("message").empty());
    // The changed project stays in its auto-save copy, which the next start offers.
    std::vector<std::string> keys = AutoSaveKeys();
    ASSERT_EQ(keys.size(), 1u);
    std::string copy = AutoSaveCopy(keys.front());
    EXPECT_TRUE(fs::is_regular_file(copy)) << copy;
    CString path, key;
    EXPECT_TRUE(m_app->FindOrphanAutoSave(path, key));
    EXPECT_EQ(path.str(), copy);
}

TEST_F(SessionEnd, CtrlCInATerminalClosesTheWizardAndAsksAsTheCloseBoxDoes) {
    m_people.AnswerMessageBox(IDNO);
    Outcome outcome = SignalWhileTheBuildWizardShows(SIGINT);
    EXPECT_TRUE(outcome.wizardShown);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.frameLivedPastTheWizard);
    ASSERT_EQ(m_people.Asked("message").size(), 1u);
    EXPECT_NE(m_people.Asked("message")[0].text.find("Save changes"), std::string::npos);
    // A close that was answered deletes the copy as any close does.
    EXPECT_TRUE(AutoSaveKeys().empty());
}

}  // namespace
