#pragma once

// CSDKControlModule: the module object of leafsdk. It describes the module's one
// creatable class (the build control, ProgID "Leafcraft.SDK") and its type library to
// the COM runtime, which writes the four exports from it, and reads the control's
// settings from the profile section "SDK" under
// HKEY_CURRENT_USER\Software\Tallbrook Systems, Inc.\Leafcraft at the moment of use.

#include "platform/base/CString.h"
#include "platform/com/Module.h"
#include "platform/registry/Profile.h"

inline constexpr const char* kSDKProfileSection = "SDK";
inline constexpr const char* kSDKApplicationName = "Leafcraft";
inline constexpr DWORD kSDKControlMiscStatus = 0x20491;

class CSDKControlModule {
public:
    // The module's single object, made on first use (after the string table is loaded).
    static CSDKControlModule& Instance();

    const leaf::ComModule& ComModule() const { return m_comModule; }

    // Values of the profile section "SDK"; the control never writes them.
    UINT GetProfileInt(const char* entry, int defaultValue) const;
    CString GetProfileString(const char* entry, const char* defaultValue = "") const;

private:
    CSDKControlModule();

    leaf::Profile m_profile;
    leaf::ComModule m_comModule;
};
