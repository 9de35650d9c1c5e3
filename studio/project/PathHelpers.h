#pragma once

// Path and file helpers of the authoring program. The separator is '/'; an absolute path
// starts with '/'. Stored paths may carry '\', which counts as a separator where a path is
// normalised.

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CWnd;

// TRUE when the path names a file that exists (not a folder); FALSE for null.
BOOL FileExists(const char* path);
// TRUE when the path names an existing folder; FALSE for a file, a missing path or null.
BOOL PathExists(const char* path);
// Creates the folder and every missing folder above it. TRUE when it exists at the end.
BOOL CreateFolderTree(const char* path);
// TRUE for an absolute path (one that starts with '/', or '\' in a stored path).
BOOL IsAbsolutePath(const char* path);

// '\' becomes '/'; each "/../" drops the folder before it and each "/./" becomes "/".
// FALSE, with the path unchanged, when a "/../" has no folder left to drop.
BOOL NormalizePath(CString& path);
// The base file's folder joined to the relative path, normalised. FALSE (out as far as
// it got) for an empty relative path or one that climbs above the base's root.
BOOL MakeAbsolutePath(const CString& baseFile, const CString& relative, CString& out);

// The checks before a build writes the e-book to path: no invalid characters; not a
// folder; an existing file may be overwritten (asking the user, clearing read-only); a
// new file's folder exists or is created (asking the user) and the file can be created.
// Each failure shows its message; FALSE then. A path that names one of bookFiles (the
// same file however spelled or linked: the book's sources) is refused, since the build
// would replace that file with the e-book.
BOOL ValidateOutputPath(const CString& path, const std::vector<CString>& bookFiles = {});

// Deletes a sub-key of the program's own registry key
// (HKEY_CURRENT_USER\Software\Tallbrook Systems, Inc.\Leafcraft).
void DeleteRegistrySubkey(const char* subKey);

// Replaces the "%s" in the window's text with the application title (string 57344).
void ApplyAppTitle(CWnd* window);
