#include "outside/litgen/EpubArchive.h"

#include "outside/litgen/XmlText.h"
#include "outside/litgen/ZipWriter.h"

namespace litgen {

namespace {

constexpr char kMimeType[] = "application/epub+zip";

// The entry's name with what it holds, deflated where that makes it smaller.
bool AddText(CZipWriter& archive, const std::string& name, const std::string& content) {
    std::string deflated;
    const StoredForm form = StoreContent(content, true, deflated);
    return archive.Add(name, form, form.deflated ? deflated : content);
}

}  // namespace

std::string WriteEpubArchive(const std::string& path, const std::string& packageDocumentName,
                             const std::vector<ArchiveEntry>& entries, CItemSpool& spool) {
    CZipWriter archive;
    if (!archive.Create(path))
        return "the archive could not be created: " + archive.Error();
    const std::string container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
        "  <rootfiles>\n"
        "    <rootfile full-path=\"" +
        EscapeXmlAttribute(packageDocumentName) +
        "\" media-type=\"application/oebps-package+xml\" />\n"
        "  </rootfiles>\n"
        "</container>\n";
    // Readers find the "mimetype" entry's text at a fixed place: first, stored, no extra field.
    std::string none;
    bool added = archive.Add("mimetype", StoreContent(kMimeType, false, none), kMimeType) &&
                 AddText(archive, "META-INF/container.xml", container);
    std::string spooled;
    for (const ArchiveEntry& entry : entries) {
        if (!added)
            break;
        if (entry.bytes == nullptr && !spool.Read({entry.spoolOffset, entry.spoolLength}, spooled))
            return "its scratch file could not be read";
        added = archive.Add(entry.name, entry.form, entry.bytes ? *entry.bytes : spooled);
    }
    if (!added || !archive.Finish())
        return archive.Error();
    return {};
}

}  // namespace litgen
