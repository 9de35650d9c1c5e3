#pragma once

// Events: the connection-point interfaces, and a ready implementation for a source
// object with one event (dispatch) interface per connection point.
//
// A source lists ConnectionPointContainerImpl among its interfaces and names its event
// interfaces in its constructor:
//
//   class CControl final : public leaf::DispatchImpl<CControl, IDispatch, leaf::ConnectionPointContainerImpl> {
//   public:
//       CControl() { AddConnectionPoint(DIID__DEvents); }
//       void Progress(LONG percent) { FireEvent(DIID__DEvents, 1, percent); }
//   };
//
// Events reach each sink through IDispatch::Invoke. A sink may advise or unadvise
// (itself or another) from inside its handler: an event goes to the sinks connected
// when it was fired that are still connected when their turn comes. The source must
// stay alive while it fires (hold a reference to it across the call that fires).

#include <memory>
#include <utility>
#include <vector>

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

struct IConnectionPointContainer;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};
using LPCONNECTDATA = CONNECTDATA*;

struct IEnumConnections : IUnknown {
    static constexpr const IID& kIid = IID_IEnumConnections;

    // Each CONNECTDATA's pUnk is AddRef'ed; the caller releases it.
    virtual HRESULT Next(ULONG count, CONNECTDATA* connections, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** clone) = 0;

protected:
    ~IEnumConnections() = default;
};

struct IConnectionPoint : IUnknown {
    static constexpr const IID& kIid = IID_IConnectionPoint;

    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** enumerator) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IEnumConnectionPoints : IUnknown {
    static constexpr const IID& kIid = IID_IEnumConnectionPoints;

    virtual HRESULT Next(ULONG count, IConnectionPoint** points, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** clone) = 0;

protected:
    ~IEnumConnectionPoints() = default;
};

struct IConnectionPointContainer : IUnknown {
    static constexpr const IID& kIid = IID_IConnectionPointContainer;

    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** enumerator) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

namespace leaf {

// One event interface of a source. Its lifetime is its container's: AddRef and
// Release go to the container.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer& container, REFIID eventInterface);
    ~ConnectionPoint() = default;
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // The sink is asked for the event interface, else for IDispatch;
    // CONNECT_E_CANNOTCONNECT when it offers neither.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION for a cookie that is not connected.
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** enumerator) override;

    const IID& EventInterface() const { return m_eventInterface; }
    std::size_t ConnectionCount() const { return m_sinks.size(); }

    // Calls member `dispid` of every connected sink with the arguments in their
    // natural order. Returns S_OK, or the first failure a sink returned (every sink
    // is called regardless).
    HRESULT Fire(DISPID dispid, const std::vector<Variant>& arguments);
    // The same with arguments the caller keeps (nothing is copied or freed of them).
    HRESULT Fire(DISPID dispid, const VARIANT* arguments, std::size_t count);

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> events;
    };
    bool IsConnected(DWORD cookie) const;

    IConnectionPointContainer& m_container;
    IID m_eventInterface;
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
};

// IConnectionPointContainer for a source object; list it among the object's
// interfaces (see above), whose IUnknown then serves it.
class ConnectionPointContainerImpl : public IConnectionPointContainer {
public:
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** enumerator) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

protected:
    ConnectionPointContainerImpl() = default;
    ~ConnectionPointContainerImpl() = default;

    void AddConnectionPoint(REFIID eventInterface);
    // Null when the object has no connection point for that interface.
    ConnectionPoint* GetConnectionPoint(REFIID eventInterface) const;

    template <class... Arguments>
    HRESULT FireEvent(REFIID eventInterface, DISPID dispid, const Arguments&... arguments) {
        ConnectionPoint* point = GetConnectionPoint(eventInterface);
        return point ? point->Fire(dispid, {Variant(arguments)...}) : E_UNEXPECTED;
    }

private:
    std::vector<std::unique_ptr<ConnectionPoint>> m_points;
};

}  // namespace leaf
