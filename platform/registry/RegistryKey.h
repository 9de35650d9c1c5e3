#pragma once

// An open registry key that closes itself: a thin layer over the registry functions for
// our own code.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/Registry.h"

namespace leaf {

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(HKEY key) : m_key(key) {}  // takes ownership of an open handle
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept : m_key(other.Release()) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // An existing key below `parent`; not open when it is missing or cannot be read.
    static RegistryKey Open(HKEY parent, std::string_view path);
    // The key below `parent`, created with every missing key on its path.
    static RegistryKey Create(HKEY parent, std::string_view path);

    bool IsOpen() const { return m_key != nullptr; }
    HKEY Handle() const { return m_key; }
    void Close();
    HKEY Release();  // gives up ownership of the handle

    // A string value (REG_SZ or REG_EXPAND_SZ, not expanded); "" is the default value.
    std::optional<std::string> ReadString(std::string_view name = "") const;
    std::optional<DWORD> ReadDword(std::string_view name = "") const;
    std::optional<std::vector<BYTE>> ReadBinary(std::string_view name = "") const;
    bool WriteString(std::string_view name, std::string_view value);
    bool WriteDword(std::string_view name, DWORD value);
    bool WriteBinary(std::string_view name, const std::vector<BYTE>& value);
    bool DeleteValue(std::string_view name);

    // Names in enumeration order (the order of creation).
    std::vector<std::string> SubKeyNames() const;
    std::vector<std::string> ValueNames() const;

private:
    // The value's type and bytes, or nullopt when it cannot be read.
    std::optional<std::string> ReadRaw(std::string_view name, DWORD& type) const;

    HKEY m_key = nullptr;
};

}  // namespace leaf
