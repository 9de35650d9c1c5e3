#pragma once

// Builds project-file bytes by hand, field by field, in the archive encoding, so that
// tests can load files as another writer would have made them.

#include <string>

#include "platform/base/Types.h"

namespace leaf::test {

class ArchiveBytes {
public:
    ArchiveBytes& Byte(BYTE value)
    {
        m_bytes += static_cast<char>(value);
        return *this;
    }
    ArchiveBytes& Word(WORD value) { return Byte(static_cast<BYTE>(value)).Byte(static_cast<BYTE>(value >> 8)); }
    ArchiveBytes& Dword(DWORD value) { return Word(static_cast<WORD>(value)).Word(static_cast<WORD>(value >> 16)); }
    // A string with a one-byte length (below 255 bytes).
    ArchiveBytes& Str(const std::string& text)
    {
        Byte(static_cast<BYTE>(text.size()));
        m_bytes += text;
        return *this;
    }
    ArchiveBytes& Count(WORD count) { return Word(count); }
    // The reference that introduces a class: 0xFFFF, schema, name.
    ArchiveBytes& NewClass(WORD schema, const std::string& name)
    {
        Word(0xFFFF).Word(schema).Word(static_cast<WORD>(name.size()));
        m_bytes += name;
        return *this;
    }
    // A new object of the class with this index.
    ArchiveBytes& KnownClass(WORD index) { return Word(static_cast<WORD>(0x8000 | index)); }

    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};

}  // namespace leaf::test
