#include "platform/registry/Profile.h"

#include "platform/registry/RegistryKey.h"

namespace leaf {

Profile::Profile(std::string company, std::string application)
    : m_company(std::move(company)), m_application(std::move(application)) {}

std::string Profile::BaseKeyPath() const {
    return "Software\\" + m_company + "\\" + m_application;
}

std::string Profile::SectionPath(const char* section) const {
    return BaseKeyPath() + "\\" + section;
}

UINT Profile::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
    if (!section || !entry)
        return static_cast<UINT>(defaultValue);
    std::optional<DWORD> value = RegistryKey::Open(HKEY_CURRENT_USER, SectionPath(section)).ReadDword(entry);
    return value ? *value : static_cast<UINT>(defaultValue);
}

CString Profile::GetProfileString(const char* section, const char* entry, const char* defaultValue) const {
    if (section && entry) {
        RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, SectionPath(section));
        if (std::optional<std::string> value = key.ReadString(entry))
            return CString(std::move(*value));
    }
    return CString(defaultValue);
}

BOOL Profile::GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>& data) const {
    data.clear();
    if (!section || !entry)
        return FALSE;
    std::optional<std::vector<BYTE>> value =
        RegistryKey::Open(HKEY_CURRENT_USER, SectionPath(section)).ReadBinary(entry);
    if (!value)
        return FALSE;
    data = std::move(*value);
    return TRUE;
}

BOOL Profile::WriteProfileInt(const char* section, const char* entry, int value) {
    if (!section || !entry)
        return FALSE;
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, SectionPath(section));
    return key.WriteDword(entry, static_cast<DWORD>(value)) ? TRUE : FALSE;
}

BOOL Profile::WriteProfileString(const char* section, const char* entry, const char* value) {
    if (!section)
        return FALSE;
    if (!entry) {
        RegistryKey application = RegistryKey::Open(HKEY_CURRENT_USER, BaseKeyPath());
        return application.IsOpen() && RegDeleteKey(application.Handle(), section) == ERROR_SUCCESS;
    }
    if (!value) {
        RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, SectionPath(section));
        return key.DeleteValue(entry) ? TRUE : FALSE;
    }
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, SectionPath(section));
    return key.WriteString(entry, value) ? TRUE : FALSE;
}

BOOL Profile::WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT size) {
    if (!section || !entry || (!data && size > 0))
        return FALSE;
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, SectionPath(section));
    return key.WriteBinary(entry, std::vector<BYTE>(data, data + size)) ? TRUE : FALSE;
}

}  // namespace leaf
