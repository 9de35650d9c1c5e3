#include "studio/project/PrivateProfile.h"

#include <cstdlib>

#include "platform/base/File.h"

namespace leaf {

BOOL PrivateProfile::Load(const CString& path)
{
    std::string contents;
    if (!ReadFileBytes(path.str(), contents)) return FALSE;
    Parse(contents);
    return TRUE;
}

void PrivateProfile::Parse(std::string_view text)
{
    m_sections.clear();
    Section* current = nullptr;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        CString line(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        start = end == std::string_view::npos ? text.size() + 1 : end + 1;
        line.Trim();
        if (line.IsEmpty() || line[0] == ';') continue;
        if (line[0] == '[') {
            int close = line.Find(']');
            CString name = close < 0 ? line.Mid(1) : line.Mid(1, close - 1);
            m_sections.push_back({name.Trim(), {}});
            current = &m_sections.back();
            continue;
        }
        if (!current) continue;
        int equals = line.Find('=');
        if (equals < 0) continue;
        CString key = line.Left(equals);
        CString value = line.Mid(equals + 1);
        key.Trim();
        value.Trim();
        if (value.GetLength() >= 2 && (value[0] == '"' || value[0] == '\'') &&
            value[value.GetLength() - 1] == value[0])
            value = value.Mid(1, value.GetLength() - 2);
        current->entries.push_back({key, value});
    }
}

const PrivateProfile::Entry* PrivateProfile::Find(const CString& section, const CString& key) const
{
    for (const Section& candidate : m_sections) {
        if (candidate.name.CompareNoCase(section) != 0) continue;
        for (const Entry& entry : candidate.entries) {
            if (entry.key.CompareNoCase(key) == 0) return &entry;
        }
        return nullptr;
    }
    return nullptr;
}

CString PrivateProfile::GetString(const CString& section, const CString& key, const CString& defaultValue) const
{
    const Entry* entry = Find(section, key);
    return entry ? entry->value : defaultValue;
}

LONG PrivateProfile::GetInt(const CString& section, const CString& key, LONG defaultValue) const
{
    const Entry* entry = Find(section, key);
    if (!entry) return defaultValue;
    return static_cast<LONG>(std::strtol(entry->value.c_str(), nullptr, 10));
}

}  // namespace leaf
