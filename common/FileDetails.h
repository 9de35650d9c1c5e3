#pragma once

// Version information of component files and the file of a registered in-process
// server. Version strings come from the module's version block (read from the file,
// without loading it).

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// The value of a key of the file's version strings ("FileDescription", "FileVersion",
// ...); empty when the file has no version block or no such key.
CString GetVersionString(const CString& filePath, const CString& key);

// The file's description and version strings and its last-modification date as
// "%m/%d/%Y" (local time). FALSE, leaving the outputs alone, when the file's status
// cannot be read.
BOOL GetFileDetails(const CString& filePath, CString& description, CString& version, CString& date);

// The module file registered for a ProgID: HKEY_CLASSES_ROOT\<ProgID>\CLSID gives the
// CLSID, HKEY_CLASSES_ROOT\CLSID\<CLSID>\InprocServer32 the file. Empty when either step
// fails.
CString GetInprocServerPath(const CString& progId);
