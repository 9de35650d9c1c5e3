#include "platform/registry/RegistryKey.h"

#include <cstring>

namespace leaf {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_key = other.Release();
    }
    return *this;
}

RegistryKey RegistryKey::Open(HKEY parent, std::string_view path) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(parent, std::string(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

RegistryKey RegistryKey::Create(HKEY parent, std::string_view path) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(parent, std::string(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                       nullptr, &key, nullptr) != ERROR_SUCCESS)
        return RegistryKey();
    return RegistryKey(key);
}

void RegistryKey::Close() {
    if (m_key)
        RegCloseKey(m_key);
    m_key = nullptr;
}

HKEY RegistryKey::Release() {
    HKEY key = m_key;
    m_key = nullptr;
    return key;
}

std::optional<std::string> RegistryKey::ReadRaw(std::string_view name, DWORD& type) const {
    if (!m_key)
        return std::nullopt;
    std::string valueName(name);
    std::string data;
    // The value may grow between asking for its size and reading it: ask again then.
    for (;;) {
        DWORD size = 0;
        if (RegQueryValueEx(m_key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        data.resize(size);
        LONG result = RegQueryValueEx(m_key, valueName.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            return data;
        }
        if (result != ERROR_MORE_DATA)
            return std::nullopt;
    }
}

std::optional<std::string> RegistryKey::ReadString(std::string_view name) const {
    DWORD type = REG_NONE;
    std::optional<std::string> data = ReadRaw(name, type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    data->resize(std::strlen(data->c_str()));
    return data;
}

std::optional<DWORD> RegistryKey::ReadDword(std::string_view name) const {
    DWORD type = REG_NONE;
    std::optional<std::string> data = ReadRaw(name, type);
    if (!data || type != REG_DWORD || data->size() != sizeof(DWORD))
        return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, data->data(), sizeof value);
    return value;
}

std::optional<std::vector<BYTE>> RegistryKey::ReadBinary(std::string_view name) const {
    DWORD type = REG_NONE;
    std::optional<std::string> data = ReadRaw(name, type);
    if (!data || type != REG_BINARY)
        return std::nullopt;
    return std::vector<BYTE>(data->begin(), data->end());
}

bool RegistryKey::WriteString(std::string_view name, std::string_view value) {
    std::string text(value);
    return m_key && RegSetValueEx(m_key, std::string(name).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::WriteDword(std::string_view name, DWORD value) {
    return m_key && RegSetValueEx(m_key, std::string(name).c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool RegistryKey::WriteBinary(std::string_view name, const std::vector<BYTE>& value) {
    return m_key && RegSetValueEx(m_key, std::string(name).c_str(), 0, REG_BINARY, value.data(),
                                  static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(std::string_view name) {
    return m_key && RegDeleteValue(m_key, std::string(name).c_str()) == ERROR_SUCCESS;
}

namespace {

// Collects the names an enumeration call gives for index 0, 1, ... until it stops,
// growing the buffer for a name that does not fit.
template <class Enumerate>
std::vector<std::string> EnumerateNames(Enumerate enumerate) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        std::string name(64, '\0');
        DWORD size = static_cast<DWORD>(name.size());
        LONG result = enumerate(index, name.data(), &size);
        if (result == ERROR_MORE_DATA) {
            name.resize(size + 1);
            size = static_cast<DWORD>(name.size());
            result = enumerate(index, name.data(), &size);
        }
        if (result != ERROR_SUCCESS)
            break;
        name.resize(size);
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace

std::vector<std::string> RegistryKey::SubKeyNames() const {
    if (!m_key)
        return {};
    return EnumerateNames([this](DWORD index, char* name, DWORD* size) {
        return RegEnumKeyEx(m_key, index, name, size, nullptr, nullptr, nullptr, nullptr);
    });
}

std::vector<std::string> RegistryKey::ValueNames() const {
    if (!m_key)
        return {};
    return EnumerateNames([this](DWORD index, char* name, DWORD* size) {
        return RegEnumValue(m_key, index, name, size, nullptr, nullptr, nullptr, nullptr);
    });
}

}  // namespace leaf
