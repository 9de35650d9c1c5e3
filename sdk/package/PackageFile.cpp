#include "sdk/package/PackageFile.h"

#include <algorithm>

#include "sdk/package/AttributeTokens.h"
#include "sdk/package/PackageReader.h"
#include "sdk/package/PackageWriter.h"

namespace {

template <typename T>
T* RecordAt(const std::vector<std::unique_ptr<T>>& list, int index)
{
    if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
    return list[static_cast<size_t>(index)].get();
}

template <typename T>
int Append(std::vector<std::unique_ptr<T>>& list, std::unique_ptr<T> record)
{
    if (!record) return -1;
    list.push_back(std::move(record));
    return static_cast<int>(list.size()) - 1;
}

template <typename T>
BOOL EraseAt(std::vector<std::unique_ptr<T>>& list, int index)
{
    if (index < 0 || index >= static_cast<int>(list.size())) return FALSE;
    list.erase(list.begin() + index);
    return TRUE;
}

}  // namespace

CDCMetaItem* CPackageFile::GetDCMetaItem(int index) const { return RecordAt(m_dcMeta, index); }
CDCMetaItem* CPackageFile::GetXMetaItem(int index) const { return RecordAt(m_xMeta, index); }
CManifestItem* CPackageFile::GetManifestItem(int index) const { return RecordAt(m_manifest, index); }
CTourRecord* CPackageFile::GetTour(int index) const { return RecordAt(m_tours, index); }
CGuideReference* CPackageFile::GetGuideItem(int index) const { return RecordAt(m_guide, index); }

int CPackageFile::GetSpineItem(int position) const
{
    if (position < 0 || position >= GetSpineCount()) return -1;
    return m_spine[static_cast<size_t>(position)];
}

int CPackageFile::GetTourSiteCount(int tourIndex) const
{
    const CTourRecord* tour = GetTour(tourIndex);
    return tour ? static_cast<int>(tour->m_sites.size()) : -1;
}

CTourSite* CPackageFile::GetTourSite(int tourIndex, int siteIndex) const
{
    const CTourRecord* tour = GetTour(tourIndex);
    return tour ? RecordAt(tour->m_sites, siteIndex) : nullptr;
}

int CPackageFile::AddDCMetaData(std::unique_ptr<CDCMetaItem> item)
{
    if (!item) return -1;
    // The package has one title; a second one is dropped.
    if (leaf::EqualsNoCase(item->m_strName.str(), "dc:Title") && HasDCMetaItem(*item)) return -1;
    return Append(m_dcMeta, std::move(item));
}

int CPackageFile::AddXMetaData(std::unique_ptr<CDCMetaItem> item)
{
    return Append(m_xMeta, std::move(item));
}

int CPackageFile::AddManifestItem(std::unique_ptr<CManifestItem> item, BOOL inSpine)
{
    const int index = Append(m_manifest, std::move(item));
    if (index >= 0 && inSpine) AddSpineItem(index, -1);
    return index;
}

int CPackageFile::AddSpineItem(int manifestIndex, int position)
{
    if (manifestIndex < 0 || manifestIndex >= GetManifestCount()) return -1;
    if (position >= 0 && position < GetSpineCount()) {
        m_spine.insert(m_spine.begin() + position, manifestIndex);
        return position;
    }
    m_spine.push_back(manifestIndex);
    return GetSpineCount() - 1;
}

void CPackageFile::AddSpineItemById(const CString& id, int position)
{
    for (int index = 0; index < GetManifestCount(); ++index) {
        if (m_manifest[static_cast<size_t>(index)]->m_strId == id) {
            AddSpineItem(index, position);
            return;
        }
    }
}

int CPackageFile::AddTour(std::unique_ptr<CTourRecord> tour)
{
    return Append(m_tours, std::move(tour));
}

int CPackageFile::AddTourSite(int tourIndex, std::unique_ptr<CTourSite> site)
{
    CTourRecord* tour = GetTour(tourIndex);
    if (!tour) return -1;
    return Append(tour->m_sites, std::move(site));
}

int CPackageFile::AddGuideItem(std::unique_ptr<CGuideReference> item)
{
    return Append(m_guide, std::move(item));
}

BOOL CPackageFile::RemoveManifestItem(int index)
{
    if (!EraseAt(m_manifest, index)) return FALSE;
    std::erase(m_spine, index);
    for (int& entry : m_spine) {
        if (entry > index) --entry;
    }
    return TRUE;
}

BOOL CPackageFile::RemoveSpineItem(int position)
{
    if (position < 0 || position >= GetSpineCount()) return FALSE;
    m_spine.erase(m_spine.begin() + position);
    return TRUE;
}

BOOL CPackageFile::RemoveXMetaItem(int index)
{
    return EraseAt(m_xMeta, index);
}

BOOL CPackageFile::RemoveTour(int index)
{
    return EraseAt(m_tours, index);
}

BOOL CPackageFile::RemoveTourSite(int tourIndex, int siteIndex)
{
    CTourRecord* tour = GetTour(tourIndex);
    return tour ? EraseAt(tour->m_sites, siteIndex) : FALSE;
}

BOOL CPackageFile::SetUniqueIdentifier(const CString& id)
{
    if (!IsIdentifierId(id)) return FALSE;
    m_uniqueIdentifier = id;
    return TRUE;
}

BOOL CPackageFile::IsIdentifierId(const CString& id) const
{
    for (const auto& item : m_dcMeta) {
        if (!leaf::EqualsNoCase(item->m_strName.str(), "dc:Identifier")) continue;
        for (const CString& token : leaf::package::SplitAttributeText(item->m_strAttributes)) {
            if (token.str().starts_with("id=") && token.Mid(3) == id) return TRUE;
        }
    }
    return FALSE;
}

BOOL CPackageFile::HasDCMetaItem(const CDCMetaItem& item) const
{
    return std::any_of(m_dcMeta.begin(), m_dcMeta.end(), [&item](const auto& existing) {
        return leaf::EqualsNoCase(existing->m_strName.str(), item.m_strName.str());
    });
}

void CPackageFile::Clear()
{
    m_uniqueIdentifier.Empty();
    m_dcMeta.clear();
    m_xMeta.clear();
    m_manifest.clear();
    m_spine.clear();
    m_tours.clear();
    m_guide.clear();
    m_lastReadResult = E_UNEXPECTED;
}

HRESULT CPackageFile::Read(const CString& path)
{
    Clear();
    CPackageReader reader(*this);
    m_lastReadResult = reader.Read(path);
    return m_lastReadResult;
}

HRESULT CPackageFile::Write(const CString& path)
{
    CPackageWriter writer(*this);
    const HRESULT result = writer.Write(path);
    m_lastWriteError = writer.GetErrorText();
    return result;
}
