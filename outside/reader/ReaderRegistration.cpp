#include "outside/reader/ReaderRegistration.h"

#include "platform/registry/RegistryKey.h"

namespace reader {

bool RegisterReader(const std::string& folder) {
    leaf::RegistryKey key = leaf::RegistryKey::Create(HKEY_LOCAL_MACHINE, kReaderKey);
    return key.IsOpen() && key.WriteString(kInstallDirValue, folder);
}

bool UnregisterReader(const std::string& folder) {
    {
        leaf::RegistryKey key = leaf::RegistryKey::Open(HKEY_LOCAL_MACHINE, kReaderKey);
        if (!key.IsOpen())
            return true;
        std::optional<std::string> registered = key.ReadString(kInstallDirValue);
        if (!registered || *registered != folder)
            return true;
        if (!key.DeleteValue(kInstallDirValue))
            return false;
        if (!key.ValueNames().empty() || !key.SubKeyNames().empty())
            return true;
    }
    return RegDeleteKey(HKEY_LOCAL_MACHINE, kReaderKey) == ERROR_SUCCESS;
}

}  // namespace reader
