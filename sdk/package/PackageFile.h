#pragma once

// CPackageFile: one Open eBook 1.0.1 package in memory — unique identifier, Dublin Core
// and supplemental metadata, manifest, spine (reading order), tours and guide.
//
// Records are handed over with std::unique_ptr; an add operation that accepts one owns it
// from then on, one that refuses it frees it. Lookups with an index out of range give
// nullptr or -1, removals give FALSE; no operation throws errors of its own.
//
// Invariants: every spine entry is a valid manifest index; at most one Dublin Core record
// is named "dc:Title" (any case); an identifier set through SetUniqueIdentifier is the id
// of a "dc:Identifier" record. Manifest ids and paths are kept unique by the callers.
//
// Read and Write go through CPackageReader and CPackageWriter.

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "sdk/package/DCMetaItem.h"
#include "sdk/package/GuideReference.h"
#include "sdk/package/ManifestItem.h"
#include "sdk/package/PackageResults.h"
#include "sdk/package/TourRecord.h"
#include "sdk/package/TourSite.h"

class CPackageFile {
public:
    CPackageFile() = default;
    ~CPackageFile() = default;
    CPackageFile(const CPackageFile&) = delete;
    CPackageFile& operator=(const CPackageFile&) = delete;

    // Counts.
    int GetDCMetaCount() const { return static_cast<int>(m_dcMeta.size()); }
    int GetXMetaCount() const { return static_cast<int>(m_xMeta.size()); }
    int GetManifestCount() const { return static_cast<int>(m_manifest.size()); }
    int GetSpineCount() const { return static_cast<int>(m_spine.size()); }
    int GetTourCount() const { return static_cast<int>(m_tours.size()); }
    int GetGuideCount() const { return static_cast<int>(m_guide.size()); }

    // Lookups: nullptr (or -1) when an index is out of range.
    CDCMetaItem* GetDCMetaItem(int index) const;
    CDCMetaItem* GetXMetaItem(int index) const;
    CManifestItem* GetManifestItem(int index) const;
    int GetSpineItem(int position) const;
    CTourRecord* GetTour(int index) const;
    int GetTourSiteCount(int tourIndex) const;
    CTourSite* GetTourSite(int tourIndex, int siteIndex) const;
    CGuideReference* GetGuideItem(int index) const;

    // Additions: the index of the new record, -1 when refused.
    // A second "dc:Title" (any case) is refused.
    int AddDCMetaData(std::unique_ptr<CDCMetaItem> item);
    int AddXMetaData(std::unique_ptr<CDCMetaItem> item);
    // Appends to the manifest and, with inSpine, to the end of the spine.
    int AddManifestItem(std::unique_ptr<CManifestItem> item, BOOL inSpine);
    // Inserts at position when it lies within the spine, else appends; returns the
    // position of the new entry, -1 when manifestIndex is not a manifest index.
    int AddSpineItem(int manifestIndex, int position);
    // Adds the first manifest item whose id equals id (case-sensitive); no such item
    // leaves the spine unchanged.
    void AddSpineItemById(const CString& id, int position);
    int AddTour(std::unique_ptr<CTourRecord> tour);
    int AddTourSite(int tourIndex, std::unique_ptr<CTourSite> site);
    int AddGuideItem(std::unique_ptr<CGuideReference> item);

    // Removals: FALSE when an index is out of range, nothing changed.
    // Removing a manifest item drops its spine entries and renumbers the later ones.
    BOOL RemoveManifestItem(int index);
    BOOL RemoveSpineItem(int position);
    BOOL RemoveXMetaItem(int index);
    BOOL RemoveTour(int index);
    BOOL RemoveTourSite(int tourIndex, int siteIndex);

    const CString& GetUniqueIdentifier() const { return m_uniqueIdentifier; }
    // Sets the identifier when a "dc:Identifier" record has that id; FALSE otherwise.
    BOOL SetUniqueIdentifier(const CString& id);
    // TRUE when a "dc:Identifier" record (any case) has an id="..." attribute equal to id.
    BOOL IsIdentifierId(const CString& id) const;
    // TRUE when a Dublin Core record has the same name as item (any case).
    BOOL HasDCMetaItem(const CDCMetaItem& item) const;

    // Frees every record and empties the identifier; the last read result becomes
    // E_UNEXPECTED.
    void Clear();

    // Fills the package from a package file (after Clear): S_OK, PKG_E_OPENFILE or
    // PKG_E_FILEIO. What could be read is kept.
    HRESULT Read(const CString& path);
    HRESULT GetLastReadResult() const { return m_lastReadResult; }

    // Writes the package file (see CPackageWriter): S_OK or a PKG_E_ result.
    HRESULT Write(const CString& path);
    // Why the last Write failed, when it can say (CPackageWriter::GetErrorText).
    const CString& GetLastWriteError() const { return m_lastWriteError; }

private:
    friend class CPackageReader;
    friend class CPackageWriter;

    // The reader takes the identifier from the file as it stands; the writer drops one
    // that names no identifier record.
    void AssignUniqueIdentifier(const CString& id) { m_uniqueIdentifier = id; }

    CString m_uniqueIdentifier;
    std::vector<std::unique_ptr<CDCMetaItem>> m_dcMeta;
    std::vector<std::unique_ptr<CDCMetaItem>> m_xMeta;
    std::vector<std::unique_ptr<CManifestItem>> m_manifest;
    std::vector<int> m_spine;
    std::vector<std::unique_ptr<CTourRecord>> m_tours;
    std::vector<std::unique_ptr<CGuideReference>> m_guide;
    HRESULT m_lastReadResult = E_UNEXPECTED;
    CString m_lastWriteError;
};
