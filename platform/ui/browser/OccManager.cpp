#include "platform/ui/browser/OccManager.h"


namespace {

COccManager* g_manager = nullptr;

}  // namespace

COleControlSite::COleControlSite(COleControlContainer* container) : m_pCtrlCont(container) {}

COleControlSite::~COleControlSite() = default;

ULONG COleControlSite::ExternalAddRef() { return ++m_refCount; }

ULONG COleControlSite::ExternalRelease() {
    ULONG count = --m_refCount;
    if (count == 0) delete this;
    return count;
}

HRESULT COleControlSite::ExternalQueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = iid == IID_IUnknown ? static_cast<void*>(&m_unknown) : GetInterface(iid);
    if (!*object) return E_NOINTERFACE;
    ExternalAddRef();
    return S_OK;
}

void* COleControlSite::GetInterface(REFIID) { return nullptr; }

COleControlSite* COccManager::CreateSite(COleControlContainer* container) { return new COleControlSite(container); }

void AfxEnableControlContainer(COccManager* manager) { g_manager = manager; }

COccManager* AfxGetOccManager() {
    static COccManager plain;
    return g_manager ? g_manager : &plain;
}
