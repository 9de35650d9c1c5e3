#pragma once

// CLCTour: a navigation tour: a title, an id and the sites it owns, in order.

#include <memory>
#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"
#include "studio/project/LCTourSite.h"

class CLCTour : public CObject {
public:
    DECLARE_SERIAL(CLCTour)

    CLCTour() = default;
    CLCTour(const CString& title, const CString& id) : m_strTitle(title), m_strID(id) {}

    void Serialize(CArchive& archive) override;

    int GetSiteCount() const { return static_cast<int>(m_sites.size()); }
    // Null when the index is out of range.
    CLCTourSite* GetSite(int index) const;
    // Takes the site; returns its index.
    int AddSite(std::unique_ptr<CLCTourSite> site);

    CString m_strTitle;
    CString m_strID;
    std::vector<std::unique_ptr<CLCTourSite>> m_sites;
};
