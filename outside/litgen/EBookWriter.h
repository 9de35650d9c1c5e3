#pragma once

// CEBookWriter: the e-book compiler's writer object (IEBookWriter). It reads the package
// from the package stream, hands out one stream per item of the package's manifest (style
// sheets, then HTML documents, then every other item, each kind in manifest order), and
// at Finish writes the e-book: an EPUB 3 publication. The container holds "mimetype",
// "META-INF/container.xml", the package document (named after the e-book, extension
// ".opf") made from the streamed package, a navigation document and an NCX, and every
// item under its href (or a safe name where the href holds what the container does not
// allow): pages as XHTML content documents, style sheets without the declarations EPUB
// does not allow, the rest as the control streamed them. The archive is written to a temporary name beside the e-book and
// renamed into place, so a failed or cancelled build leaves no e-book and never a
// half-written one.
//
// Problems it meets are reported through the call-back: a package without items, an
// href that leaves the work folder, an item never streamed, a stream ended twice or
// written after its end, a picture whose bytes do not match its media type or whose type
// readers need not show, a page or style sheet that had to change to be valid. A
// failure to write the e-book names the file and the system's reason.

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/WorkAheadPool.h"
#include "outside/litgen/EBookItem.h"
#include "outside/litgen/ItemSpool.h"
#include "outside/litgen/PackageManifest.h"
#include "outside/litgen/XhtmlSerializer.h"
#include "platform/com/ComObject.h"
#include "sdk/compiler/EBookCompiler.h"

class CEBookWriter final : public leaf::ComObject<CEBookWriter, IEBookWriter> {
public:
    CEBookWriter() = default;

    HRESULT Initialize(ICompilerCallback* callback) override;
    HRESULT BeginEBook(LPCOLESTR eBookPath, LPCOLESTR workFolder, LPCOLESTR sourceName, void* reserved) override;
    HRESULT GetPackageStream(LONG flags, IUnknown** stream) override;
    HRESULT NextCssItem(IUnknown** stream) override;
    HRESULT NextHtmlItem(IUnknown** stream) override;
    HRESULT NextBinaryItem(IUnknown** stream) override;
    HRESULT Finish() override;
    HRESULT Cancel() override;

    // What the streams use.
    void Report(LONG type, LONG code, const std::string& text);
    // The package stream ended: its items become the items to hand out. A failure
    // result when the package is unusable (reported).
    HRESULT OnPackageEnded(const CPackageManifest& manifest);
    // A binary stream was released: its item is complete.
    void OnBinaryReleased(CEBookItem& item);
    // An item's stream has ended: its content is stored (deflated on a worker thread where
    // it is text) and moves from memory to the spool file.
    void OnItemEnded(CEBookItem& item);
    // The writer of a page, which checks its links against the package's items.
    std::unique_ptr<CXhtmlSerializer> CreatePageSerializer(const CEBookItem& item);
    // Whether the links of a page are kept: those of the table-of-contents page are.
    bool KeepsLinksOf(const CEBookItem& item) const;

private:
    enum class Stage { Created, Initialised, Begun, PackageOpen, PackageEnded, Done };

    HRESULT NextItem(CEBookItem::Kind kind, size_t& next, IUnknown** stream);
    std::string PackageEntryName() const;
    std::string EBookFolder() const;
    // Gives each item its name in the container (ArchiveNames.h).
    void NameArchiveEntries();
    // The item an href names (the exact match, else one that differs in letter case).
    const CEBookItem* FindItem(const std::string& href) const;
    // Puts an ended item in the form the archive holds: deflating runs on the workers,
    // a few items ahead of the client, and each item's stored bytes go to the spool in the
    // order the items ended.
    void StoreItem(CEBookItem& item);
    // Waits for the item stored longest ago and spools it.
    void CollectStoredItem();
    // Stores the item's content on this thread.
    void StoreHere(CEBookItem& item, std::string content);
    // The item is stored: its bytes go to the spool (or stay with it where there is none).
    void KeepStored(CEBookItem& item, const litgen::StoredForm& form, std::string bytes);
    // The content of a stored item again; false when it cannot be read.
    bool ReadStoredContent(const CEBookItem& item, std::string& content);
    // Writes the archive and removes the spool.
    HRESULT WriteArchive();
    HRESULT WriteArchiveFromSpool();
    void CheckPicture(const CEBookItem& item);
    // Makes an ended style sheet fit for the e-book: its references (StyleReferences.h) and
    // the declarations EPUB does not allow (DirectionDeclarations.h) and its nested rules
    // (FlatStyleRules.h), reporting what goes.
    void MapStyleSheet(CEBookItem& item);
    // Links to a place (a fragment) that the page they name does not hold open that page
    // instead; the pages changed are rewritten and reported. False when the spool fails.
    bool RepairFragmentLinks();

    leaf::ComPtr<ICompilerCallback> m_callback;
    Stage m_stage = Stage::Created;
    std::string m_eBookPath;
    std::string m_workFolder;  // ends with '/'
    std::string m_sourceName;
    std::shared_ptr<CEBookItem> m_package;
    CPackageManifest m_packageModel;
    std::vector<std::shared_ptr<CEBookItem>> m_items;
    std::map<std::string, size_t> m_itemsByLowerHref;
    std::string m_tocHref;  // the table-of-contents page the guide names, when it is an item
    CItemSpool m_spool;
    bool m_spoolUnavailable = false;  // no spool could be made: items stay in memory
    bool m_spoolFailed = false;       // an item could not be spooled: the archive cannot be written
    size_t m_nextCss = 0;
    size_t m_nextHtml = 0;
    size_t m_nextBinary = 0;

    // An item deflated on a worker: what the archive says of it, and the deflated bytes.
    struct Deflated {
        litgen::StoredForm form;
        std::string bytes;  // empty where the item is stored as it is
    };
    std::deque<std::pair<size_t, CEBookItem*>> m_beingStored;  // key in the pool, the item
    size_t m_nextStoreKey = 0;
    // Last: its workers end before the items they read go.
    std::unique_ptr<CWorkAheadPool<Deflated>> m_storing;
};
