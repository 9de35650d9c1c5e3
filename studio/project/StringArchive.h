#pragma once

// String arrays in the archive: a count, then the strings.

#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

namespace leaf {

void WriteStringArray(CArchive& archive, const std::vector<CString>& strings);
// Replaces the array's contents with the strings read.
void ReadStringArray(CArchive& archive, std::vector<CString>& strings);

}  // namespace leaf
