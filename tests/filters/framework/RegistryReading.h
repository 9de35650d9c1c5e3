#pragma once

// Reading helpers for checking what a registration wrote.

#include <optional>
#include <string>

#include "platform/registry/Registry.h"

namespace leaf::test {

bool KeyExists(HKEY root, const std::string& path);
// A REG_SZ value of the key (the default value when name is empty); nothing when the
// key or the value is missing or of another type.
std::optional<std::string> ReadString(HKEY root, const std::string& path, const std::string& name = "");

}  // namespace leaf::test
