#pragma once

// File icons, display names and type names as the shell gives them (SHGetFileInfo), and
// the shell's system image lists that list and tree controls show those icons from.
//
// Type names come from the registry first: HKEY_CLASSES_ROOT\.ext names a class whose
// default value describes the type ("Leafcraft Project"); then from the MIME database's
// description of the extension; else "EXT File" (the extension in capitals), "File" for a
// name without extension, "File Folder" for a folder. Icons come from the platform's file
// icon provider: a file's own where it exists, else the icon of its type.

#include <QIcon>

#include "platform/base/CString.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/WinDefs.h"

struct SHFILEINFO {
    QIcon hIcon;
    int iIcon = 0;              // index in the system image list
    DWORD dwAttributes = 0;
    CString szDisplayName;
    CString szTypeName;
};

inline constexpr UINT SHGFI_LARGEICON = 0x000000;
inline constexpr UINT SHGFI_SMALLICON = 0x000001;
inline constexpr UINT SHGFI_USEFILEATTRIBUTES = 0x000010;
inline constexpr UINT SHGFI_ICON = 0x000100;
inline constexpr UINT SHGFI_DISPLAYNAME = 0x000200;
inline constexpr UINT SHGFI_TYPENAME = 0x000400;
inline constexpr UINT SHGFI_SYSICONINDEX = 0x004000;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Fills what the flags ask for. With SHGFI_USEFILEATTRIBUTES the path need not exist: the
// attributes say whether it is a folder. Without it a path that does not exist gives 0.
// Returns non-zero on success.
UINT_PTR SHGetFileInfo(const char* path, DWORD fileAttributes, SHFILEINFO* info, UINT flags);

namespace leaf::ui {

// The shell's image lists (small 16x16 and large 32x32 icons); SHGetFileInfo with
// SHGFI_SYSICONINDEX adds the icon of a type once and answers its index, the same in both.
CImageList* GetSystemImageList(BOOL small);

// The type name of a path (see above); `isFolder` when it names a folder.
CString GetFileTypeName(const char* path, bool isFolder);

}  // namespace leaf::ui
