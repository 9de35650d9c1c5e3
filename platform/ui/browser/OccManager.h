#pragma once

// The class library's control-container manager and control site, as far as hosted
// controls that ask their container questions use them (the browser asks its site for
// IDocHostUIHandler). A program enables containment with its own manager
// (AfxEnableControlContainer); every hosted browser then gets its site from that
// manager's CreateSite. A site is a reference-counted COM object: it answers IUnknown
// and whatever interfaces a derived site adds in GetInterface.

#include <atomic>

#include "platform/com/Unknown.h"
#include "platform/ui/CmdTarget.h"

class CWnd;

// The window that holds hosted controls.
class COleControlContainer {
public:
    explicit COleControlContainer(CWnd* window) : m_pWnd(window) {}
    CWnd* m_pWnd;
};

class COleControlSite : public CCmdTarget {
public:
    explicit COleControlSite(COleControlContainer* container);
    ~COleControlSite() override;

    // The site's IUnknown; the site is deleted at its last release.
    IUnknown* GetControllingUnknown() { return &m_unknown; }
    ULONG ExternalAddRef();
    ULONG ExternalRelease();
    HRESULT ExternalQueryInterface(REFIID iid, void** object);

    COleControlContainer* m_pCtrlCont;

protected:
    // An interface the site offers besides IUnknown (not AddRef'ed), or null. A derived
    // site answers its own and asks the base for the rest.
    virtual void* GetInterface(REFIID iid);

private:
    struct Unknown final : IUnknown {
        explicit Unknown(COleControlSite& site) : owner(site) {}
        HRESULT QueryInterface(REFIID iid, void** object) override { return owner.ExternalQueryInterface(iid, object); }
        ULONG AddRef() override { return owner.ExternalAddRef(); }
        ULONG Release() override { return owner.ExternalRelease(); }
        COleControlSite& owner;
    };
    Unknown m_unknown{*this};
    std::atomic<ULONG> m_refCount{1};
};

class COccManager {
public:
    virtual ~COccManager() = default;
    // A new site for a control about to be created in `container`; the caller owns the
    // site's first reference.
    virtual COleControlSite* CreateSite(COleControlContainer* container);
};

// Enables control containment with `manager` (the program keeps it alive); null: the
// plain manager.
void AfxEnableControlContainer(COccManager* manager = nullptr);
// The manager in use (the plain one when none was enabled).
COccManager* AfxGetOccManager();
