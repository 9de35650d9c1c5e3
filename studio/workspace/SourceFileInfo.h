#pragma once

// What the source-file lists and dialogs show of a file: its icon, display name and
// type name as the shell gives them, and the size and date texts of the list columns.

#include <QIcon>
#include <ctime>

#include "platform/base/CString.h"

namespace leaf {

struct ShellFileInfo {
    QIcon icon;
    CString displayName;   // the file name
    CString typeName;      // "" when the shell gives none
};

// Type name: the description of the class registered for the extension under
// HKEY_CLASSES_ROOT, else "EXT File" (the extension in capitals), else "File".
ShellFileInfo GetShellFileInfo(const char* path);

// "1,234" for 1234: decimal digits with ',' between groups of three.
CString GroupDigits(unsigned long long value);
// Kilobytes rounded up: 1,264,196,608 bytes give 1,234,567 and 0 bytes give 0.
unsigned long long KilobytesRoundedUp(unsigned long long bytes);

}  // namespace leaf
