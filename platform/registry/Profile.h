#pragma once

// The class library's per-user profile: settings kept in the registry below
// HKEY_CURRENT_USER\Software\<company>\<application>, one sub-key per section. Every
// call reads or writes the registry at that moment; nothing is cached across calls.

#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

namespace leaf {

class Profile {
public:
    // company: the registry key name (e.g. "Tallbrook Systems, Inc."); application: the
    // application's name (e.g. "Leafcraft").
    Profile(std::string company, std::string application);

    // "Software\<company>\<application>", below HKEY_CURRENT_USER.
    std::string BaseKeyPath() const;

    // The entry's REG_DWORD value; the default when it is missing or of another type.
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
    // The entry's REG_SZ or REG_EXPAND_SZ value; the default (null: "") otherwise.
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = "") const;
    // The entry's REG_BINARY bytes; FALSE (and `data` emptied) otherwise.
    BOOL GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>& data) const;

    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    // A null entry deletes the whole section; a null value deletes the entry.
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT size);

private:
    std::string SectionPath(const char* section) const;

    std::string m_company;
    std::string m_application;
};

}  // namespace leaf
