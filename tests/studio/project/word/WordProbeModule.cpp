// wordprobe.so: a test module that stands where Word's class would be and records the
// add-in's "LoadBehavior" at the moment Word is created, then refuses to make anything.

#include "platform/com/Unknown.h"
#include "platform/registry/RegistryKey.h"

LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID, REFIID, void** object) {
    if (object != nullptr)
        *object = nullptr;
    leaf::RegistryKey addin = leaf::RegistryKey::Open(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Office\\Word\\Addins\\WordRMRComAddin.RMRComAddin.1");
    std::optional<DWORD> behavior = addin.IsOpen() ? addin.ReadDword("LoadBehavior") : std::nullopt;
    leaf::RegistryKey::Create(HKEY_CURRENT_USER, "Software\\WordProbe")
        .WriteDword("SeenLoadBehavior", behavior.value_or(0xFFFFFFFFu));
    return CLASS_E_CLASSNOTAVAILABLE;
}

LEAF_EXPORT_C HRESULT DllCanUnloadNow() { return S_OK; }
