#pragma once

// A read-only INI file ("[Section]" lines, then "key=value" lines), read the way the
// platform's private-profile functions read one: section and key names compare without
// regard to case, names and values are trimmed of white space, a value in matching
// quotes loses them, lines starting with ';' are comments, and the first of repeated
// sections or keys wins.

#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

namespace leaf {

class PrivateProfile {
public:
    // FALSE when the file cannot be read.
    BOOL Load(const CString& path);
    // Reads INI text.
    void Parse(std::string_view text);

    CString GetString(const CString& section, const CString& key, const CString& defaultValue = CString()) const;
    // The value's leading decimal number (with sign), the default when the key is
    // missing, 0 when the value does not start with one.
    LONG GetInt(const CString& section, const CString& key, LONG defaultValue) const;

private:
    struct Entry {
        CString key;
        CString value;
    };
    struct Section {
        CString name;
        std::vector<Entry> entries;
    };
    const Entry* Find(const CString& section, const CString& key) const;

    std::vector<Section> m_sections;
};

}  // namespace leaf
