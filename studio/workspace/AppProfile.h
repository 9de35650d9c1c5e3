#pragma once

// The program's per-user profile: HKEY_CURRENT_USER "Software\Tallbrook Systems, Inc.\Leafcraft".
// The application object's profile when it has one; otherwise (a window shown without the
// program's application object, as in a test) the same key reached directly, so settings
// land in one place either way.

#include "platform/base/CString.h"
#include "platform/registry/Profile.h"

namespace leaf {

inline constexpr const char* kCompanyKey = "Tallbrook Systems, Inc.";
inline constexpr const char* kProfileName = "Leafcraft";

Profile& AppProfile();
UINT GetAppProfileInt(const char* section, const char* entry, int defaultValue);
CString GetAppProfileString(const char* section, const char* entry, const char* defaultValue = "");
BOOL WriteAppProfileInt(const char* section, const char* entry, int value);
BOOL WriteAppProfileString(const char* section, const char* entry, const char* value);

}  // namespace leaf
