#include "platform/com/ModuleLock.h"

namespace leaf::ModuleLock {

namespace {
LONG g_count = 0;
}

void ObjectCreated() { ++g_count; }

void ObjectDestroyed() { --g_count; }

void LockServer(bool lock) {
    if (lock)
        ++g_count;
    else if (g_count > 0)
        --g_count;
}

LONG Count() { return g_count; }

}  // namespace leaf::ModuleLock
