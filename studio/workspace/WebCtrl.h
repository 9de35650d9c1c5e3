#pragma once

// CWebCtrl: the window of one web-browser control, hosted as a child control. Its two
// calls reach the browser through automation: Navigate (dispatch id 104) and the
// Document property (203). Events of the browser go to the parent window's event sink
// map by the control id (MapEvent: 250 BeforeNavigate2, 252 NavigateComplete2).

#include "platform/com/Dispatch.h"
#include "platform/ui/Wnd.h"

inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;

class CWebCtrl : public CWnd {
public:
    // Creates the browser (CLSID {8856F961-340A-11D0-A96B-00C04FD705A2}) as a child
    // control with that id in `parent`, placed at `rect` (parent coordinates). The style
    // takes WS_VISIBLE; the container manager in use gives the control's site.
    // FALSE when the browser cannot be created.
    BOOL Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Navigate with the address; the four optional arguments are passed empty.
    void Navigate(const char* address);
    // The HTML document shown (a reference the caller releases); null when none.
    IDispatch* GetDocument();

    // Switches the window's redrawing on or off (WM_SETREDRAW).
    void SetRedraw(BOOL redraw);
    // Adds extended styles; WS_EX_CLIENTEDGE gives the sunken client edge.
    void ModifyStyleEx(DWORD remove, DWORD add);
};
