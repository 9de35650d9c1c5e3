#include "studio/workspace/CancelWebEvent.h"

#include <atomic>

#include "platform/com/ComObject.h"
#include "platform/com/ModuleLock.h"
#include "platform/ui/DispatchMap.h"

namespace {

std::atomic<int> g_liveCount{0};

// The default member answers the same as ReturnFalse, so that invoking the object
// itself (the way a document calls an event handler object) cancels the event.
const leaf::DispInterfaceDescription& CancelWebEventInterface() {
    static const leaf::DispInterfaceDescription description{
        "ICancelWebEvent",
        leaf::MakeGuid("{6C1F3A52-0B7D-4E89-9A41-3D2E5F60C7B8}"),
        "Answers FALSE to cancel a browser event",
        {
            {"ReturnFalse", 1, leaf::MemberKind::Method, VT_BOOL},
            {"_Default", DISPID_VALUE, leaf::MemberKind::Method, VT_BOOL},
        }};
    return description;
}

}  // namespace

// The object's IDispatch owns it: the target lives as long as the last reference.
class CancelWebEventObject final : public leaf::ComObject<CancelWebEventObject, IDispatch> {
public:
    CancelWebEventObject() : m_target(new CCancelWebEvent) {}

    HRESULT GetTypeInfoCount(UINT* count) override { return Face()->GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override { return Face()->GetTypeInfo(index, lcid, info); }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return Face()->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override {
        return Face()->Invoke(dispid, riid, lcid, flags, params, result, exception, argumentError);
    }

private:
    IDispatch* Face() const { return m_target->GetIDispatch(FALSE); }
    std::unique_ptr<CCancelWebEvent> m_target;
};

CCancelWebEvent::CCancelWebEvent() {
    EnableAutomation<CCancelWebEvent>();
    leaf::ModuleLock::LockServer(true);
    ++g_liveCount;
}

CCancelWebEvent::~CCancelWebEvent() {
    --g_liveCount;
    leaf::ModuleLock::LockServer(false);
}

leaf::ComPtr<IDispatch> CCancelWebEvent::Create() { return leaf::ComPtr<IDispatch>(new CancelWebEventObject); }

int CCancelWebEvent::LiveCount() { return g_liveCount; }

const leaf::DispatchTable<CCancelWebEvent>& CCancelWebEvent::GetDispatchTable() {
    static const leaf::DispatchTable<CCancelWebEvent> table(
        CancelWebEventInterface(), {{1, leaf::MemberKind::Method, &CCancelWebEvent::ReturnFalse},
                                    {DISPID_VALUE, leaf::MemberKind::Method, &CCancelWebEvent::ReturnFalse}});
    return table;
}

leaf::Variant CCancelWebEvent::ReturnFalse(const leaf::DispatchArguments&) { return leaf::Variant(false); }
