#include "platform/com/ComRegistry.h"

#include "platform/registry/RegistryKey.h"

namespace leaf::comreg {

bool WriteString(const std::string& path, const std::string& value, const std::string& valueName) {
    RegistryKey key = RegistryKey::Create(HKEY_CLASSES_ROOT, path);
    return key.IsOpen() && key.WriteString(valueName, value);
}

std::optional<std::string> ReadString(const std::string& path, const std::string& valueName) {
    RegistryKey key = RegistryKey::Open(HKEY_CLASSES_ROOT, path);
    if (!key.IsOpen())
        return std::nullopt;
    return key.ReadString(valueName);
}

bool DeleteTree(const std::string& path) {
    {
        RegistryKey key = RegistryKey::Open(HKEY_CLASSES_ROOT, path);
        if (!key.IsOpen())
            return true;
        for (const std::string& child : key.SubKeyNames())
            DeleteTree(path + "\\" + child);
    }
    return RegDeleteKey(HKEY_CLASSES_ROOT, path.c_str()) == ERROR_SUCCESS;
}

void DeleteIfEmpty(const std::string& path) {
    {
        RegistryKey key = RegistryKey::Open(HKEY_CLASSES_ROOT, path);
        if (!key.IsOpen() || !key.SubKeyNames().empty() || !key.ValueNames().empty())
            return;
    }
    RegDeleteKey(HKEY_CLASSES_ROOT, path.c_str());
}

}  // namespace leaf::comreg
