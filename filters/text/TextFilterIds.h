#pragma once

// Identity and resource ids of plainintake.so.

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_TextFilter = leaf::MakeGuid("{0C2BC6A0-8B01-11D3-A7CA-00E02911C5ED}");

inline constexpr UINT IDD_TEXT_FILTER_PAGE = 4000;  // the option page (its title string too)
