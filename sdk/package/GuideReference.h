#pragma once

#include "platform/base/CString.h"

// One reference of the package guide (table of contents, cover, copyright page, ...).
class CGuideReference {
public:
    CGuideReference() = default;
    CGuideReference(CString title, CString type, CString href)
        : m_strTitle(std::move(title)), m_strType(std::move(type)), m_strHref(std::move(href))
    {
    }

    CString m_strTitle;
    CString m_strType;
    CString m_strHref;
};
