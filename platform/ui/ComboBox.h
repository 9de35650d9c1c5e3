#pragma once

// CComboBox over QComboBox: a drop-down list (flag droplist) or a drop-down with an edit
// field, kept sorted (case-insensitively) with the sort flag. A choice made by a person
// sends CBN_SELCHANGE; typing into the edit field sends CBN_EDITCHANGE; code sends nothing.

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class CComboBox : public CWnd {
public:
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);                    // -1 clears; CB_ERR for a bad index
    int GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    // The first entry after `startAfter` (wrapping round; -1 from the top) that begins
    // with the prefix, case-insensitively; CB_ERR when none.
    int FindString(int startAfter, const char* prefix) const;
    int FindStringExact(int startAfter, const char* text) const;
    // Selects what FindString finds; the selection stays as it was when nothing matches.
    int SelectString(int startAfter, const char* prefix);
    BOOL LimitText(int maximum);
    // Chooses an entry as a person would (CBN_SELCHANGE follows).
    void ChooseEntry(int index);

    // Flags: droplist, sort; option limit=N for the edit field.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};
