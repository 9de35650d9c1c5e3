#pragma once

// CListBox over QListWidget: strings with item data, single or extended selection, kept
// sorted (case-insensitively) when made with the sort flag. A selection made by a
// person sends LBN_SELCHANGE, a double click LBN_DBLCLK; selections made by code send
// nothing.

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class CListBox : public CWnd {
public:
    int AddString(const char* text);            // sorted lists insert in order; the index
    int InsertString(int index, const char* text);   // index -1 appends
    int DeleteString(int index);                // the remaining count, LB_ERR for a bad index
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);                   // -1 clears; LB_ERR for a bad index
    int GetText(int index, CString& text) const;
    int GetTextLen(int index) const;
    LPARAM GetItemData(int index) const;
    int SetItemData(int index, LPARAM data);
    int FindString(int startAfter, const char* prefix) const;       // case-insensitive prefix
    int FindStringExact(int startAfter, const char* text) const;    // case-insensitive whole text
    int SelectString(int startAfter, const char* prefix);
    int GetSel(int index) const;
    int SetSel(int index, BOOL select = TRUE);  // extended lists; -1 for all
    int GetSelCount() const;
    int GetSelItems(int maxItems, int* items) const;

    // Flags: sort, multi.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};
