#pragma once

// IDocHostUIHandler: the questions a hosted browser asks its container about its user
// interface (context menu, border, its own menus, keys). The browser stand-in asks the
// host it was created with; without a host it behaves as a browser with no special
// wishes (context menu shown, border drawn, keys processed normally).

#include "platform/com/Guid.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/ui/WinDefs.h"

struct IOleCommandTarget;
struct IDropTarget;

struct DOCHOSTUIINFO {
    ULONG cbSize = sizeof(DOCHOSTUIINFO);
    DWORD dwFlags = 0;
    DWORD dwDoubleClick = 0;
    const char16_t* pchHostCss = nullptr;
    const char16_t* pchHostNS = nullptr;
};

inline constexpr DWORD DOCHOSTUIFLAG_DIALOG = 0x00000001;
inline constexpr DWORD DOCHOSTUIFLAG_DISABLE_HELP_MENU = 0x00000002;
inline constexpr DWORD DOCHOSTUIFLAG_NO3DBORDER = 0x00000004;
inline constexpr DWORD DOCHOSTUIFLAG_SCROLL_NO = 0x00000008;
inline constexpr DWORD DOCHOSTUIDBLCLK_DEFAULT = 0;

inline constexpr IID IID_IDocHostUIHandler = leaf::MakeGuid("{BD3F23C0-D43E-11CF-893B-00AA00BDCE1A}");

struct IDocHostUIHandler : IUnknown {
    static constexpr const IID& kIid = IID_IDocHostUIHandler;

    // S_OK: the host showed (or suppressed) the menu; anything else: the browser's own.
    virtual HRESULT ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) = 0;
    virtual HRESULT GetHostInfo(DOCHOSTUIINFO* info) = 0;
    virtual HRESULT ShowUI(DWORD id, IUnknown* activeObject, IUnknown* commandTarget, IUnknown* frame,
                           IUnknown* document) = 0;
    virtual HRESULT HideUI() = 0;
    virtual HRESULT UpdateUI() = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT ResizeBorder(LPCRECT border, IUnknown* window, BOOL frameWindow) = 0;
    // S_OK: the host handled the key; S_FALSE: the browser processes it.
    virtual HRESULT TranslateAccelerator(MSG* message, const GUID* group, DWORD commandId) = 0;
    virtual HRESULT GetOptionKeyPath(char16_t** key, DWORD reserved) = 0;
    virtual HRESULT GetDropTarget(IDropTarget* target, IDropTarget** replacement) = 0;
    virtual HRESULT GetExternal(IDispatch** external) = 0;
    virtual HRESULT TranslateUrl(DWORD translate, char16_t* url, char16_t** translated) = 0;
    virtual HRESULT FilterDataObject(IUnknown* object, IUnknown** replacement) = 0;

protected:
    ~IDocHostUIHandler() = default;
};
