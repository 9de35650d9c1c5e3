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

// The shell's type name of a plain file of that name (the registered class's description,
// the MIME database's, else "EXT File") and the small icon of its type.
ShellFileInfo GetShellFileInfo(const char* path);

// "1,234" for 1234: decimal digits with ',' between groups of three.
CString GroupDigits(unsigned long long value);
// Kilobytes rounded up: 1,264,196,608 bytes give 1,234,567 and 0 bytes give 0.
unsigned long long KilobytesRoundedUp(unsigned long long bytes);

}  // namespace leaf
