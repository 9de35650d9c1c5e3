#pragma once

// The module-wide count of live COM objects and server locks. Every module compiles
// its own copy (symbols are hidden), so the count is per module; DllCanUnloadNow
// answers S_OK only when it is zero.

#include "platform/base/Types.h"

namespace leaf::ModuleLock {

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
LONG Count();

}  // namespace leaf::ModuleLock
