#pragma once

// Identity and resource ids of pictureintake.so.

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_ImageFilter = leaf::MakeGuid("{E88992A0-8AFF-11D3-A7CA-00E02911C5ED}");

inline constexpr UINT IDD_IMAGE_FILTER_PAGE = 3000;    // the option page (its title string too)
inline constexpr UINT IDS_IMAGE_ALIGNMENTS = 200;      // "center | left | right"
