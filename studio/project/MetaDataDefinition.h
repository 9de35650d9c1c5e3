#pragma once

// CMetaDataDefinition: how one metadata item of a project is edited, read from the
// metadata definition file beside the program (the program's path with the extension
// ".dat", in the INI format). Sections "Meta-data Info #1", "#2", ... are read while
// their "Name" is non-empty.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CMetaDataDefinition {
public:
    enum PromptType : int {
        promptEdit = 1,
        promptEditMultiline = 2,
        promptList = 3,
        promptListMultiselect = 4,
        promptListCreator = 5,
        promptListIdentifier = 6
    };

    // The prompt type of a keyword ("Edit", "List-Creator", ...; exact case); 0 when none.
    static int PromptTypeFromKeyword(const CString& keyword);

    BOOL IsListType() const { return m_nPromptType >= promptList; }
    // The value stored for a displayed list text: the mapped value, else the text itself.
    CString GetStoredValue(const CString& displayed) const;

    CString m_strName;
    CString m_strLabel;
    int m_nPromptType = 0;
    LONG m_nMaxLength = 0x7FFFFFFF;
    CString m_strNotes;
    BOOL m_bSort = FALSE;
    BOOL m_bCustomize = FALSE;
    BOOL m_bSaveCustom = FALSE;
    CString m_strCustomText = "[new]";
    std::vector<CString> m_choices;               // displayed texts
    std::map<CString, CString> m_valueMap;        // displayed text -> stored value
    std::vector<CString> m_addedValues;           // added by the user, not saved
    CString m_strDefaultChoice;                   // "\n" pairs separate several defaults
};

namespace leaf {

// The definition file of the running program: its path with the extension ".dat".
CString MetaDataDefinitionPath();

// Reads the definitions of the file into the list (emptied first). Messages: 10000 when
// the file does not exist, 11000 for each definition with an unknown prompt type
// (skipped), 10001 when nothing was loaded; FALSE for the first and the last.
// beforeFailure runs before a failure message (the program hides its splash window).
BOOL LoadMetaDataDefinitions(const CString& path, std::vector<std::unique_ptr<CMetaDataDefinition>>& list,
                             const std::function<void()>& beforeFailure = {});

// Keeps a value the user added to a list: with "Save Custom" it joins the choices and the
// profile value "Custom List Values"/<Name>; else only the added values. Nothing happens
// for a null definition, an empty value or a definition that does not allow customising.
void SaveCustomValue(CMetaDataDefinition* definition, const CString& value);

}  // namespace leaf
