#pragma once

// CLCMarketing: a marketing item of a project. Kept, loaded and saved with the project;
// it has the fields of a metadata item but its own stream layout.

#include <vector>

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

class CLCMarketing : public CObject {
public:
    DECLARE_SERIAL(CLCMarketing)

    CLCMarketing() = default;

    void Serialize(CArchive& archive) override;

    CString m_strValue;
    CString m_strAttributes;
    std::vector<CString> m_values;
    std::vector<CString> m_attributes;   // one per value
};
