#include "outside/litgen/EBookWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>

#include "outside/litgen/ArchiveNames.h"
#include "outside/litgen/DirectionDeclarations.h"
#include "outside/litgen/FlatStyleRules.h"
#include "outside/litgen/EpubArchive.h"
#include "outside/litgen/EpubMediaTypes.h"
#include "outside/litgen/EpubPublication.h"
#include "outside/litgen/ItemStreams.h"
#include "outside/litgen/LitGenMessages.h"
#include "outside/litgen/StyleReferences.h"
#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"
#include "platform/base/FileKind.h"
#include "platform/base/ScratchFiles.h"
#include "platform/base/TextEncoding.h"

namespace {

std::string Narrow(LPCOLESTR text) { return text ? leaf::Utf16ToUtf8(std::u16string_view(text)) : std::string(); }

bool IsOneOf(const std::string& mediaType, std::initializer_list<const char*> types) {
    for (const char* type : types)
        if (leaf::EqualsNoCase(mediaType, type))
            return true;
    return false;
}

CEBookItem::Kind KindOf(const std::string& mediaType) {
    if (IsOneOf(mediaType, {"text/css", "text/x-oeb1-css"}))
        return CEBookItem::Kind::Css;
    if (IsOneOf(mediaType, {"text/html", "text/x-oeb1-document", "application/xhtml+xml"}))
        return CEBookItem::Kind::Html;
    return CEBookItem::Kind::Binary;
}

// An href that names a file inside the work folder: relative, with no part that climbs.
// (Characters the container does not allow in names are left to the item's archive name.)
bool IsSafeHref(const std::string& href) {
    if (href.empty() || href.front() == '/' || href.back() == '/' || href.find('\0') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= href.size()) {
        size_t end = href.find('/', start);
        if (end == std::string::npos)
            end = href.size();
        std::string_view part(href.data() + start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// The picture formats whose signature is checked; other media types pass.
bool MatchesPictureSignature(const std::string& mediaType, const std::string& bytes) {
    if (leaf::EqualsNoCase(mediaType, "image/gif"))
        return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
    if (leaf::EqualsNoCase(mediaType, "image/jpeg"))
        return bytes.starts_with("\xFF\xD8\xFF");
    if (leaf::EqualsNoCase(mediaType, "image/png"))
        return bytes.starts_with("\x89PNG\r\n\x1A\n");
    return true;
}

// Names the container keeps for itself: no item may take them.
bool IsContainerName(const std::string& href) {
    const std::string lower = leaf::ToLowerAscii(href);
    return lower == "mimetype" || lower.starts_with("meta-inf/");
}

// Why a new file cannot be made at `path`, as an errno value; 0 when it can be. A
// folder, FIFO, socket or device under the name is not replaced by a file.
int WhyNotCreatable(const std::string& path) {
    const std::filesystem::path target(path);
    if (!target.has_filename())
        return EISDIR;
    switch (leaf::KindOfFile(path)) {
    case leaf::FileKind::Folder:
        return EISDIR;
    case leaf::FileKind::Special:
        return leaf::kNotRegularFileError;
    default:
        break;
    }
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0)
        return errno;
    if (!S_ISDIR(status.st_mode))
        return ENOTDIR;
    return access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

// Deflating an item takes less time than streaming the next one to the writer: two
// workers keep up, and each holds deflate state and buffers of its own.
constexpr size_t kDeflatingWorkers = 2;
// How many ended items are deflated ahead of the one spooled next, per worker.
constexpr size_t kStoredAheadPerWorker = 2;

// Text is deflated; pictures, which their own formats compress already, are stored.
bool Compresses(const CEBookItem& item) { return !leaf::StartsWithNoCase(item.epubMediaType, "image/"); }

// Now, as the package document's time of modification.
std::string ModifiedNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

HRESULT CEBookWriter::Initialize(ICompilerCallback* callback) {
    if (m_stage != Stage::Created)
        return E_UNEXPECTED;
    if (callback == nullptr)
        return E_POINTER;
    m_callback = callback;
    m_stage = Stage::Initialised;
    return S_OK;
}

HRESULT CEBookWriter::BeginEBook(LPCOLESTR eBookPath, LPCOLESTR workFolder, LPCOLESTR sourceName, void* reserved) {
    if (m_stage != Stage::Initialised)
        return E_UNEXPECTED;
    if (eBookPath == nullptr || workFolder == nullptr || reserved != nullptr)
        return E_INVALIDARG;
    std::string path = Narrow(eBookPath);
    std::string folder = Narrow(workFolder);
    if (path.empty() || folder.empty())
        return E_INVALIDARG;
    if (const int reason = WhyNotCreatable(path); reason != 0) {
        Report(kCompilerError, litgen::kMsgBadEBookPath,
               "The e-book file \"" + path + "\" cannot be created there: " + std::strerror(reason));
        return E_FAIL;
    }
    m_eBookPath = path;
    m_workFolder = folder.back() == '/' ? folder : folder + "/";
    m_sourceName = Narrow(sourceName);
    m_stage = Stage::Begun;
    return S_OK;
}

HRESULT CEBookWriter::GetPackageStream(LONG, IUnknown** stream) {
    if (stream == nullptr)
        return E_POINTER;
    *stream = nullptr;
    if (m_stage != Stage::Begun)
        return E_UNEXPECTED;
    m_package = std::make_shared<CEBookItem>();
    m_package->kind = CEBookItem::Kind::Package;
    m_package->mediaType = "text/x-oeb1-package";
    m_stage = Stage::PackageOpen;
    leaf::ComPtr<CMarkupStream> created(new CMarkupStream(this, m_package));
    *stream = static_cast<IMarkupStream*>(created.Detach());
    return S_OK;
}

HRESULT CEBookWriter::OnPackageEnded(const CPackageManifest& manifest) {
    if (m_stage != Stage::PackageOpen)
        return E_UNEXPECTED;
    if (!manifest.SawPackage() || manifest.Items().empty()) {
        Report(kCompilerError, litgen::kMsgBadPackage, "The package file names no items.");
        return E_FAIL;
    }
    HRESULT result = S_OK;
    std::set<std::string> hrefs = {leaf::ToLowerAscii(PackageEntryName())};
    for (const CPackageManifest::Item& entry : manifest.Items()) {
        if (!IsSafeHref(entry.href)) {
            Report(kCompilerError, litgen::kMsgBadHref,
                   "The item \"" + entry.href + "\" does not name a file inside the work folder.");
            result = E_FAIL;
            continue;
        }
        if (IsContainerName(entry.href)) {
            Report(kCompilerError, litgen::kMsgBadHref,
                   "The item \"" + entry.href + "\" has a name that the e-book's container keeps for itself.");
            result = E_FAIL;
            continue;
        }
        // The archive's entries are case-sensitive, but a reader on another system may
        // not be: two hrefs that differ only in case are one file there.
        if (!hrefs.insert(leaf::ToLowerAscii(entry.href)).second) {
            Report(kCompilerError, litgen::kMsgDuplicateHref, "The item \"" + entry.href + "\" is named twice.");
            result = E_FAIL;
            continue;
        }
        auto item = std::make_shared<CEBookItem>();
        item->kind = KindOf(entry.mediaType);
        item->id = entry.id;
        item->href = entry.href;
        item->mediaType = entry.mediaType;
        item->epubMediaType = litgen::EpubMediaType(item->kind == CEBookItem::Kind::Html,
                                                    item->kind == CEBookItem::Kind::Css, entry.mediaType, entry.href);
        item->filePath = m_workFolder + entry.href;
        m_itemsByLowerHref.emplace(leaf::ToLowerAscii(entry.href), m_items.size());
        if (litgen::IsForeignPicture(item->epubMediaType))
            Report(kCompilerWarning, litgen::kMsgForeignPicture,
                   "The picture \"" + entry.href + "\" is of a type (" + item->epubMediaType +
                       ") that e-book readers need not show; where a page shows it, a reader that cannot shows "
                       "the picture's text instead.");
        m_items.push_back(std::move(item));
    }
    NameArchiveEntries();
    m_packageModel = manifest;
    for (const CPackageManifest::Reference& reference : manifest.Guide()) {
        const litgen::LinkTarget target = litgen::ResolveLink(reference.href, "");
        const CEBookItem* page = target.path.empty() ? nullptr : FindItem(target.path);
        if (reference.type == "toc" && page && page->kind == CEBookItem::Kind::Html && m_tocHref.empty())
            m_tocHref = page->href;
    }
    m_stage = Stage::PackageEnded;
    return result;
}

void CEBookWriter::NameArchiveEntries() {
    // Hrefs the container allows keep their names; the others get a safe name that no
    // other entry has in any letter case.
    std::set<std::string> taken = {leaf::ToLowerAscii(PackageEntryName()), "mimetype"};
    for (const auto& item : m_items)
        if (litgen::IsSafeArchiveName(item->href)) {
            item->archiveName = item->href;
            taken.insert(leaf::ToLowerAscii(item->href));
        }
    for (const auto& item : m_items) {
        if (!item->archiveName.empty())
            continue;
        const std::string safe = litgen::SafeArchiveName(item->href);
        std::string name = safe;
        for (int number = 2; taken.contains(leaf::ToLowerAscii(name)) || IsContainerName(name); ++number)
            name = litgen::NumberedName(safe, number);
        taken.insert(leaf::ToLowerAscii(name));
        item->archiveName = name;
    }
}

const CEBookItem* CEBookWriter::FindItem(const std::string& href) const {
    // Hrefs that differ only in letter case are refused, so one spelling names one item.
    auto found = m_itemsByLowerHref.find(leaf::ToLowerAscii(href));
    return found == m_itemsByLowerHref.end() ? nullptr : m_items[found->second].get();
}

std::unique_ptr<CXhtmlSerializer> CEBookWriter::CreatePageSerializer(const CEBookItem& item) {
    return std::make_unique<CXhtmlSerializer>(item.href, item.archiveName, [this](const std::string& path) {
        CXhtmlSerializer::TargetInfo info;
        if (const CEBookItem* target = FindItem(path)) {
            info.kind = target->kind == CEBookItem::Kind::Html ? CXhtmlSerializer::Target::ContentDocument
                                                                : CXhtmlSerializer::Target::OtherItem;
            info.path = target->href;
            info.archivePath = target->archiveName;
            if (litgen::IsForeignPicture(target->epubMediaType))
                info.foreignPictureType = target->epubMediaType;
        }
        return info;
    });
}

bool CEBookWriter::KeepsLinksOf(const CEBookItem& item) const { return !m_tocHref.empty() && item.href == m_tocHref; }

HRESULT CEBookWriter::NextItem(CEBookItem::Kind kind, size_t& next, IUnknown** stream) {
    if (stream == nullptr)
        return E_POINTER;
    *stream = nullptr;
    if (m_stage != Stage::PackageEnded)
        return E_UNEXPECTED;
    while (next < m_items.size() && m_items[next]->kind != kind)
        ++next;
    if (next == m_items.size())
        return S_FALSE;
    std::shared_ptr<CEBookItem> item = m_items[next++];
    if (kind == CEBookItem::Kind::Css) {
        leaf::ComPtr<CCssStream> created(new CCssStream(this, item));
        *stream = static_cast<ICssStream*>(created.Detach());
    } else if (kind == CEBookItem::Kind::Html) {
        leaf::ComPtr<CMarkupStream> created(new CMarkupStream(this, item));
        *stream = static_cast<IMarkupStream*>(created.Detach());
    } else {
        leaf::ComPtr<CBinaryStream> created(new CBinaryStream(this, item));
        *stream = static_cast<IBinaryStream*>(created.Detach());
    }
    return S_OK;
}

HRESULT CEBookWriter::NextCssItem(IUnknown** stream) { return NextItem(CEBookItem::Kind::Css, m_nextCss, stream); }
HRESULT CEBookWriter::NextHtmlItem(IUnknown** stream) { return NextItem(CEBookItem::Kind::Html, m_nextHtml, stream); }
HRESULT CEBookWriter::NextBinaryItem(IUnknown** stream) {
    return NextItem(CEBookItem::Kind::Binary, m_nextBinary, stream);
}

void CEBookWriter::OnBinaryReleased(CEBookItem& item) {
    if (item.state != CEBookItem::State::Streaming)
        return;
    item.state = CEBookItem::State::Ended;
    if (m_stage == Stage::PackageEnded)
        CheckPicture(item);
    OnItemEnded(item);
}

void CEBookWriter::OnItemEnded(CEBookItem& item) {
    if (item.kind == CEBookItem::Kind::Css && !item.stored)
        MapStyleSheet(item);
    // Nothing is written once the e-book is finished or cancelled.
    if (item.stored || m_stage == Stage::Done || m_eBookPath.empty())
        return;
    StoreItem(item);
}

void CEBookWriter::StoreItem(CEBookItem& item) {
    using Pool = CWorkAheadPool<Deflated>;
    const size_t workers = std::min(Pool::ProcessorWorkers(), kDeflatingWorkers);
    if (!m_storing && workers > 1)
        m_storing = std::make_unique<Pool>(workers, workers * kStoredAheadPerWorker + 1);
    if (!m_storing) {
        StoreHere(item, std::move(item.content));
        return;
    }
    // The worker reads the item's content, which nothing changes once the item has ended,
    // until the item is collected.
    const std::string* content = &item.content;
    const bool compress = Compresses(item);
    m_storing->Submit(m_nextStoreKey, [content, compress](size_t, const std::atomic<bool>&) {
        auto deflated = std::make_unique<Deflated>();
        deflated->form = litgen::StoreContent(*content, compress, deflated->bytes);
        return deflated;
    });
    m_beingStored.emplace_back(m_nextStoreKey++, &item);
    while (m_beingStored.size() > m_storing->WorkerCount() * kStoredAheadPerWorker)
        CollectStoredItem();
}

void CEBookWriter::CollectStoredItem() {
    const auto [key, item] = m_beingStored.front();
    m_beingStored.pop_front();
    std::unique_ptr<Deflated> deflated = m_storing->Take(key);
    if (!deflated)
        StoreHere(*item, std::move(item->content));  // the worker could not
    else
        KeepStored(*item, deflated->form, deflated->form.deflated ? std::move(deflated->bytes) : std::move(item->content));
}

void CEBookWriter::StoreHere(CEBookItem& item, std::string content) {
    std::string deflated;
    const litgen::StoredForm form = litgen::StoreContent(content, Compresses(item), deflated);
    KeepStored(item, form, form.deflated ? std::move(deflated) : std::move(content));
}

void CEBookWriter::KeepStored(CEBookItem& item, const litgen::StoredForm& form, std::string bytes) {
    item.form = form;
    item.stored = true;
    item.spooled = false;
    std::string().swap(item.content);
    if (!bytes.empty() && !m_spoolUnavailable && !m_spoolFailed) {
        if (!m_spool.IsOpen() && !m_spool.Create(m_eBookPath + ".spool")) {
            m_spoolUnavailable = true;  // no scratch file beside the e-book: the items stay in memory
        } else {
            CItemSpool::Range range;
            if (m_spool.Append(bytes, range)) {
                item.spooled = true;
                item.spoolOffset = range.offset;
                item.spoolLength = range.length;
                return;
            }
            m_spoolFailed = true;
        }
    }
    item.content = std::move(bytes);
}

bool CEBookWriter::ReadStoredContent(const CEBookItem& item, std::string& content) {
    std::string spooled;
    if (item.spooled && !m_spool.Read({item.spoolOffset, item.spoolLength}, spooled))
        return false;
    return litgen::RestoreContent(item.form, item.spooled ? spooled : item.content, content);
}

void CEBookWriter::MapStyleSheet(CEBookItem& item) {
    // A style sheet's url()s and imports of files the e-book does not hold find nothing in
    // it: they are taken out, and the author is told which. Those of files the e-book holds
    // under another name, or that the style sheet names from another place, are written
    // to that name.
    std::vector<std::string> dropped;
    litgen::MapStyleReferences(
        item.content, item.href,
        [this, &item](const std::string& path) {
            litgen::StyleReferenceTarget target;
            const CEBookItem* found = FindItem(path);
            target.missing = found == nullptr;
            if (found && (found->archiveName != path || item.archiveName != item.href))
                target.rewritten = litgen::RelativeHref(item.archiveName, found->archiveName);
            return target;
        },
        &dropped);
    if (!dropped.empty()) {
        std::string names;
        for (const std::string& name : dropped)
            names += (names.empty() ? "\"" : ", \"") + name + "\"";
        Report(kCompilerWarning, litgen::kMsgMissingReferences,
               "The style sheet \"" + item.href + "\" names files that are not in the e-book (" + names +
                   "); those references were taken out.");
    }
    // Declarations EPUB does not allow in style sheets go; the author hears of those whose
    // effect the text loses.
    const litgen::DirectionDeclarations removed = litgen::RemoveDirectionDeclarations(item.content);
    // Bare font sizes get the unit readers read them in; the text looks as it did.
    litgen::GiveFontSizesTheirUnit(item.content);
    if (removed.rightToLeft + removed.overrides > 0)
        Report(kCompilerWarning, litgen::kMsgMadeValid,
               "The style sheet \"" + item.href + "\" sets the direction of text, which EPUB style sheets may not: " +
                   std::to_string(removed.rightToLeft + removed.overrides) +
                   " declaration(s) of direction or unicode-bidi that set text right to left or override its "
                   "direction were taken out.");
    // Nested rules are written flat; rules that readers of EPUB cannot read go, and the
    // author hears how many.
    const litgen::FlatStyleRules flat = litgen::FlattenStyleRules(item.content);
    if (flat.leftOut > 0)
        Report(kCompilerWarning, litgen::kMsgMadeValid,
               "The style sheet \"" + item.href + "\" holds rules that readers of EPUB cannot read: " +
                   std::to_string(flat.leftOut) + " style rule(s) were left out.");
}

bool CEBookWriter::RepairFragmentLinks() {
    for (const auto& item : m_items) {
        const std::vector<CXhtmlSerializer::FragmentLink> links = std::move(item->fragmentLinks);
        item->fragmentLinks.clear();
        std::vector<const CXhtmlSerializer::FragmentLink*> broken;
        std::set<std::string> seen;
        for (const CXhtmlSerializer::FragmentLink& link : links) {
            const CEBookItem* target = FindItem(link.path);
            if ((target == nullptr || !target->ids.contains(link.fragment)) && seen.insert(link.written).second)
                broken.push_back(&link);
        }
        if (broken.empty())
            continue;
        std::string page;
        if (!ReadStoredContent(*item, page))
            return false;
        size_t repaired = 0;
        for (const CXhtmlSerializer::FragmentLink* link : broken)
            repaired += CXhtmlSerializer::DropFragment(page, *link);
        StoreHere(*item, std::move(page));
        if (m_spoolFailed)
            return false;
        Report(kCompilerWarning, litgen::kMsgMadeValid,
               "The markup of \"" + item->href + "\" has " + std::to_string(repaired) +
                   " link(s) to a place that its page does not hold; they open the page instead.");
    }
    return !m_spool.IsOpen() || m_spool.Flush();
}

void CEBookWriter::CheckPicture(const CEBookItem& item) {
    if (!MatchesPictureSignature(item.mediaType, item.content))
        Report(kCompilerWarning, litgen::kMsgNotAPicture,
               "The item \"" + item.href + "\" is declared as " + item.mediaType + " but does not hold such a picture.");
}

HRESULT CEBookWriter::Finish() {
    if (m_stage != Stage::PackageEnded)
        return E_UNEXPECTED;
    bool complete = true;
    for (const auto& item : m_items) {
        // A binary stream still held counts as complete: it has no end of its own.
        bool streamed = item->state == CEBookItem::State::Ended ||
                        (item->kind == CEBookItem::Kind::Binary && item->state == CEBookItem::State::Streaming);
        if (!streamed) {
            Report(kCompilerError, litgen::kMsgNotStreamed,
                   "The item \"" + item->href + "\" that the package names was never streamed completely.");
            complete = false;
        }
    }
    // The items being stored are collected; a binary stream still held is stored now.
    while (!m_beingStored.empty())
        CollectStoredItem();
    m_storing.reset();
    for (const auto& item : m_items)
        if (complete && !item->stored)
            StoreHere(*item, std::move(item->content));
    m_stage = Stage::Done;
    if (!complete)
        return E_FAIL;
    return WriteArchive();
}

HRESULT CEBookWriter::Cancel() {
    m_stage = Stage::Done;
    m_storing.reset();
    m_beingStored.clear();
    m_items.clear();
    m_package.reset();
    m_spool.Remove();
    return S_OK;
}

void CEBookWriter::Report(LONG type, LONG code, const std::string& text) {
    if (m_callback)
        m_callback->Message(type, code, leaf::Utf8ToUtf16(text).c_str());
}

std::string CEBookWriter::PackageEntryName() const {
    std::filesystem::path name = std::filesystem::path(m_eBookPath).filename();
    std::string stem = name.stem().string();
    return litgen::SafeArchiveName(stem.empty() ? std::string("package") : stem) + ".opf";
}

std::string CEBookWriter::EBookFolder() const {
    const std::filesystem::path eBook(m_eBookPath);
    return eBook.has_parent_path() ? eBook.parent_path().string() : std::string(".");
}

HRESULT CEBookWriter::WriteArchive() {
    HRESULT result = WriteArchiveFromSpool();
    m_spool.Remove();
    return result;
}

HRESULT CEBookWriter::WriteArchiveFromSpool() {
    // A fresh temporary name beside the e-book, which the archive is written to; the
    // rename puts it in place in one step. The partial archives of writers killed before
    // their end (<e-book>.tmp<pid>-<n>, and <e-book>.tmp<pid>-<n>.XXXXXX of the earlier
    // writer) are removed first.
    leaf::RemoveStaleScratchFiles(EBookFolder(), std::filesystem::path(m_eBookPath).filename().string() + ".tmp");
    std::string temporary;
    for (int attempt = 0; attempt < 1000 && temporary.empty(); ++attempt) {
        std::string candidate = m_eBookPath + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        std::error_code error;
        if (!std::filesystem::exists(candidate, error) && !error)
            temporary = candidate;
    }
    const auto fail = [&](const std::string& why) {
        Report(kCompilerError, litgen::kMsgWriteFailed, "The e-book file \"" + m_eBookPath + "\" could not be written: " + why);
        if (!temporary.empty())
            std::remove(temporary.c_str());
        return E_FAIL;
    };
    if (temporary.empty())
        return fail("no temporary name is free");
    // Items whose content went to the spool are read from there as the archive is written.
    const std::string scratch = "its scratch file in \"" + EBookFolder() + "\" ";
    if (m_spoolFailed || (m_spool.IsOpen() && !m_spool.Flush()))
        return fail(scratch + "could not be written: " + std::strerror(m_spool.Error()));

    if (!RepairFragmentLinks())
        return fail(scratch + "could not be read" +
                    (m_spool.Error() != 0 ? std::string(": ") + std::strerror(m_spool.Error()) : std::string()));

    CEpubPublication::Input input;
    input.package = &m_packageModel;
    input.items = &m_items;
    input.packageDocumentName = PackageEntryName();
    input.fallbackTitle = std::filesystem::path(m_eBookPath).stem().string();
    input.modified = ModifiedNow();
    const CEpubPublication publication(input);

    std::vector<litgen::ArchiveEntry> entries;
    const std::pair<const std::string&, const std::string&> documents[] = {
        {input.packageDocumentName, publication.PackageDocument()},
        {publication.NavigationName(), publication.NavigationDocument()},
        {publication.NcxName(), publication.Ncx()}};
    std::string deflatedDocuments[std::size(documents)];
    for (size_t i = 0; i < std::size(documents); ++i) {
        const litgen::StoredForm form = litgen::StoreContent(documents[i].second, true, deflatedDocuments[i]);
        entries.push_back({documents[i].first, form, form.deflated ? &deflatedDocuments[i] : &documents[i].second});
    }
    for (const auto& item : m_items)
        entries.push_back({item->archiveName, item->form, item->spooled ? nullptr : &item->content, item->spoolOffset,
                           item->spoolLength});
    const std::string why = litgen::WriteEpubArchive(temporary, input.packageDocumentName, entries, m_spool);
    if (!why.empty())
        return fail("the archive \"" + temporary + "\" could not be written: " + why);
    if (leaf::KindOfFile(m_eBookPath) == leaf::FileKind::Special)
        return fail(std::string("it is not a regular file: ") + std::strerror(leaf::kNotRegularFileError));
    if (std::rename(temporary.c_str(), m_eBookPath.c_str()) != 0)
        return fail("the archive \"" + temporary + "\" could not be moved into place: " + std::strerror(errno));
    return S_OK;
}
