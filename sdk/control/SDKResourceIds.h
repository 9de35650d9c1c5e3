#pragma once

// Ids of the build control's string resources (resources/sdk/leafsdk.lrc).

#include "platform/base/Types.h"

inline constexpr UINT IDS_CONTROL_NAME = 1;            // "Leafcraft SDK Control"
inline constexpr UINT IDS_COMPANY_KEY = 100;           // "Tallbrook Systems, Inc."
inline constexpr UINT IDS_BROWSE_SUPPORTED = 200;      // "Supported Source Files|%s|"
inline constexpr UINT IDS_BROWSE_GROUP = 201;          // "%s Files|%s|"
inline constexpr UINT IDS_BROWSE_ALL_FILES = 202;      // "All Files (*.*)|*.*||"
inline constexpr UINT IDS_FILTERS_KEY = 400;           // HKEY_LOCAL_MACHINE: one sub-key per filter
inline constexpr UINT IDS_FILTER_EXTENSIONS_KEY = 401;  // HKEY_USERS: one sub-key per extension
inline constexpr UINT IDS_DEFAULT_SOURCE = 402;        // "Leafcraft"
inline constexpr UINT IDS_VERSION_META_NAME = 500;     // "lcver-%s"
inline constexpr UINT IDS_VERSION_META_VALUE = 501;    // "%s (%s)"
inline constexpr UINT IDS_UNSUPPORTED_TYPE = 502;      // error details: a type no filter takes
