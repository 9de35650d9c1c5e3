#pragma once

// CZipWriter: writes a ZIP archive from entries whose content is in the form the archive
// holds already (StoredContent.h: deflated or as it is, with its checksum and size), so
// that deflating can be done elsewhere, before. Each entry is written as its local
// header (no extra fields, no data descriptor) and its bytes, in the order added; Finish
// writes the central directory and the end record. Names are UTF-8, marked so where they
// are not ASCII.
//
// Without the ZIP64 extensions an archive holds at most 65,534 entries, and no size or
// offset may reach 4 GiB - 1 byte (the largest values mark the extensions); an entry
// that would not fit is refused, and the archive is then not complete (Error says why).

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "outside/litgen/StoredContent.h"

class CZipWriter {
public:
    CZipWriter() = default;
    ~CZipWriter();
    CZipWriter(const CZipWriter&) = delete;
    CZipWriter& operator=(const CZipWriter&) = delete;

    // Creates the archive file; false when it exists already or cannot be made.
    bool Create(const std::string& path);
    // Adds an entry: `stored` are the bytes the archive holds, as `form` describes them.
    bool Add(const std::string& name, const litgen::StoredForm& form, std::string_view stored);
    // Writes the central directory and closes the file.
    bool Finish();

    // Why the last operation failed.
    const std::string& Error() const { return m_error; }

private:
    struct Written {
        std::string name;
        litgen::StoredForm form;
        std::uint64_t storedSize = 0;
        std::uint64_t offset = 0;  // of the local header
    };

    bool Write(std::string_view bytes);
    bool Fail(const std::string& why);

    std::FILE* m_file = nullptr;
    std::uint64_t m_offset = 0;
    std::uint16_t m_time = 0;  // MS-DOS time and date of the entries
    std::uint16_t m_date = 0;
    std::vector<Written> m_entries;
    std::string m_error;
};
