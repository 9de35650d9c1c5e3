#pragma once

// Writes the e-book's container: a ZIP archive whose first entry is "mimetype", stored
// uncompressed and holding "application/epub+zip", then "META-INF/container.xml" naming
// the package document, then the entries given, in order. Entries come in the form the
// archive holds them (StoredContent.h), from memory or from a range of the writer's
// spool file, which is read one entry at a time.

#include <cstdint>
#include <string>
#include <vector>

#include "outside/litgen/ItemSpool.h"
#include "outside/litgen/StoredContent.h"

namespace litgen {

struct ArchiveEntry {
    std::string name;
    StoredForm form;
    const std::string* bytes = nullptr;  // as stored, in memory, or:
    std::uint64_t spoolOffset = 0;       // a range of the spool file
    std::uint64_t spoolLength = 0;
};

// Writes the archive at `path` (which must not exist). Empty on success, else why not.
std::string WriteEpubArchive(const std::string& path, const std::string& packageDocumentName,
                             const std::vector<ArchiveEntry>& entries, CItemSpool& spool);

}  // namespace litgen
