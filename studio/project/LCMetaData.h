#pragma once

// CLCMetaData: the value of one metadata item of a project; its name is its key in the
// document's metadata map. Edit and Edit-Multiline items use the value and its attribute
// text; list items use the values, with attribute text i belonging to value i.

#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CLCMetaData : public CObject {
public:
    DECLARE_SERIAL(CLCMetaData)

    CLCMetaData() = default;

    void Serialize(CArchive& archive) override;

    // Appends a value with its attribute text.
    void AddValue(const CString& value, const CString& attributes = CString());

    CString m_strValue;
    CString m_strAttributes;
    std::vector<CString> m_values;
    std::vector<CString> m_attributes;   // one per value
};
