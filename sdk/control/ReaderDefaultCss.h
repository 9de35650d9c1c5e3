#pragma once

// The module's default reader style sheet (resources/sdk/READERDEFAULT.CSS), compiled in.

#include <string_view>

std::string_view ReaderDefaultCss();
