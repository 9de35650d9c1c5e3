#pragma once

// CLCTourSite: one stop of a navigation tour: a title and an href (absolute in memory,
// stored relative to the project file where the two share a folder).

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CLCTourSite : public CObject {
public:
    DECLARE_SERIAL(CLCTourSite)

    CLCTourSite() = default;
    CLCTourSite(const CString& title, const CString& href) : m_strTitle(title), m_strHref(href) {}

    void Serialize(CArchive& archive) override;

    CString m_strTitle;
    CString m_strHref;
    // Whether the href was stored absolute in the file it was loaded from (not written).
    BOOL m_bStoredAbsolute = FALSE;
};
