#pragma once

// The desktop reading program, its library folder and the synchronised folders of reading
// devices (found through the registry keys of those outside products), and the short
// display forms of folders ("<Library>/Books").

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The user's documents folder; empty when there is none.
CString GetMyDocumentsFolder();
// "InstallDir" of Software\Microsoft\EBook (the user's value wins over the machine's);
// empty when neither has it.
CString GetReaderInstallDir();
// "ContentDir" of HKEY_CURRENT_USER\Software\Microsoft\EBook; when empty and fallback is
// set, the documents folder followed by "/My Library" (empty without one).
CString GetReaderLibraryDir(BOOL fallback);
// The reading program: "MSReader.exe", else "eBook.exe" in the install folder, when it
// exists; else empty.
CString GetReaderPath();
// The "Briefcase Path" of every device partnership whose folder exists; returns the count.
int GetDeviceSyncFolders(std::vector<CString>& folders);

// path below base becomes "<base's name>/rest"; FALSE (unchanged) when it is not below it.
BOOL ToFolderDisplayForm(CString& path, const CString& base);
BOOL ToFolderDisplayForm(CString& path, const std::vector<CString>& bases);
// "<base's name>/rest" becomes base/rest; FALSE (unchanged) when the text has another
// prefix.
BOOL FromFolderDisplayForm(CString& text, const CString& base);
BOOL FromFolderDisplayForm(CString& text, const std::vector<CString>& bases);
