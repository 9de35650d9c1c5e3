#include "studio/workspace/DocHostSite.h"

COleControlSite* CDocHostOccManager::CreateSite(COleControlContainer* container) { return new CDocHostSite(container); }

CDocHostSite::CDocHostSite(COleControlContainer* container) : COleControlSite(container) {}

void* CDocHostSite::GetInterface(REFIID iid) {
    if (iid == IID_IDocHostUIHandler) return static_cast<IDocHostUIHandler*>(&m_docHostUIHandler);
    return COleControlSite::GetInterface(iid);
}

HRESULT CDocHostSite::DocHostUIHandler::QueryInterface(REFIID iid, void** object) {
    return m_site.ExternalQueryInterface(iid, object);
}
ULONG CDocHostSite::DocHostUIHandler::AddRef() { return m_site.ExternalAddRef(); }
ULONG CDocHostSite::DocHostUIHandler::Release() { return m_site.ExternalRelease(); }

// The browser shows no context menu.
HRESULT CDocHostSite::DocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

// No three-dimensional border; double clicks do what they normally do.
HRESULT CDocHostSite::DocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

// The browser shows no menus or toolbars of its own.
HRESULT CDocHostSite::DocHostUIHandler::ShowUI(DWORD, IUnknown*, IUnknown*, IUnknown*, IUnknown*) { return S_OK; }
HRESULT CDocHostSite::DocHostUIHandler::HideUI() { return S_OK; }
HRESULT CDocHostSite::DocHostUIHandler::UpdateUI() { return S_OK; }
HRESULT CDocHostSite::DocHostUIHandler::EnableModeless(BOOL) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::ResizeBorder(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }
// Keys are processed normally.
HRESULT CDocHostSite::DocHostUIHandler::TranslateAccelerator(MSG*, const GUID*, DWORD) { return S_FALSE; }
HRESULT CDocHostSite::DocHostUIHandler::GetOptionKeyPath(char16_t**, DWORD) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::GetExternal(IDispatch**) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::TranslateUrl(DWORD, char16_t*, char16_t**) { return E_NOTIMPL; }
HRESULT CDocHostSite::DocHostUIHandler::FilterDataObject(IUnknown*, IUnknown**) { return E_NOTIMPL; }
