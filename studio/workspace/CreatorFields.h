#pragma once

// The role and file-as helpers of a creator entry: the role map (display name to MARC
// relator code, read from string 556) and the operations that fill and read the role
// and file-as combo boxes. The Properties workspace offers them to the Creator dialog.

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/CString.h"

class CComboBox;

namespace leaf {

class CreatorFields {
public:
    // Builds the role map from string 556.
    CreatorFields();
    // Builds the role map from a "name|code|name|code..." text.
    explicit CreatorFields(const char* roleList);
    virtual ~CreatorFields() = default;

    // Empties the combo, adds every role name, then "[role]" at the top.
    void FillRoleCombo(CComboBox* combo) const;
    // Selects the name of the code (the exact match), else item 0 ("[role]").
    void SelectRole(CComboBox* combo, const char* code) const;
    // The code of the combo's text; empty when it names no role.
    CString GetSelectedRoleCode(CComboBox* combo) const;
    // The name of a code; empty when none or when the code is empty.
    CString GetRoleName(const char* code) const;
    // "[file-as]" followed by the file-as forms suggested for a name.
    void FillFileAsCombo(CComboBox* combo, const char* name) const;
    // Sets the combo's text; an empty text shows "[file-as]".
    void SetFileAsText(CComboBox* combo, const char* text) const;
    // The selected entry's text, else the typed text; "[file-as]" gives "".
    CString GetFileAsText(CComboBox* combo) const;

    const std::unordered_map<std::string, std::string>& RoleMap() const { return m_roles; }

private:
    std::unordered_map<std::string, std::string> m_roles;
    std::vector<std::string> m_names;   // in the order of the list, for a stable look-up by code
};

// The file-as forms suggested for a creator's name, without the "[file-as]" entry:
// "Jane Q. Doe Jr." gives "Doe, Jane Q., Jr." and "Jane Q. Doe, Jr.".
std::vector<CString> SuggestFileAs(const char* name);

// The value of an attribute in an attribute text: the text after the first `name="`
// up to the next double quote; empty when there is none.
CString AttributeValue(const char* attributes, const char* name);

// The attribute text of a creator: role="..." file-as="...", either alone, or "".
CString CreatorAttributes(const char* roleCode, const char* fileAs);

}  // namespace leaf
