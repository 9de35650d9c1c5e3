#pragma once

// Registry helpers of the COM runtime's registration code (HKEY_CLASSES_ROOT paths).

#include <optional>
#include <string>

namespace leaf::comreg {

// Sets the default value (or a named value) of HKEY_CLASSES_ROOT\<path>, creating the
// key; false when it cannot be written.
bool WriteString(const std::string& path, const std::string& value, const std::string& valueName = "");
std::optional<std::string> ReadString(const std::string& path, const std::string& valueName = "");
// Deletes HKEY_CLASSES_ROOT\<path> with everything below it; true when it is gone.
bool DeleteTree(const std::string& path);
// Deletes HKEY_CLASSES_ROOT\<path> when it has no sub-keys and no values left.
void DeleteIfEmpty(const std::string& path);

}  // namespace leaf::comreg
