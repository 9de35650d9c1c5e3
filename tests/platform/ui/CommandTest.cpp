#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "platform/ui/WndHook.h"
#include "tests/support/TempFolder.h"

using namespace leaf::ui;

namespace {

class CommandWnd : public CWnd {
public:
    CommandWnd() {
        MapCommand(40000, &CommandWnd::OnNew);
        MapCommandRange(50000, 50098, &CommandWnd::OnWorkspace);
        MapUpdateUI(40000, &CommandWnd::OnUpdateNew);
        MapControl(1033, BN_CLICKED, &CommandWnd::OnAdd);
    }
    void OnNew() { ++news; }
    void OnWorkspace(UINT id) { workspaces.push_back(id); }
    void OnUpdateNew(CCmdUI* ui) { ui->Enable(newEnabled); ui->SetCheck(1); }
    void OnAdd() { ++adds; }
    int news = 0;
    int adds = 0;
    BOOL newEnabled = TRUE;
    std::vector<UINT> workspaces;
};

// Counts the idle command-update messages a window gets.
class IdleCounter : public CWndHook {
public:
    int updates = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_IDLEUPDATECMDUI) ++updates;
        return CWndHook::WindowProc(message, wParam, lParam);
    }
};

}  // namespace

TEST(Commands, HandlersAreFoundByIdAndRange) {
    CommandWnd target;
    EXPECT_TRUE(target.OnCmdMsg(40000, CN_COMMAND, nullptr));
    EXPECT_TRUE(target.OnCmdMsg(50003, CN_COMMAND, nullptr));
    EXPECT_FALSE(target.OnCmdMsg(50099, CN_COMMAND, nullptr));
    EXPECT_TRUE(target.OnCmdMsg(40000, CN_COMMAND, nullptr, nullptr, true));   // probing runs nothing
    EXPECT_EQ(target.news, 1);
    EXPECT_EQ(target.workspaces, std::vector<UINT>{50003});
}

TEST(Commands, ADisabledCommandFromAMenuOrAcceleratorIsNotExecuted) {
    auto* widget = new QWidget;
    CommandWnd wnd;
    wnd.Attach(widget);
    wnd.SendMessage(WM_COMMAND, 40000, 0);
    EXPECT_EQ(wnd.news, 1);
    wnd.newEnabled = FALSE;
    wnd.SendMessage(WM_COMMAND, 40000, 0);
    EXPECT_EQ(wnd.news, 1);
    EXPECT_FALSE(wnd.ExecuteCommand(40000));
    wnd.newEnabled = TRUE;
    EXPECT_TRUE(wnd.ExecuteCommand(40000));
    EXPECT_EQ(wnd.news, 2);
    wnd.Detach();
    delete widget;
}

TEST(Commands, UpdateRecordsEnableAndCheckTheControlsThatShowACommand) {
    auto* widget = new QWidget;
    auto* button = new QPushButton("New", widget);
    SetControlId(button, 40000);
    auto* orphan = new QPushButton("Nothing", widget);
    SetControlId(orphan, 44444);
    CommandWnd wnd;
    wnd.Attach(widget);

    wnd.newEnabled = FALSE;
    CCmdUI update;
    update.m_nID = 40000;
    update.m_pOther = wnd.GetDlgItem(40000);
    EXPECT_TRUE(update.DoUpdate(&wnd, TRUE));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(button->isChecked());

    // No update handler and no command handler: disabled when asked to.
    CCmdUI none;
    none.m_nID = 44444;
    none.m_pOther = wnd.GetDlgItem(44444);
    EXPECT_FALSE(none.DoUpdate(&wnd, TRUE));
    EXPECT_FALSE(orphan->isEnabled());
    // A command handler without an update handler keeps the control enabled.
    CCmdUI ranged;
    ranged.m_nID = 50001;
    ranged.DoUpdate(&wnd, TRUE);
    EXPECT_TRUE(ranged.m_enabled);
    wnd.Detach();
    delete widget;
}

TEST(Commands, ControlNotificationsReachTheirTableEntries) {
    auto* widget = new QWidget;
    auto* add = new QPushButton("&Add...", widget);
    SetControlId(add, 1033);
    QObject::connect(add, &QPushButton::clicked, add, [add] { NotifyCommand(add, BN_CLICKED); });
    CommandWnd wnd;
    wnd.Attach(widget);
    add->click();
    EXPECT_EQ(wnd.adds, 1);
    wnd.Detach();
    delete widget;
}

TEST(WinApp, IdleUpdatesOneRegisteredWindowPerCall) {
    CWinApp app("Leaf Test");
    auto* first = new QWidget;
    auto* second = new QWidget;
    CWnd one, two;
    one.Attach(first);
    two.Attach(second);
    IdleCounter countOne, countTwo;
    countOne.HookWindow(&one);
    countTwo.HookWindow(&two);
    app.RegisterWindow(&one);
    app.RegisterWindow(&two);
    app.RegisterWindow(&one);   // once only
    EXPECT_EQ(app.RegisteredWindowCount(), 2u);

    EXPECT_TRUE(app.OnIdle(0));   // a new idle period
    EXPECT_TRUE(app.OnIdle(1));
    EXPECT_EQ(countOne.updates, 1);
    EXPECT_EQ(countTwo.updates, 0);
    EXPECT_TRUE(app.OnIdle(2));
    EXPECT_EQ(countTwo.updates, 1);
    EXPECT_FALSE(app.OnIdle(3));   // the round is done

    // A window that died drops out of the list.
    countOne.HookWindow(nullptr);
    one.Detach();
    delete first;
    EXPECT_TRUE(app.OnIdle(0));
    EXPECT_TRUE(app.OnIdle(1));
    EXPECT_EQ(countTwo.updates, 2);
    EXPECT_FALSE(app.OnIdle(2));
    EXPECT_EQ(app.RegisteredWindowCount(), 1u);
    countTwo.HookWindow(nullptr);
    two.Detach();
    delete second;
}

TEST(WinApp, TheEventLoopDrivesIdleProcessingWhenItIsAboutToWait) {
    struct CountingApp : CWinApp {
        CountingApp() : CWinApp("Leaf Test") {}
        std::vector<LONG> counts;
        BOOL OnIdle(LONG count) override {
            counts.push_back(count);
            return count < 2;
        }
    } app;
    app.InstallIdleProcessing();
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_GE(app.counts.size(), 3u);
    EXPECT_EQ(app.counts[0], 0);
    EXPECT_EQ(app.counts[1], 1);
    EXPECT_EQ(app.counts[2], 2);
}

TEST(WinApp, ProfileLivesUnderTheRegistryKeyAndApplicationName) {
    leaf::test::ScopedRegistryRoot registry;
    CWinApp app("Leafcraft");
    EXPECT_EQ(app.GetProfileInt("Settings", "Show Banners", 1), 1u);
    EXPECT_FALSE(app.WriteProfileInt("Settings", "Show Banners", 0));   // no key yet
    app.SetRegistryKey("Tallbrook Systems, Inc.");
    EXPECT_TRUE(app.WriteProfileInt("Settings", "Show Banners", 0));
    EXPECT_TRUE(app.WriteProfileString("Settings", "Last", "book.lcp"));
    CWinApp again("Leafcraft");
    again.SetRegistryKey("Tallbrook Systems, Inc.");
    EXPECT_EQ(again.GetProfileInt("Settings", "Show Banners", 1), 0u);
    EXPECT_STREQ(again.GetProfileString("Settings", "Last").c_str(), "book.lcp");
    EXPECT_EQ(app.GetProfile()->BaseKeyPath(), "Software\\Tallbrook Systems, Inc.\\Leafcraft");
}

TEST(WinApp, ModulesFindTheMessagePumpAndItDispatchesOnlyWithAnApplication) {
    using Pump = void (*)();
    void* symbol = dlsym(RTLD_DEFAULT, "LeafPumpWaitingMessages");
    ASSERT_NE(symbol, nullptr);
    Pump pump = reinterpret_cast<Pump>(symbol);

    int delivered = 0;
    QObject context;
    QMetaObject::invokeMethod(&context, [&] { ++delivered; }, Qt::QueuedConnection);
    pump();
    EXPECT_EQ(delivered, 0) << "without an application object the pump leaves messages alone";
    {
        CWinApp app("Leaf Test");
        pump();
        EXPECT_EQ(delivered, 1);
    }
}
