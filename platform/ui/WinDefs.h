#pragma once

// The numbers of the window layer: message numbers, notification codes, result codes,
// flags and the small structures that travel with messages. Code that sends itself a
// message, tests a dialog result or reads a notification uses these values, so they
// keep the numbers the system has always used. This header needs no Qt.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// A window handle: opaque outside the layer; inside it names a QWidget
// (see leaf::ui::WidgetFromHandle / HandleFromWidget in Wnd.h).
struct HWND__;
using HWND = HWND__*;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;

constexpr WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) { return (low & 0xFFFFu) | ((high & 0xFFFFu) << 16); }
constexpr LPARAM MAKELPARAM(unsigned low, unsigned high) {
    return static_cast<LPARAM>(static_cast<DWORD>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16)));
}

struct POINT { LONG x = 0; LONG y = 0; };
struct SIZE { LONG cx = 0; LONG cy = 0; };
struct RECT {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

// A message as the loop hands it to translation (accelerators, pages' keys).
struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};
using LPMSG = MSG*;

// Window messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_CLOSE = 0x0010;
// The desktop session ends (wParam TRUE): the program ends without asking anything.
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_SETMESSAGESTRING = 0x0362;
inline constexpr UINT WM_INITIALUPDATE = 0x0364;
inline constexpr UINT WM_IDLEUPDATECMDUI = 0x036A;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// WM_SIZE types.
inline constexpr UINT SIZE_RESTORED = 0;
inline constexpr UINT SIZE_MINIMIZED = 1;
inline constexpr UINT SIZE_MAXIMIZED = 2;

// Menu item flags.
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_DEFAULT = 0x1000;   // the menu's default item (shown bold)
// GetDefaultItem: also a disabled default item; into a default sub-menu's own default.
inline constexpr UINT GMDI_USEDISABLED = 0x0001;
inline constexpr UINT GMDI_GOINTOPOPUPS = 0x0002;
// Popup tracking.
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// Standard window ids of frames.
inline constexpr UINT AFX_IDW_TOOLBAR = 0xE800;     // 59392
inline constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;  // 59393
inline constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;  // 59648
// The frame's four docking sides, named by the dock bar that holds them.
inline constexpr UINT AFX_IDW_DOCKBAR_TOP = 0xE81B;
inline constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C;
inline constexpr UINT AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
inline constexpr UINT AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;

// Control-bar styles: the sides a bar may dock on (or sits on), its borders, tooltips,
// fly-by status prompts, gripper and sizing.
inline constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
inline constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
inline constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
inline constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
inline constexpr DWORD CBRS_BORDER_TOP = 0x0200;
inline constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
inline constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
inline constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
inline constexpr DWORD CBRS_TOOLTIPS = 0x0010;
inline constexpr DWORD CBRS_FLYBY = 0x0020;
inline constexpr DWORD CBRS_FLOAT_MULTI = 0x0040;
inline constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0080;
inline constexpr DWORD CBRS_GRIPPER = 0x00400000;
inline constexpr DWORD CBRS_NOALIGN = 0x00000000;
inline constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
inline constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
inline constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;
inline constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;
// Toolbar control style: flat buttons that raise under the pointer.
inline constexpr DWORD TBSTYLE_FLAT = 0x0800;
// Status-bar pane styles.
inline constexpr UINT SBPS_NORMAL = 0x0000;
inline constexpr UINT SBPS_NOBORDERS = 0x0100;
inline constexpr UINT SBPS_POPOUT = 0x0200;
inline constexpr UINT SBPS_DISABLED = 0x04000000;   // the pane shows no text
inline constexpr UINT SBPS_STRETCH = 0x08000000;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;

// Dialog results and standard control ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDHELP = 9;
inline constexpr UINT ID_HELP = 0xE146;           // 57670, the help command
inline constexpr UINT IDC_HELP_BUTTON = 1081;      // the Help button of a dialog template
inline constexpr int ID_WIZBACK = 0x3023;          // 12323
inline constexpr int ID_WIZNEXT = 0x3024;          // 12324
inline constexpr int ID_WIZFINISH = 0x3025;        // 12325
inline constexpr UINT ID_APPLY_NOW = 0x3021;       // 12321

// Message-box flags: button set, icon, default button.
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
inline constexpr UINT MB_DEFBUTTON1 = 0x00000000;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_DEFBUTTON3 = 0x00000200;
inline constexpr UINT MB_DEFMASK = 0x00000F00;

// Command notifications (high word of WM_COMMAND's wParam).
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT BN_DOUBLECLICKED = 5;
inline constexpr UINT EN_SETFOCUS = 0x0100;
inline constexpr UINT EN_KILLFOCUS = 0x0200;
inline constexpr UINT EN_CHANGE = 0x0300;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT CBN_DBLCLK = 2;
inline constexpr UINT CBN_EDITCHANGE = 5;

// Button check states.
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;
inline constexpr int BST_INDETERMINATE = 2;

// List box and combo box results.
inline constexpr int LB_ERR = -1;
inline constexpr int CB_ERR = -1;

// WM_NOTIFY codes (the 8-bit string variants, as the system builds with 8-bit strings).
inline constexpr UINT NM_CLICK = static_cast<UINT>(-2);
inline constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
inline constexpr UINT NM_RETURN = static_cast<UINT>(-4);
inline constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
inline constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
inline constexpr UINT LVN_ITEMCHANGED = static_cast<UINT>(-101);
inline constexpr UINT LVN_BEGINLABELEDIT = static_cast<UINT>(-105);
inline constexpr UINT LVN_ENDLABELEDIT = static_cast<UINT>(-106);
inline constexpr UINT LVN_COLUMNCLICK = static_cast<UINT>(-108);
inline constexpr UINT LVN_ITEMACTIVATE = static_cast<UINT>(-114);
inline constexpr UINT LVN_KEYDOWN = static_cast<UINT>(-155);
inline constexpr UINT TVN_SELCHANGED = static_cast<UINT>(-402);
inline constexpr UINT TVN_BEGINLABELEDIT = static_cast<UINT>(-410);
inline constexpr UINT TVN_ENDLABELEDIT = static_cast<UINT>(-411);
inline constexpr UINT TVN_KEYDOWN = static_cast<UINT>(-412);
inline constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
inline constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);
inline constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);

// Notification records.
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// List-view item states and masks.
inline constexpr UINT LVIS_FOCUSED = 0x0001;
inline constexpr UINT LVIS_SELECTED = 0x0002;
inline constexpr UINT LVIF_TEXT = 0x0001;
inline constexpr UINT LVIF_IMAGE = 0x0002;
inline constexpr UINT LVIF_PARAM = 0x0004;
inline constexpr UINT LVIF_STATE = 0x0008;

struct LVITEM {
    UINT mask = 0;
    int iItem = 0;
    int iSubItem = 0;
    UINT state = 0;
    UINT stateMask = 0;
    char* pszText = nullptr;   // null in an end-of-edit record: the edit was cancelled
    int cchTextMax = 0;
    int iImage = 0;
    LPARAM lParam = 0;
};

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
    UINT uChanged = 0;
    POINT ptAction;
    LPARAM lParam = 0;
};

struct NMLVDISPINFO {
    NMHDR hdr;
    LVITEM item;
};

struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey = 0;
    UINT flags = 0;
};

struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};

// Wizard buttons and the buttons a property sheet can press itself.
inline constexpr DWORD PSWIZB_BACK = 0x00000001;
inline constexpr DWORD PSWIZB_NEXT = 0x00000002;
inline constexpr DWORD PSWIZB_FINISH = 0x00000004;
inline constexpr DWORD PSWIZB_DISABLEDFINISH = 0x00000008;
inline constexpr int PSBTN_BACK = 0;
inline constexpr int PSBTN_NEXT = 1;
inline constexpr int PSBTN_FINISH = 2;
inline constexpr int PSBTN_OK = 3;
inline constexpr int PSBTN_APPLYNOW = 4;
inline constexpr int PSBTN_CANCEL = 5;
inline constexpr int PSBTN_HELP = 6;

// Virtual-key codes used by keyboard notifications.
inline constexpr WORD VK_RETURN = 0x0D;
inline constexpr WORD VK_ESCAPE = 0x1B;
inline constexpr WORD VK_UP = 0x26;
inline constexpr WORD VK_DOWN = 0x28;
inline constexpr WORD VK_INSERT = 0x2D;
inline constexpr WORD VK_DELETE = 0x2E;
inline constexpr WORD VK_F1 = 0x70;

// Messages of the document/frame facility and of hosted controls.
inline constexpr UINT WM_DROPFILES = 0x0233;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_SYSCOLORCHANGE = 0x0015;

// The class library's standard commands.
inline constexpr UINT ID_FILE_NEW = 0xE100;          // 57600
inline constexpr UINT ID_FILE_OPEN = 0xE101;         // 57601
inline constexpr UINT ID_FILE_CLOSE = 0xE102;        // 57602
inline constexpr UINT ID_FILE_SAVE = 0xE103;         // 57603
inline constexpr UINT ID_FILE_SAVE_AS = 0xE104;      // 57604
inline constexpr UINT ID_FILE_PRINT = 0xE107;        // 57607
inline constexpr UINT ID_APP_ABOUT = 0xE140;         // 57664
inline constexpr UINT ID_APP_EXIT = 0xE141;          // 57665
inline constexpr UINT ID_HELP_FINDER = 0xE143;       // 57667
inline constexpr UINT ID_CONTEXT_HELP = 0xE145;      // 57669
inline constexpr UINT ID_DEFAULT_HELP = 0xE147;      // 57671
inline constexpr UINT ID_VIEW_TOOLBAR = 0xE800;      // 59392
inline constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;   // 59393
inline constexpr UINT ID_INDICATOR_CAPS = 0xE701;    // 59137
inline constexpr UINT ID_INDICATOR_NUM = 0xE702;     // 59138
inline constexpr UINT ID_INDICATOR_SCRL = 0xE703;    // 59139
inline constexpr UINT ID_SEPARATOR = 0;

// Window styles that hosted controls and views are created with (recorded, not drawn).
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_BORDER = 0x00800000;

// The tracking sizes a window may be resized between (WM_GETMINMAXINFO's record).
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// Files dropped on a window that accepts them (CWnd::DragAcceptFiles): WM_DROPFILES
// carries the drop as wParam; DragQueryFile reads it.
namespace leaf::ui {
struct DropList {
    std::vector<std::string> paths;
    POINT point;   // in the client coordinates of the window dropped on
};
}  // namespace leaf::ui
using HDROP = const leaf::ui::DropList*;
// The path of file `index` of the drop; index 0xFFFFFFFF answers the number of files.
// Returns the path's length (0 for a bad index).
UINT DragQueryFile(HDROP drop, UINT index, CString* path);
BOOL DragQueryPoint(HDROP drop, POINT* point);
inline void DragFinish(HDROP) {}
