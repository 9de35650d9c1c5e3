#pragma once

// The clipboard's file lists (CF_HDROP): files that another program copied are read as a
// drop list, the same record a drop of files gives (WinDefs.h), and a program can put a
// list of files there. Reading follows the platform's shape: open the clipboard, get the
// list (it belongs to the clipboard and stays valid until the clipboard is closed), close.

#include <string>
#include <vector>

#include "platform/ui/WinDefs.h"

class CWnd;

inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_HDROP = 15;

// Whether the clipboard holds data of that format: CF_HDROP when it holds local files,
// the text formats when it holds text.
BOOL IsClipboardFormatAvailable(UINT format);
// FALSE when the clipboard is open already (by this program) or cannot be had.
BOOL OpenClipboard(CWnd* owner = nullptr);
BOOL CloseClipboard();

namespace leaf::ui {

// The files on the clipboard as a drop list (point 0,0); null when the clipboard is not
// open or holds no local files.
HDROP GetClipboardFileList();
// Puts a list of files on the clipboard (as file addresses, which file managers read).
BOOL SetClipboardFileList(const std::vector<std::string>& paths);

}  // namespace leaf::ui
