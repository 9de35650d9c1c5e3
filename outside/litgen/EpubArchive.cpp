#include "outside/litgen/EpubArchive.h"

#include <zip.h>

#include "outside/litgen/XmlText.h"

namespace litgen {

namespace {

// The deflate level of text entries: the fastest, which still takes most of the size off.
constexpr zip_uint32_t kCompressionLevel = 1;

constexpr char kMimeType[] = "application/epub+zip";

}  // namespace

std::string WriteEpubArchive(const std::string& path, const std::string& packageDocumentName,
                             const std::vector<ArchiveEntry>& entries, const std::string& spoolPath) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    if (archive == nullptr)
        return "the archive could not be created";
    const std::string container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
        "  <rootfiles>\n"
        "    <rootfile full-path=\"" +
        EscapeXmlAttribute(packageDocumentName) +
        "\" media-type=\"application/oebps-package+xml\" />\n"
        "  </rootfiles>\n"
        "</container>\n";
    const std::string mimeType = kMimeType;
    const auto add = [&](const std::string& name, const ArchiveEntry& entry) {
        zip_source_t* source =
            entry.bytes ? zip_source_buffer(archive, entry.bytes->data(), entry.bytes->size(), 0)
                        : zip_source_file(archive, spoolPath.c_str(), entry.spoolOffset,
                                          static_cast<zip_int64_t>(entry.spoolLength));
        if (source == nullptr)
            return false;
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        // No extra fields: readers find the "mimetype" entry's text at a fixed place.
        return zip_set_file_compression(archive, at, entry.compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                        kCompressionLevel) == 0;
    };
    ArchiveEntry mimeEntry{"mimetype", &mimeType, 0, 0, false};
    ArchiveEntry containerEntry{"META-INF/container.xml", &container, 0, 0, true};
    bool added = add(mimeEntry.name, mimeEntry) && add(containerEntry.name, containerEntry);
    for (const ArchiveEntry& entry : entries)
        added = added && add(entry.name, entry);
    if (!added || zip_close(archive) != 0) {
        std::string why = zip_strerror(archive);
        zip_discard(archive);
        return why;
    }
    return {};
}

}  // namespace litgen
