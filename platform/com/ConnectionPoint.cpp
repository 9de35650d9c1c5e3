#include "platform/com/ConnectionPoint.h"

#include <algorithm>
#include <new>

#include "platform/com/ComObject.h"

namespace leaf {

namespace {

// A snapshot of the connections at the time it was asked for.
class ConnectionEnumerator final : public ComObject<ConnectionEnumerator, IEnumConnections> {
public:
    struct Entry {
        ComPtr<IUnknown> sink;
        DWORD cookie;
    };
    ConnectionEnumerator(std::vector<Entry> entries, std::size_t position)
        : m_entries(std::move(entries)), m_position(position) {}

    HRESULT Next(ULONG count, CONNECTDATA* connections, ULONG* fetched) override {
        if (fetched != nullptr)
            *fetched = 0;
        if (count > 0 && connections == nullptr)
            return E_POINTER;
        std::size_t n = std::min<std::size_t>(count, m_entries.size() - m_position);
        for (std::size_t i = 0; i < n; ++i) {
            const Entry& entry = m_entries[m_position + i];
            connections[i].pUnk = entry.sink.Get();
            connections[i].pUnk->AddRef();
            connections[i].dwCookie = entry.cookie;
        }
        m_position += n;
        if (fetched != nullptr)
            *fetched = static_cast<ULONG>(n);
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        std::size_t n = std::min<std::size_t>(count, m_entries.size() - m_position);
        m_position += n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnections** clone) override {
        if (clone == nullptr)
            return E_POINTER;
        auto* copy = new (std::nothrow) ConnectionEnumerator(m_entries, m_position);
        *clone = copy;
        if (copy == nullptr)
            return E_OUTOFMEMORY;
        copy->AddRef();
        return S_OK;
    }

private:
    std::vector<Entry> m_entries;
    std::size_t m_position;
};

class PointEnumerator final : public ComObject<PointEnumerator, IEnumConnectionPoints> {
public:
    PointEnumerator(std::vector<ComPtr<IConnectionPoint>> points, std::size_t position)
        : m_points(std::move(points)), m_position(position) {}

    HRESULT Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
        if (fetched != nullptr)
            *fetched = 0;
        if (count > 0 && points == nullptr)
            return E_POINTER;
        std::size_t n = std::min<std::size_t>(count, m_points.size() - m_position);
        for (std::size_t i = 0; i < n; ++i)
            m_points[m_position + i].CopyTo(&points[i]);
        m_position += n;
        if (fetched != nullptr)
            *fetched = static_cast<ULONG>(n);
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        std::size_t n = std::min<std::size_t>(count, m_points.size() - m_position);
        m_position += n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        m_position = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumConnectionPoints** clone) override {
        if (clone == nullptr)
            return E_POINTER;
        auto* copy = new (std::nothrow) PointEnumerator(m_points, m_position);
        *clone = copy;
        if (copy == nullptr)
            return E_OUTOFMEMORY;
        copy->AddRef();
        return S_OK;
    }

private:
    std::vector<ComPtr<IConnectionPoint>> m_points;
    std::size_t m_position;
};

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, REFIID eventInterface)
    : m_container(container), m_eventInterface(eventInterface) {}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint)
        return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG ConnectionPoint::AddRef() { return m_container.AddRef(); }

ULONG ConnectionPoint::Release() { return m_container.Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr)
        return E_POINTER;
    *iid = m_eventInterface;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr)
        return E_POINTER;
    *container = &m_container;
    m_container.AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr)
        return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
        return E_POINTER;
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(m_eventInterface, events.ReceiveVoid())) || !events) {
        if (FAILED(sink->QueryInterface(IID_IDispatch, events.ReceiveVoid())) || !events)
            return CONNECT_E_CANNOTCONNECT;
    }
    if (m_nextCookie == 0)  // the cookies ran out after four billion connections
        return CONNECT_E_ADVISELIMIT;
    m_sinks.push_back(Sink{m_nextCookie, std::move(events)});
    *cookie = m_nextCookie++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    auto found = std::find_if(m_sinks.begin(), m_sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (found == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    // Release the sink after it has left the list: its release may call back here.
    ComPtr<IDispatch> released = std::move(found->events);
    m_sinks.erase(found);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** enumerator) {
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    std::vector<ConnectionEnumerator::Entry> entries;
    for (const Sink& sink : m_sinks)
        entries.push_back({ComPtr<IUnknown>(sink.events.Get()), sink.cookie});
    auto* created = new (std::nothrow) ConnectionEnumerator(std::move(entries), 0);
    if (created == nullptr)
        return E_OUTOFMEMORY;
    created->AddRef();
    *enumerator = created;
    return S_OK;
}

bool ConnectionPoint::IsConnected(DWORD cookie) const {
    return std::any_of(m_sinks.begin(), m_sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
}

HRESULT ConnectionPoint::Fire(DISPID dispid, const std::vector<Variant>& arguments) {
    static_assert(sizeof(Variant) == sizeof(VARIANT), "a Variant is a VARIANT and nothing more");
    return Fire(dispid, arguments.data(), arguments.size());
}

HRESULT ConnectionPoint::Fire(DISPID dispid, const VARIANT* arguments, std::size_t count) {
    // The sinks of this moment, held so that one unadvising another cannot free it
    // under the loop.
    std::vector<Sink> sinks = m_sinks;
    // Events have a few arguments: they are reversed on the stack.
    constexpr std::size_t kOnTheStack = 8;
    VARIANT few[kOnTheStack];
    std::vector<VARIANT> many(count > kOnTheStack ? count : 0);
    VARIANT* reversed = count > kOnTheStack ? many.data() : few;
    for (std::size_t i = 0; i < count; ++i)
        reversed[i] = arguments[count - 1 - i];
    HRESULT firstFailure = S_OK;
    for (const Sink& sink : sinks) {
        if (!IsConnected(sink.cookie))
            continue;
        DISPPARAMS params{count == 0 ? nullptr : reversed, nullptr, static_cast<UINT>(count), 0};
        Variant ignored;
        HRESULT hr = sink.events->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &ignored,
                                         nullptr, nullptr);
        if (FAILED(hr) && SUCCEEDED(firstFailure))
            firstFailure = hr;
    }
    return firstFailure;
}

HRESULT ConnectionPointContainerImpl::EnumConnectionPoints(IEnumConnectionPoints** enumerator) {
    if (enumerator == nullptr)
        return E_POINTER;
    *enumerator = nullptr;
    std::vector<ComPtr<IConnectionPoint>> points;
    for (const auto& point : m_points)
        points.emplace_back(point.get());
    auto* created = new (std::nothrow) PointEnumerator(std::move(points), 0);
    if (created == nullptr)
        return E_OUTOFMEMORY;
    created->AddRef();
    *enumerator = created;
    return S_OK;
}

HRESULT ConnectionPointContainerImpl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr)
        return E_POINTER;
    *point = nullptr;
    ConnectionPoint* found = GetConnectionPoint(riid);
    if (found == nullptr)
        return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *point = found;
    return S_OK;
}

void ConnectionPointContainerImpl::AddConnectionPoint(REFIID eventInterface) {
    if (GetConnectionPoint(eventInterface) == nullptr)
        m_points.push_back(std::make_unique<ConnectionPoint>(*this, eventInterface));
}

ConnectionPoint* ConnectionPointContainerImpl::GetConnectionPoint(REFIID eventInterface) const {
    for (const auto& point : m_points)
        if (point->EventInterface() == eventInterface)
            return point.get();
    return nullptr;
}

}  // namespace leaf
