#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/EnumVariant.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/platform/com/module/TestComIds.h"

namespace {

using namespace testcom;

// A sink that records every event as "dispid(arg, arg, ...)" and may run an action
// from inside a handler.
class RecordingSink final : public leaf::ComObject<RecordingSink, IDispatch> {
public:
    HRESULT GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        std::string text = std::to_string(id) + "(";
        for (UINT i = params->cArgs; i > 0; --i)
            text += leaf::Variant(params->rgvarg[i - 1]).ToUtf8() + (i > 1 ? ", " : "");
        events.push_back(text + ")");
        if (onEvent)
            onEvent();
        return S_OK;
    }

    std::vector<std::string> events;
    std::function<void()> onEvent;
};

class NotASink final : public leaf::ComObject<NotASink, IEnumVARIANT> {
public:
    HRESULT Next(ULONG, VARIANT*, ULONG*) override { return E_NOTIMPL; }
    HRESULT Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT Reset() override { return E_NOTIMPL; }
    HRESULT Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
};

class ConnectionPointTest : public leaf::test::RegisteredServerTest {
protected:
    void SetUp() override {
        RegisteredServerTest::SetUp();
        object = CreateTestObject();
        ASSERT_TRUE(object);
        leaf::ComPtr<IConnectionPointContainer> container = object.As<IConnectionPointContainer>();
        ASSERT_TRUE(container);
        ASSERT_EQ(container->FindConnectionPoint(DIID__DTestObjectEvents, point.Receive()), S_OK);
    }

    void Fire(LONG count) { leaf::DispatchDriver(object).Invoke(DISPID_Fire, DISPATCH_METHOD, count); }

    leaf::ComPtr<IDispatch> object;
    leaf::ComPtr<IConnectionPoint> point;
};

TEST_F(ConnectionPointTest, SinksReceiveTheExactEventsInOrder) {
    leaf::ComPtr<RecordingSink> sink(new RecordingSink);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    Fire(2);
    EXPECT_EQ(sink->events, (std::vector<std::string>{"1(0, tick 0)", "1(1, tick 1)", "2(2)"}));

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    Fire(1);
    EXPECT_EQ(sink->events.size(), 3u) << "no events after unadvising";
}

TEST_F(ConnectionPointTest, ContainerAnswersOnlyItsEventInterface) {
    leaf::ComPtr<IConnectionPointContainer> container = object.As<IConnectionPointContainer>();
    leaf::ComPtr<IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(DIID__DTestObject, other.Receive()), CONNECT_E_NOCONNECTION);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID__DTestObjectEvents);
    leaf::ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(point->GetConnectionPointContainer(back.Receive()), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(back.Get()), static_cast<IUnknown*>(container.Get()));

    leaf::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.Receive()), S_OK);
    IConnectionPoint* found[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(found[0], point.Get());
    found[0]->Release();
}

TEST_F(ConnectionPointTest, SinksWithoutDispatchAreRefused) {
    leaf::ComPtr<NotASink> notSink(new NotASink);
    DWORD cookie = 7;
    EXPECT_EQ(point->Advise(static_cast<IEnumVARIANT*>(notSink.Get()), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
}

TEST_F(ConnectionPointTest, UnadvisingFromInsideAnEventStopsLaterEventsOnly) {
    leaf::ComPtr<RecordingSink> first(new RecordingSink);
    leaf::ComPtr<RecordingSink> second(new RecordingSink);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(second.Get()), &secondCookie), S_OK);
    // The first sink disconnects itself and the second on its first event; the second
    // must then hear nothing, not even the event in progress.
    first->onEvent = [&] {
        point->Unadvise(firstCookie);
        point->Unadvise(secondCookie);
        first->onEvent = nullptr;
    };
    Fire(3);
    EXPECT_EQ(first->events, (std::vector<std::string>{"1(0, tick 0)"}));
    EXPECT_TRUE(second->events.empty());
}

TEST_F(ConnectionPointTest, AdvisingFromInsideAnEventHearsTheNextEvent) {
    leaf::ComPtr<RecordingSink> first(new RecordingSink);
    leaf::ComPtr<RecordingSink> late(new RecordingSink);
    DWORD cookie = 0, lateCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(first.Get()), &cookie), S_OK);
    first->onEvent = [&] {
        point->Advise(static_cast<IDispatch*>(late.Get()), &lateCookie);
        first->onEvent = nullptr;
    };
    Fire(2);
    EXPECT_EQ(first->events.size(), 3u);
    EXPECT_EQ(late->events, (std::vector<std::string>{"1(1, tick 1)", "2(2)"}));

    leaf::ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(connections.Receive()), S_OK);
    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(3, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(data[0].dwCookie, cookie);
    EXPECT_EQ(data[1].dwCookie, lateCookie);
    for (ULONG i = 0; i < fetched; ++i)
        data[i].pUnk->Release();
}

TEST_F(ConnectionPointTest, ConnectedSinksAreReleasedWithTheSource) {
    leaf::ComPtr<RecordingSink> sink(new RecordingSink);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
    point = nullptr;
    object = nullptr;
    // Only our own reference is left: the source let go of the sink when it died.
    EXPECT_EQ(sink->AddRef(), 2u);
    sink->Release();
}

}  // namespace
