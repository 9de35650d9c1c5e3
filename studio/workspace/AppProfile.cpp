#include "studio/workspace/AppProfile.h"

#include "platform/ui/WinApp.h"

namespace leaf {

Profile& AppProfile() {
    if (CWinApp* app = AfxGetApp())
        if (Profile* profile = app->GetProfile()) return *profile;
    static Profile fallback(kCompanyKey, kProfileName);
    return fallback;
}

UINT GetAppProfileInt(const char* section, const char* entry, int defaultValue) {
    return AppProfile().GetProfileInt(section, entry, defaultValue);
}

CString GetAppProfileString(const char* section, const char* entry, const char* defaultValue) {
    return AppProfile().GetProfileString(section, entry, defaultValue);
}

BOOL WriteAppProfileInt(const char* section, const char* entry, int value) {
    return AppProfile().WriteProfileInt(section, entry, value);
}

BOOL WriteAppProfileString(const char* section, const char* entry, const char* value) {
    return AppProfile().WriteProfileString(section, entry, value);
}

}  // namespace leaf
