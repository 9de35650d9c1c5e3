#pragma once

// Identities of the two test filter modules, shared by the modules and the tests.

#include "platform/com/Guid.h"

// testintake.so: a filter with an option page for ".tst|.test".
inline constexpr CLSID CLSID_TestFilter = leaf::MakeGuid("{6A1C7D52-3B0E-4F1A-9C2D-7E5B8A4F1D01}");
// testtakeover.so: a filter without a page that claims ".test" too.
inline constexpr CLSID CLSID_TakeoverFilter = leaf::MakeGuid("{6A1C7D52-3B0E-4F1A-9C2D-7E5B8A4F1D02}");

inline constexpr UINT IDD_TEST_FILTER_PAGE = 5000;
