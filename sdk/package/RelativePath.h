#pragma once

// Path helpers compiled with the package: the common folder of two paths and the
// relative path from one file to another. '/' and '\' both count as separators (paths
// from stored files may carry either); folder names compare without regard to case.

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// out := the longest leading part of path that ends with a separator and with which
// other begins too. TRUE when it is not empty.
BOOL CommonFolderPrefix(const CString& path, const CString& other, CString& out);

// out := the path that leads from the folder of from to to: "../" for every folder of
// from below the common prefix, then the rest of to ("/a/b/x.htm", "/a/c/y.css" give
// "../c/y.css"). FALSE, with out empty, when the two share no folder.
BOOL MakeRelativePath(const CString& from, const CString& to, CString& out);
