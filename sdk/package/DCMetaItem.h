#pragma once

#include "platform/base/CString.h"

// One metadata record: a Dublin Core element (name such as "dc:Title", its text and its
// attribute text of space-separated name="value" pairs) or a supplemental "meta" item
// (name, content; no attributes).
class CDCMetaItem {
public:
    CDCMetaItem() = default;
    CDCMetaItem(CString name, CString value, CString attributes = {})
        : m_strName(std::move(name)), m_strValue(std::move(value)), m_strAttributes(std::move(attributes))
    {
    }

    CString m_strName;
    CString m_strValue;
    CString m_strAttributes;
};
