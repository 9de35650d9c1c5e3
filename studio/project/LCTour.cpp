#include "studio/project/LCTour.h"

IMPLEMENT_SERIAL(CLCTour, 1)

CLCTourSite* CLCTour::GetSite(int index) const
{
    if (index < 0 || index >= GetSiteCount()) return nullptr;
    return m_sites[static_cast<size_t>(index)].get();
}

int CLCTour::AddSite(std::unique_ptr<CLCTourSite> site)
{
    m_sites.push_back(std::move(site));
    return GetSiteCount() - 1;
}

void CLCTour::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive << m_strTitle << m_strID;
        archive.WriteCount(static_cast<DWORD>(m_sites.size()));
        for (const auto& site : m_sites) archive << site.get();
        return;
    }
    if (archive.GetObjectSchema() != 1) throw CArchiveException(CArchiveException::badSchema);
    archive >> m_strTitle >> m_strID;
    m_sites.clear();
    DWORD count = archive.ReadCount();
    for (DWORD i = 0; i < count; ++i) {
        CLCTourSite* site = nullptr;
        archive >> site;
        m_sites.emplace_back(site);
    }
}
