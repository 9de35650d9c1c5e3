#pragma once

// CMarketingDefinition: how one marketing item of a project would be edited: the second
// kind of definition the definition file can hold, in sections "Marketing Info #1", "#2",
// ... (string 555), with the keys of the metadata definitions. The program keeps the
// marketing items of a project but offers no editor for them, so nothing reads these
// sections yet; the record is here for the loader that will.

#include <map>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CMarketingDefinition {
public:
    // The section name pattern of the definition file ("Marketing Info #%d").
    static constexpr UINT kSectionPatternString = 555;
    // The warning for a section with an unknown prompt type (keyword, name).
    static constexpr UINT kInvalidPromptTypeMessage = 11001;

    // The value stored for a displayed list text: the mapped value, else the text itself.
    CString GetStoredValue(const CString& displayed) const;

    CString m_strName;
    CString m_strLabel;
    CString m_strPromptType;                      // the keyword as written ("Edit", "List", ...)
    CString m_strNotes;
    CString m_strCustomText = "[new]";            // the list entry that invites a new value
    CString m_strDefaultChoice;                   // "\n" pairs separate several defaults
    std::vector<CString> m_choices;               // displayed texts
    std::map<CString, CString> m_valueMap;        // displayed text -> stored value
    std::vector<CString> m_addedValues;           // added by the user, not saved
};
