#pragma once

// The option-page interfaces: a page object (IPropertyPage) shown in a frame that
// implements IPropertyPageSite. Declarations only; the window layer provides the frame.

#include "platform/base/Types.h"
#include "platform/com/Unknown.h"
#include "platform/ui/WinDefs.h"  // HWND, RECT, SIZE: plain definitions, no Qt

// A message being translated; the window layer defines it.
struct MSG;
using LPMSG = MSG*;

struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle;  // CoTaskMemAlloc'ed; the caller frees the three strings
    SIZE size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// Flags of IPropertyPageSite::OnStatusChange.
inline constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
inline constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
inline constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

struct IPropertyPageSite : IUnknown {
    static constexpr const IID& kIid = IID_IPropertyPageSite;

    virtual HRESULT OnStatusChange(DWORD flags) = 0;
    virtual HRESULT GetLocaleID(DWORD* lcid) = 0;
    virtual HRESULT GetPageContainer(IUnknown** container) = 0;
    virtual HRESULT TranslateAccelerator(LPMSG message) = 0;

protected:
    ~IPropertyPageSite() = default;
};

struct IPropertyPage : IUnknown {
    static constexpr const IID& kIid = IID_IPropertyPage;

    virtual HRESULT SetPageSite(IPropertyPageSite* site) = 0;
    virtual HRESULT Activate(HWND parent, LPCRECT rect, BOOL modal) = 0;
    virtual HRESULT Deactivate() = 0;
    virtual HRESULT GetPageInfo(PROPPAGEINFO* info) = 0;
    virtual HRESULT SetObjects(ULONG count, IUnknown** objects) = 0;
    virtual HRESULT Show(UINT command) = 0;
    virtual HRESULT Move(LPCRECT rect) = 0;
    virtual HRESULT IsPageDirty() = 0;
    virtual HRESULT Apply() = 0;
    virtual HRESULT Help(LPCOLESTR helpDir) = 0;
    virtual HRESULT TranslateAccelerator(LPMSG message) = 0;

protected:
    ~IPropertyPage() = default;
};
