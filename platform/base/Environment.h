#pragma once

#include <string>

namespace leaf {

// The folder for temporary files: TMP, else TEMP, else TMPDIR, else /tmp; never with a
// trailing '/' (except the root itself).
std::string GetTempFolder();

}  // namespace leaf
