#include "common/WordAddin.h"

namespace {

constexpr const char* kVersionedAddinName = "WordRMRComAddin.RMRComAddin.1";
constexpr const char* kShortAddinName = "WordRMRComAddin.RMRComAddin";
constexpr const char* kAddinsKey = "Software\\Microsoft\\Office\\Word\\Addins";

const char* g_addinName = kVersionedAddinName;

}  // namespace

const char* GetWordAddinName() { return g_addinName; }

void UseShortWordAddinName() { g_addinName = kShortAddinName; }

void ResetWordAddinName() { g_addinName = kVersionedAddinName; }

leaf::RegistryKey OpenWordAddinKey(const char* addinName) {
    if (addinName == nullptr)
        return {};
    leaf::RegistryKey addins = leaf::RegistryKey::Open(HKEY_CURRENT_USER, kAddinsKey);
    if (!addins.IsOpen())
        return {};
    return leaf::RegistryKey::Open(addins.Handle(), addinName);
}

BOOL GetWordAddinLoadBehavior(const char* addinName, DWORD* value) {
    if (value == nullptr)
        return FALSE;
    leaf::RegistryKey key = OpenWordAddinKey(addinName);
    if (!key.IsOpen())
        return FALSE;
    std::optional<DWORD> behavior = key.ReadDword("LoadBehavior");
    if (!behavior)
        return FALSE;
    *value = *behavior;
    return TRUE;
}

BOOL SetWordAddinLoadBehavior(const char* addinName, DWORD value) {
    leaf::RegistryKey key = OpenWordAddinKey(addinName);
    if (!key.IsOpen())
        return FALSE;
    return key.WriteDword("LoadBehavior", value) ? TRUE : FALSE;
}
