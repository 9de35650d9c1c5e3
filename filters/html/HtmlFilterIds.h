#pragma once

// Identities of the HTML filter module markupintake: its class, its option page and
// the profile entry that holds its one setting.

#include "platform/base/Types.h"
#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_HtmlFilter = leaf::MakeGuid("{095FC680-8A1E-11D3-A93F-D495AB4AF745}");

// The option page's dialog and its title string.
inline constexpr UINT IDD_HTML_FILTER_PAGE = 7000;

// Profile section and entry of the depth of the walk through linked documents.
inline constexpr const char* kHtmlFilterSection = "HTML Filter";
inline constexpr const char* kWalkLinkLevelEntry = "WalkLinkLevel";
inline constexpr int kDefaultWalkLinkLevel = 3;
inline constexpr int kMinWalkLinkLevel = 0;
inline constexpr int kMaxWalkLinkLevel = 64;
