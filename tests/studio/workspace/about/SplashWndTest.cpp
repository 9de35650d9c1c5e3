// The splash stays its minimum time and until start-up lets it go, whichever is later.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <functional>

#include "studio/workspace/SplashPicture.h"
#include "studio/workspace/SplashWnd.h"

namespace {

// Runs the event loop until the condition holds or the time is over; the condition's value.
bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

void Pump(int milliseconds) {
    WaitFor([] { return false; }, milliseconds);
}

class SplashWndTest : public testing::Test {
protected:
    void TearDown() override { CSplashWnd::HideSplashScreen(); }
};

}  // namespace

TEST_F(SplashWndTest, ShowsThePictureCentredAtItsSize) {
    CSplashWnd::ShowSplashScreen(CSplashWnd::IDB_SPLASH, 2000);
    CSplashWnd* splash = CSplashWnd::GetCurrent();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->GetWidth(), leaf::app::kSplashWidth);
    EXPECT_EQ(splash->GetHeight(), leaf::app::kSplashHeight);
    EXPECT_TRUE(splash->IsWindowVisible());
    EXPECT_TRUE(splash->GetWidget()->windowFlags() & Qt::WindowStaysOnTopHint);
    CSplashWnd::HideSplashScreen();
    EXPECT_EQ(CSplashWnd::GetCurrent(), nullptr);
}

TEST_F(SplashWndTest, AQuickStartKeepsTheSplashUntilTheMinimumTime) {
    CSplashWnd::ShowSplashScreen(CSplashWnd::IDB_SPLASH, 300);
    ASSERT_NE(CSplashWnd::GetCurrent(), nullptr);
    CSplashWnd::RequestHide();
    ASSERT_NE(CSplashWnd::GetCurrent(), nullptr) << "asked to go before its time";
    EXPECT_TRUE(CSplashWnd::GetCurrent()->IsHideRequested());
    EXPECT_TRUE(WaitFor([] { return CSplashWnd::GetCurrent() == nullptr; }, 5000));
}

TEST_F(SplashWndTest, ALongStartRemovesTheSplashWhenAsked) {
    CSplashWnd::ShowSplashScreen(CSplashWnd::IDB_SPLASH, 20);
    ASSERT_TRUE(WaitFor([] { return CSplashWnd::GetCurrent()->IsTimeUp(); }, 5000));
    Pump(50);
    ASSERT_NE(CSplashWnd::GetCurrent(), nullptr) << "the time alone does not remove it";
    CSplashWnd::RequestHide();
    EXPECT_EQ(CSplashWnd::GetCurrent(), nullptr);
    Pump(20);  // the window itself goes once control is back in the event loop
}

TEST_F(SplashWndTest, AMissingPictureShowsNothing) {
    CSplashWnd::ShowSplashScreen(999, 2000);
    EXPECT_EQ(CSplashWnd::GetCurrent(), nullptr);
    CSplashWnd::RequestHide();
    CSplashWnd::HideSplashScreen();
    EXPECT_EQ(CSplashWnd::GetCurrent(), nullptr);
}

TEST_F(SplashWndTest, AQuestionOfTheStartUpTakesTheSplashAway) {
    CSplashWnd::ShowSplashScreen(CSplashWnd::IDB_SPLASH, 60000);
    // The main window showing leaves the splash its time.
    QWidget main;
    main.show();
    Pump(20);
    ASSERT_NE(CSplashWnd::GetCurrent(), nullptr);
    // A question (the locate-source dialog, a message box) does not open under it.
    QDialog question;
    question.setModal(true);
    question.show();
    EXPECT_TRUE(WaitFor([] { return CSplashWnd::GetCurrent() == nullptr; }, 5000));
    EXPECT_TRUE(question.isVisible());
}
