#pragma once

// Case-insensitive sort of a string array.

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

// Sorts in place, ascending or descending, comparing without regard to ASCII case
// (other bytes, UTF-8 included, compare exactly). Equal strings keep their order.
void SortStringArray(std::vector<CString>& strings, BOOL ascending);
