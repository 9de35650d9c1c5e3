#pragma once

#include "platform/base/CString.h"

// One stop of a tour.
class CTourSite {
public:
    CTourSite() = default;
    CTourSite(CString title, CString href) : m_strTitle(std::move(title)), m_strHref(std::move(href)) {}

    CString m_strTitle;
    CString m_strHref;
};
