// Hosting a control made by CLSID from another module as a child window: the window
// carries the control id, the control's IDispatch is reachable, and its events reach the
// parent's event sink map by control id and dispatch id.
#include <gtest/gtest.h>

#include <QWidget>

#include "platform/com/DispatchDriver.h"
#include "platform/com/ComRuntime.h"
#include "platform/ui/ControlSite.h"
#include "platform/ui/Wnd.h"
#include "tests/platform/com/module/TestComIds.h"
#include "tests/platform/ui/UiTestEnvironment.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

using namespace leaf::ui;

namespace {

constexpr UINT kControlId = 100;

// A window with an event sink map for the hosted test object's events.
class HostWnd : public CWnd {
public:
    HostWnd() {
        MapEvent(kControlId, testcom::DISPID_OnTick, [this](DISPPARAMS* params) {
            ticks.push_back(std::to_string(EventArgumentLong(params, 0)) + ":" + EventArgumentString(params, 1).str());
            return TRUE;
        });
    }
    std::vector<std::string> ticks;
};

class ControlSiteTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::test::ChildResult result = leaf::test::RunRegsvr({leaf::test::BinDir() + "/testcomobject.so"});
        ASSERT_EQ(result.exitStatus, 0) << result.out;
        ASSERT_TRUE(host.Attach(new QWidget));
    }
    void TearDown() override { delete host.Detach(); }
    HostWnd host;
};

}  // namespace

TEST_F(ControlSiteTest, HostedControlIsAChildWithItsIdAndRoutesEventsById) {
    CWnd control;
    RECT none{};
    ASSERT_TRUE(control.CreateControl(testcom::CLSID_TestObject, "test", WS_CHILD, none, &host, kControlId));
    EXPECT_EQ(host.GetDlgItem(kControlId), &control);
    EXPECT_FALSE(control.IsWindowVisible());
    ASSERT_NE(control.GetControlUnknown(), nullptr);
    ASSERT_NE(control.GetControlDispatch(), nullptr);

    leaf::DispatchDriver driver(control.GetControlDispatch());
    EXPECT_EQ(driver.Invoke(testcom::DISPID_Add, DISPATCH_METHOD, 2, 3).ToLong(), 5);
    driver.Invoke(testcom::DISPID_Fire, DISPATCH_METHOD, 2);
    // OnTick has a handler; OnDone has none and goes nowhere.
    EXPECT_EQ(host.ticks, (std::vector<std::string>{"0:tick 0", "1:tick 1"}));

    // Once the window is destroyed the control is released and fires no more.
    leaf::ComPtr<IDispatch> kept(control.GetControlDispatch());
    control.DestroyWindow();
    EXPECT_EQ(control.GetControlDispatch(), nullptr);
    leaf::DispatchDriver(kept).Invoke(testcom::DISPID_Fire, DISPATCH_METHOD, 1);
    EXPECT_EQ(host.ticks.size(), 2u);
}

TEST_F(ControlSiteTest, ControlWithAnotherIdDoesNotReachTheSinkMap) {
    CWnd control;
    RECT none{};
    ASSERT_TRUE(control.CreateControl(testcom::CLSID_TestObject, nullptr, WS_CHILD | WS_VISIBLE, none, &host, kControlId + 1));
    EXPECT_EQ(control.GetDlgCtrlID(), static_cast<int>(kControlId + 1));
    leaf::DispatchDriver(control.GetControlDispatch()).Invoke(testcom::DISPID_Fire, DISPATCH_METHOD, 3);
    EXPECT_TRUE(host.ticks.empty());
}

TEST_F(ControlSiteTest, UnknownClassCreatesNothing) {
    CWnd control;
    RECT none{};
    const CLSID unknown = leaf::MakeGuid("{0BADC0DE-0000-4000-8000-000000000001}");
    EXPECT_FALSE(control.CreateControl(unknown, nullptr, WS_CHILD, none, &host, kControlId));
    EXPECT_FALSE(control.IsWindow());
    EXPECT_EQ(host.GetDlgItem(kControlId), nullptr);
    EXPECT_FALSE(control.CreateControl(testcom::CLSID_TestObject, nullptr, WS_CHILD, none, nullptr, kControlId));
}

TEST(EventArguments, ReadInDeclaredOrder) {
    leaf::Variant arguments[2];   // rgvarg holds the last argument first
    arguments[0] = leaf::Variant("second");
    arguments[1] = leaf::Variant(static_cast<LONG>(41));
    DISPPARAMS params{arguments, nullptr, 2, 0};
    EXPECT_EQ(EventArgumentLong(&params, 0), 41);
    EXPECT_EQ(EventArgumentString(&params, 1).str(), "second");
    EXPECT_EQ(EventArgument(&params, 2), nullptr);
    EXPECT_EQ(EventArgumentLong(&params, 5), 0);
    EXPECT_EQ(EventArgumentString(nullptr, 0).str(), "");
}
