#pragma once

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "sdk/package/TourSite.h"

// A tour of the package: a titled, ordered list of sites that the tour owns.
class CTourRecord {
public:
    CTourRecord() = default;
    CTourRecord(CString title, CString id) : m_strTitle(std::move(title)), m_strId(std::move(id)) {}

    CString m_strTitle;
    CString m_strId;
    std::vector<std::unique_ptr<CTourSite>> m_sites;
};
