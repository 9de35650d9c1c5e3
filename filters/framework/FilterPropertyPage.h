#pragma once

// The option page of a filter object: an IPropertyPage made from one dialog template of
// the filter module (the dialog's id is also the id of the page's title string), so that
// the authoring program can show the pages of all installed filters in one property
// frame. The page is a sub-object of the filter object: its QueryInterface, AddRef and
// Release go to the object. A filter moves its setting between the profile and the
// dialog's controls in LoadControls and SaveControls, and marks the page dirty from
// OnPageMessage when a person changes a control.
//
// Once the page's window is gone (the frame closed it), Apply writes what the controls
// last held: Deactivate keeps the controls' values of a dirty page (HoldControls), and
// Apply without a window writes those (SaveHeld), never values read from a missing
// window.

#include <memory>

#include "filters/framework/FilterPageFace.h"
#include "platform/com/PropertyPage.h"
#include "platform/ui/WinDefs.h"

class CDialog;
class CFilterPageDialog;

class CFilterPropertyPage : public IPropertyPage, public CFilterPageFace {
public:
    // owner: the filter object's IUnknown, which the page's IUnknown calls go to.
    CFilterPropertyPage(IUnknown* owner, UINT dialogId);
    ~CFilterPropertyPage() override;
    CFilterPropertyPage(const CFilterPropertyPage&) = delete;
    CFilterPropertyPage& operator=(const CFilterPropertyPage&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // A non-null site is kept (E_UNEXPECTED while one is set); null lets it go.
    HRESULT SetPageSite(IPropertyPageSite* site) override;
    // Creates the dialog inside `parent`, moves it to `rect`, loads the controls and
    // shows it. E_POINTER without a rectangle, E_UNEXPECTED while a window exists,
    // E_OUTOFMEMORY when the dialog cannot be made.
    HRESULT Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    // Destroys the window (E_UNEXPECTED without one).
    HRESULT Deactivate() override;
    // Title (the dialog id's string) and the dialog's natural size (200 by 200 when it
    // cannot be made).
    HRESULT GetPageInfo(PROPPAGEINFO* info) override;
    // E_NOTIMPL: the page edits its filter's own settings, not objects.
    HRESULT SetObjects(ULONG count, IUnknown** objects) override;
    // SW_HIDE, SW_SHOWNORMAL and SW_SHOW; any other command is E_INVALIDARG.
    HRESULT Show(UINT command) override;
    HRESULT Move(LPCRECT rect) override;
    HRESULT IsPageDirty() override;
    // E_UNEXPECTED without a site; a dirty page saves its controls. The dirty flag stays.
    HRESULT Apply() override;
    HRESULT Help(LPCOLESTR helpDir) override;
    HRESULT TranslateAccelerator(LPMSG message) override;

    IPropertyPage* GetPageInterface() override { return this; }

    UINT GetDialogId() const { return m_dialogId; }
    BOOL IsDirty() const { return m_dirty; }
    // Only once the page has been activated: sets the dirty flag and tells the site.
    // Changes made while the controls are being loaded mark nothing.
    void SetDirty(BOOL dirty);

    // Every message of the page's dialog; the default handling is DefPageMessage.
    virtual LRESULT OnPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Profile to controls, when the page's window has been made. Nothing in the base.
    virtual void LoadControls(CDialog& page);
    // Controls to the filter and the profile: HoldControls, then SaveHeld.
    virtual void SaveControls(CDialog& page);
    // Takes what the controls hold into the page's held setting. Nothing in the base.
    virtual void HoldControls(CDialog& page);
    // Writes the held setting to the filter object and the profile (nothing when none
    // is held). Nothing in the base.
    virtual void SaveHeld();

    // The dialog's own handling of a message.
    static LRESULT DefPageMessage(CDialog& page, UINT message, WPARAM wParam, LPARAM lParam);

private:
    IUnknown* m_owner;
    UINT m_dialogId;
    IPropertyPageSite* m_site = nullptr;
    std::unique_ptr<CFilterPageDialog> m_dialog;
    BOOL m_dirty = FALSE;
    BOOL m_active = FALSE;
    bool m_loading = false;
};
