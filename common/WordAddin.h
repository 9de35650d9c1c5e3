#pragma once

// The registry key of Word's reading add-in, whose "LoadBehavior" the bridge changes
// while it starts Word (so that Word starts without loading it).

#include "platform/base/Types.h"
#include "platform/registry/RegistryKey.h"

// The add-in's ProgID: the versioned form at first, switched for good to the
// version-independent form the first time the versioned key is not found.
const char* GetWordAddinName();
// Switches to the version-independent name (see above).
void UseShortWordAddinName();
// Back to the versioned name (for tests, which start each case afresh).
void ResetWordAddinName();

// HKEY_CURRENT_USER "Software\Microsoft\Office\Word\Addins\<name>", opened for reading and
// writing; not open when the key does not exist.
leaf::RegistryKey OpenWordAddinKey(const char* addinName);
// The 4-byte "LoadBehavior" value; FALSE when the key or the value cannot be read.
BOOL GetWordAddinLoadBehavior(const char* addinName, DWORD* value);
// Writes "LoadBehavior" as REG_DWORD; FALSE when the key cannot be opened or the write fails.
BOOL SetWordAddinLoadBehavior(const char* addinName, DWORD value);
