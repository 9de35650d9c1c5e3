#pragma once

// Opens a document with the program the desktop associates with it (the shell's "open"
// verb), through the people seam so that a test sees the request instead.

#include "platform/base/Types.h"

class CWnd;

namespace leaf {

BOOL OpenWithShell(const char* path, CWnd* parent);

}  // namespace leaf
