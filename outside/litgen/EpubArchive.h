#pragma once

// Writes the e-book's container: a ZIP archive whose first entry is "mimetype", stored
// uncompressed and holding "application/epub+zip", then "META-INF/container.xml" naming
// the package document, then the entries given, in order. Text is deflated at the
// fastest level; pictures, which their own formats compress already, are stored.
// Content comes from memory or from a range of the writer's spool file.

#include <cstdint>
#include <string>
#include <vector>

namespace litgen {

struct ArchiveEntry {
    std::string name;
    const std::string* bytes = nullptr;  // in memory, or:
    std::uint64_t spoolOffset = 0;       // a range of the spool file
    std::uint64_t spoolLength = 0;
    bool compress = true;
};

// Writes the archive at `path` (which must not exist). Empty on success, else why not.
std::string WriteEpubArchive(const std::string& path, const std::string& packageDocumentName,
                             const std::vector<ArchiveEntry>& entries, const std::string& spoolPath);

}  // namespace litgen
