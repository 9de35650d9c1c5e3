#pragma once

// The control-container manager and control site of the program: every control it hosts
// gets a CDocHostSite, which adds IDocHostUIHandler so that the browsers show no context
// menu, no three-dimensional border and no user interface of their own.

#include "platform/ui/browser/DocHostUIHandler.h"
#include "platform/ui/browser/OccManager.h"

class CDocHostOccManager : public COccManager {
public:
    COleControlSite* CreateSite(COleControlContainer* container) override;
};

class CDocHostSite : public COleControlSite {
public:
    explicit CDocHostSite(COleControlContainer* container);

protected:
    void* GetInterface(REFIID iid) override;

private:
    // The embedded interface; its IUnknown methods go to the site.
    class DocHostUIHandler final : public IDocHostUIHandler {
    public:
        explicit DocHostUIHandler(CDocHostSite& site) : m_site(site) {}
        HRESULT QueryInterface(REFIID iid, void** object) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
        HRESULT GetHostInfo(DOCHOSTUIINFO* info) override;
        HRESULT ShowUI(DWORD id, IUnknown* activeObject, IUnknown* commandTarget, IUnknown* frame,
                       IUnknown* document) override;
        HRESULT HideUI() override;
        HRESULT UpdateUI() override;
        HRESULT EnableModeless(BOOL enable) override;
        HRESULT OnDocWindowActivate(BOOL activate) override;
        HRESULT OnFrameWindowActivate(BOOL activate) override;
        HRESULT ResizeBorder(LPCRECT border, IUnknown* window, BOOL frameWindow) override;
        HRESULT TranslateAccelerator(MSG* message, const GUID* group, DWORD commandId) override;
        HRESULT GetOptionKeyPath(char16_t** key, DWORD reserved) override;
        HRESULT GetDropTarget(IDropTarget* target, IDropTarget** replacement) override;
        HRESULT GetExternal(IDispatch** external) override;
        HRESULT TranslateUrl(DWORD translate, char16_t* url, char16_t** translated) override;
        HRESULT FilterDataObject(IUnknown* object, IUnknown** replacement) override;

    private:
        CDocHostSite& m_site;
    };
    DocHostUIHandler m_docHostUIHandler{*this};
};
