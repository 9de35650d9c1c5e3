// A loadable module that exports none of the COM entry points.

#include "platform/base/Types.h"

LEAF_EXPORT_C int TestModuleWithoutEntryPoints() { return 42; }
