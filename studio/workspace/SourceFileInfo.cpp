#include "studio/workspace/SourceFileInfo.h"

#include <QApplication>

#include "platform/base/Path.h"
#include "platform/ui/shell/ShellFileInfo.h"

namespace leaf {

ShellFileInfo GetShellFileInfo(const char* path) {
    ShellFileInfo info;
    std::string native = path ? path : "";
    info.displayName = path::FilePart(native);
    // The type as the shell names it for a plain file of that name (attributes normal).
    SHFILEINFO shell;
    if (SHGetFileInfo(native.c_str(), FILE_ATTRIBUTE_NORMAL, &shell, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME))
        info.typeName = shell.szTypeName;
    // The file's own icon, or its type's when the file is gone.
    if (qApp) {
        SHFILEINFO icon;
        if (SHGetFileInfo(native.c_str(), 0, &icon, SHGFI_ICON | SHGFI_SMALLICON) ||
            SHGetFileInfo(native.c_str(), FILE_ATTRIBUTE_NORMAL, &icon,
                          SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON))
            info.icon = icon.hIcon;
    }
    return info;
}

CString GroupDigits(unsigned long long value) {
    std::string digits = std::to_string(value);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return CString(grouped);
}

unsigned long long KilobytesRoundedUp(unsigned long long bytes) { return bytes / 1024 + (bytes % 1024 ? 1 : 0); }

}  // namespace leaf
