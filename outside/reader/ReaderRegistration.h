#pragma once

// Where the authoring program looks for the reading program: the value "InstallDir" of
// the key "Software\Microsoft\EBook" (HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER), which
// names the folder that holds it. The stand-in registers itself under
// HKEY_LOCAL_MACHINE, as an installation for every user of the machine does.

#include <string>

namespace reader {

inline constexpr const char* kReaderKey = "Software\\Microsoft\\EBook";
inline constexpr const char* kInstallDirValue = "InstallDir";

// Names `folder` as the reading program's folder; false when the registry refuses it.
bool RegisterReader(const std::string& folder);

// Removes the registration when it still names `folder` (another reading program's
// stays), and the key itself once it holds nothing else. False when the registry
// refuses the change.
bool UnregisterReader(const std::string& folder);

}  // namespace reader
