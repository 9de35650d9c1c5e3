#pragma once

#include <string>

namespace leaf {

// The full path (symbolic links resolved) of the executable or shared object that
// holds the given address; "" when it cannot be found.
std::string GetModulePath(const void* addressInModule);

// The full path of the running program; "" when it cannot be found.
std::string GetExecutablePath();

}  // namespace leaf
