#pragma once

// The class library's own strings (the key indicators "CAP", "NUM" and "SCRL", prompts of
// the document commands, the messages of failed loads and saves, the default title). A
// program's resources may replace any of them by defining the same id; otherwise the
// built-in English text is used.

#include "platform/base/CString.h"
#include "platform/ui/WinDefs.h"

inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;            // 57344
// The message pane's text while no prompt shows: the program's string, or nothing.
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;          // 57345
inline constexpr UINT AFX_IDS_UNTITLED = 0xF000;             // "Untitled"
inline constexpr UINT AFX_IDS_OPENFILE = 0xF001;             // "Open"
inline constexpr UINT AFX_IDS_SAVEFILE = 0xF002;             // "Save As"
inline constexpr UINT AFX_IDS_ALLFILTER = 0xF003;            // "All Files (*.*)"
inline constexpr UINT AFX_IDP_INVALID_FILENAME = 0xF100;     // 61696
inline constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101;   // 61697
inline constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102;   // 61698
inline constexpr UINT AFX_IDP_ASK_TO_SAVE = 0xF103;          // 61699
inline constexpr UINT AFX_IDP_FAILED_TO_CREATE_DOC = 0xF104; // 61700
inline constexpr UINT AFX_IDP_FAILED_INVALID_FORMAT = 0xF120;    // 61728
inline constexpr UINT AFX_IDP_FAILED_INVALID_PATH = 0xF121;      // 61729
inline constexpr UINT AFX_IDP_FAILED_DISK_FULL = 0xF122;         // 61730
inline constexpr UINT AFX_IDP_FAILED_ACCESS_READ = 0xF123;       // 61731
inline constexpr UINT AFX_IDP_FAILED_ACCESS_WRITE = 0xF124;      // 61732
inline constexpr UINT AFX_IDP_FAILED_IO_ERROR_READ = 0xF125;     // 61733
inline constexpr UINT AFX_IDP_FAILED_IO_ERROR_WRITE = 0xF126;    // 61734

namespace leaf::ui {

// The program's string of that id when it defines one, else the class library's.
CString FrameworkString(UINT id);
// The string with every "%1" replaced by `value`.
CString FormatFrameworkString(UINT id, const char* value);

}  // namespace leaf::ui
