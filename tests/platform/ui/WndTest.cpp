#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <vector>

#include "platform/ui/DialogBuilder.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndHook.h"

using namespace leaf::ui;

namespace {

// A window that records the messages its own procedure sees.
class RecordingWnd : public CWnd {
public:
    std::vector<UINT> messages;
    std::vector<UINT_PTR> timers;
    std::vector<LPARAM> userParams;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message >= WM_USER) userParams.push_back(lParam);
        if (message == WM_USER + 5) return 77;
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override {
        timers.push_back(id);
        if (id == 2) KillTimer(2);
    }
};

// A hook that logs under a name and may keep messages from the rest of the chain.
class LoggingHook : public CWndHook {
public:
    LoggingHook(std::string name, std::vector<std::string>& log, UINT swallow = 0) : m_name(std::move(name)), m_log(log), m_swallow(swallow) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 1 || message == WM_SIZE) m_log.push_back(m_name + ":" + std::to_string(message));
        if (message == m_swallow) return 5;
        return CWndHook::WindowProc(message, wParam, lParam);
    }

private:
    std::string m_name;
    std::vector<std::string>& m_log;
    UINT m_swallow;
};

void RunEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Form {
    QWidget* widget = new QWidget;
    QLineEdit* edit = new QLineEdit(widget);
    QCheckBox* check = new QCheckBox("check", widget);
    QWidget* page = new QWidget(widget);        // a dialog inside the window
    QLineEdit* inner = new QLineEdit(page);
    Form() {
        SetControlId(edit, 1001);
        SetControlId(check, 1002);
        SetControlId(page, 2000);
        SetControlId(inner, 1003);
        MarkDialogRoot(page);
    }
};

}  // namespace

TEST(Wnd, FindsControlsByIdWithoutEnteringOtherDialogs) {
    Form form;
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.Attach(form.widget));
    EXPECT_EQ(wnd.GetDlgItem(1001)->GetWidget(), form.edit);
    EXPECT_EQ(wnd.GetDlgItem(2000)->GetWidget(), form.page);
    EXPECT_EQ(wnd.GetDlgItem(1003), nullptr);
    EXPECT_EQ(CWnd::FromHandle(form.page)->GetDlgItem(1003)->GetWidget(), form.inner);
    EXPECT_EQ(wnd.GetDlgItem(1001)->GetDlgCtrlID(), 1001);
    EXPECT_EQ(wnd.GetDlgItem(1001)->GetParent(), &wnd);
    // The same temporary object for the same widget; the permanent one for the window.
    EXPECT_EQ(wnd.GetDlgItem(1001), CWnd::FromHandle(form.edit));
    EXPECT_EQ(CWnd::FromHandle(form.widget), &wnd);
    EXPECT_FALSE(CWnd().Attach(form.widget));   // one permanent object per widget
    wnd.Detach();
    delete form.widget;
}

TEST(Wnd, TextNumbersAndChecksThroughTheDialogHelpers) {
    Form form;
    CWnd wnd;
    wnd.Attach(form.widget);
    wnd.SetDlgItemText(1001, "Chapter 1");
    CString text;
    EXPECT_EQ(wnd.GetDlgItemText(1001, text), 9);
    EXPECT_STREQ(text.c_str(), "Chapter 1");
    wnd.SetDlgItemInt(1001, static_cast<UINT>(-12));
    EXPECT_EQ(form.edit->text(), "-12");

    struct Case {
        const char* text;
        BOOL isSigned;
        BOOL translated;
        int value;
    };
    const Case cases[] = {
        {"42", TRUE, TRUE, 42},      {" 7 ", TRUE, TRUE, 7},          {"-3", TRUE, TRUE, -3},
        {"-3", FALSE, FALSE, 0},     {"12abc", TRUE, FALSE, 0},       {"", TRUE, FALSE, 0},
        {"2147483648", TRUE, FALSE, 0}, {"4294967295", FALSE, TRUE, -1}, {"-2147483648", TRUE, TRUE, INT32_MIN},
    };
    for (const Case& c : cases) {
        form.edit->setText(c.text);
        BOOL translated = -1;
        UINT value = wnd.GetDlgItemInt(1001, &translated, c.isSigned);
        EXPECT_EQ(translated, c.translated) << c.text;
        EXPECT_EQ(static_cast<int>(value), c.value) << c.text;
    }

    wnd.CheckDlgButton(1002, BST_CHECKED);
    EXPECT_TRUE(form.check->isChecked());
    EXPECT_EQ(wnd.IsDlgButtonChecked(1002), static_cast<UINT>(BST_CHECKED));
    wnd.CheckDlgButton(1002, BST_INDETERMINATE);
    EXPECT_EQ(wnd.IsDlgButtonChecked(1002), static_cast<UINT>(BST_INDETERMINATE));
    wnd.Detach();
    delete form.widget;
}

TEST(Wnd, ShowEnableAndGeometry) {
    Form form;
    CWnd wnd;
    wnd.Attach(form.widget);
    EXPECT_FALSE(wnd.ShowWindow(SW_SHOW));
    EXPECT_TRUE(wnd.IsWindowVisible());
    CWnd* edit = wnd.GetDlgItem(1001);
    EXPECT_FALSE(edit->EnableWindow(FALSE));   // was enabled
    EXPECT_FALSE(edit->IsWindowEnabled());
    EXPECT_TRUE(edit->EnableWindow(TRUE));     // was disabled
    edit->MoveWindow(10, 20, 100, 30);
    RECT client;
    edit->GetClientRect(&client);
    EXPECT_EQ(client.right, 100);
    EXPECT_EQ(client.bottom, 30);
    RECT window;
    edit->GetWindowRect(&window);
    EXPECT_EQ(window.Width(), 100);
    EXPECT_EQ(window.Height(), 30);
    wnd.Detach();
    delete form.widget;
}

TEST(Wnd, PostedMessagesArriveInOrderAfterSentOnes) {
    Form form;
    RecordingWnd wnd;
    wnd.Attach(form.widget);
    wnd.PostMessage(WM_USER + 1, 0, 1);
    wnd.PostMessage(WM_USER + 1, 0, 2);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 5, 0, 0), 77);
    wnd.PostMessage(WM_USER + 1, 0, 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(wnd.userParams, (std::vector<LPARAM>{0, 1, 2, 3}));
    wnd.Detach();
    delete form.widget;
}

TEST(Wnd, TimersFireByIdUntilKilled) {
    Form form;
    RecordingWnd wnd;
    wnd.Attach(form.widget);
    EXPECT_EQ(wnd.SetTimer(1, 5), 1u);
    EXPECT_EQ(wnd.SetTimer(2, 5), 2u);
    RunEventsFor(60);
    EXPECT_TRUE(wnd.KillTimer(1));
    EXPECT_FALSE(wnd.KillTimer(1));
    EXPECT_FALSE(wnd.KillTimer(2));   // killed by its own handler
    size_t ones = std::count(wnd.timers.begin(), wnd.timers.end(), 1u);
    EXPECT_GE(ones, 2u);
    EXPECT_EQ(std::count(wnd.timers.begin(), wnd.timers.end(), 2u), 1);
    size_t before = wnd.timers.size();
    RunEventsFor(20);
    EXPECT_EQ(wnd.timers.size(), before);
    wnd.Detach();
    delete form.widget;
}

// A window that, on a message, deletes another window and makes new ones beside it.
class RearrangingWnd : public CWnd {
public:
    QWidget* victim = nullptr;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 9 && victim) {
            QWidget* parent = victim->parentWidget();
            delete victim;
            victim = nullptr;
            for (int i = 0; i < 64; ++i) new QWidget(parent);   // enough to move the child list
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(Wnd, MessagesToDescendantsSurviveHandlersThatRearrangeTheWindows) {
    QWidget top;
    auto* inner = new QWidget(&top);
    RearrangingWnd first;
    ASSERT_TRUE(first.Attach(new QWidget(inner)));
    auto* doomed = new QWidget(inner);
    new QWidget(doomed);   // a grandchild that goes with it
    RecordingWnd last;
    ASSERT_TRUE(last.Attach(new QWidget(inner)));
    first.victim = doomed;
    CWnd wnd;
    ASSERT_TRUE(wnd.Attach(&top));
    wnd.SendMessageToDescendants(WM_USER + 9, 0, 0, TRUE);
    EXPECT_EQ(first.victim, nullptr);
    EXPECT_EQ(last.messages, std::vector<UINT>{WM_USER + 9});
    wnd.Detach();
    first.Detach();
    last.Detach();
}

TEST(WndHook, TheHookAttachedLastSeesAMessageFirst) {
    Form form;
    RecordingWnd wnd;
    wnd.Attach(form.widget);
    std::vector<std::string> log;
    LoggingHook first("first", log), second("second", log);
    ASSERT_TRUE(first.HookWindow(&wnd));
    ASSERT_TRUE(second.HookWindow(&wnd));
    EXPECT_FALSE(second.HookWindow(&wnd));   // attached already
    wnd.SendMessage(WM_USER + 1);
    EXPECT_EQ(log, (std::vector<std::string>{"second:1025", "first:1025"}));
    EXPECT_EQ(wnd.messages.back(), WM_USER + 1);

    // Removing the later one leaves the earlier working.
    log.clear();
    EXPECT_TRUE(second.HookWindow(nullptr));
    EXPECT_FALSE(second.HookWindow(nullptr));
    wnd.SendMessage(WM_USER + 1);
    EXPECT_EQ(log, (std::vector<std::string>{"first:1025"}));
    first.HookWindow(nullptr);
    wnd.Detach();
    delete form.widget;
}

TEST(WndHook, AHookThatDoesNotPassOnKeepsTheMessageFromTheWindow) {
    Form form;
    RecordingWnd wnd;
    wnd.Attach(form.widget);
    std::vector<std::string> log;
    LoggingHook below("below", log), swallow("swallow", log, WM_USER + 1);
    below.HookWindow(&wnd);
    swallow.HookWindow(&wnd);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 5);
    EXPECT_EQ(log, (std::vector<std::string>{"swallow:1025"}));
    EXPECT_TRUE(wnd.messages.empty());
    // Resizes reach hooks as WM_SIZE.
    log.clear();
    form.widget->resize(300, 200);
    form.widget->show();
    form.widget->resize(340, 220);
    EXPECT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "below:5");
    below.HookWindow(nullptr);
    swallow.HookWindow(nullptr);
    wnd.Detach();
    delete form.widget;
}

TEST(WndHook, HooksLetGoWhenTheirWindowIsDestroyedOrTheyDie) {
    std::vector<std::string> log;
    {
        Form form;
        CWnd wnd;
        wnd.Attach(form.widget);
        LoggingHook hook("h", log);
        {
            LoggingHook shortLived("short", log);
            shortLived.HookWindow(&wnd);
        }
        wnd.SendMessage(WM_USER + 1);   // the dead hook is gone
        EXPECT_EQ(log, std::vector<std::string>{});
        hook.HookWindow(&wnd);
        EXPECT_TRUE(hook.IsHooked());
        wnd.DestroyWindow();
        EXPECT_FALSE(hook.IsHooked());
        EXPECT_EQ(wnd.GetWidget(), nullptr);
    }
    {
        // A widget deleted under its hook leaves the hook detached.
        auto* widget = new QWidget;
        CWnd wnd;
        wnd.Attach(widget);
        LoggingHook hook("h", log);
        hook.HookWindow(&wnd);
        delete widget;
        EXPECT_FALSE(hook.IsHooked());
        EXPECT_EQ(wnd.GetWidget(), nullptr);
    }
}
