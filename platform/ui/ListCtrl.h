#pragma once

// CListCtrl: the list view. Report mode is a QTreeView with columns, icon modes a
// QListView; both show one QStandardItemModel (row = item, column = sub-item). Items
// carry data (lParam) and an image index into the control's image lists. Selection
// changes send LVN_ITEMCHANGED; clicks NM_CLICK, NM_DBLCLK, NM_RCLICK; keys LVN_KEYDOWN;
// label editing LVN_BEGINLABELEDIT (a non-zero answer vetoes it) and LVN_ENDLABELEDIT
// (the new text is kept only when the answer is non-zero; a cancelled edit has a null
// text); a click on a column heading LVN_COLUMNCLICK. Activating an item (double click or
// Enter, or a single click with LVS_EX_ONECLICKACTIVATE) sends LVN_ITEMACTIVATE.

#include <QtCore/qnamespace.h>

#include "platform/ui/ImageList.h"
#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class QAbstractItemView;
class QStandardItemModel;

inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVCFMT_RIGHT = 1;
inline constexpr int LVCFMT_CENTER = 2;
inline constexpr UINT LVNI_ALL = 0x0000;
inline constexpr UINT LVNI_FOCUSED = 0x0001;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x00000020;
inline constexpr DWORD LVS_EX_ONECLICKACTIVATE = 0x00000040;

using PFNLVCOMPARE = int (*)(LPARAM, LPARAM, LPARAM);

class CListCtrl : public CWnd {
public:
    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);
    CString GetColumnHeading(int column) const;

    int InsertItem(int index, const char* text, int image = -1);
    int InsertItem(const LVITEM* item);
    BOOL SetItem(const LVITEM* item);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL SetItemText(int item, int subItem, const char* text);
    CString GetItemText(int item, int subItem) const;
    BOOL SetItemData(int item, LPARAM data);
    LPARAM GetItemData(int item) const;
    int GetItemImage(int item) const;
    // The first item whose data is `data`, -1 when none.
    int FindItemData(LPARAM data) const;

    BOOL SetItemState(int item, UINT state, UINT mask);   // item -1: every item
    UINT GetItemState(int item, UINT mask) const;
    int GetNextItem(int start, UINT flags) const;
    UINT GetSelectedCount() const;
    BOOL EnsureVisible(int item, BOOL partialOK);

    // Starts editing the item's label (LVN_BEGINLABELEDIT first). Null editing when vetoed.
    QWidget* EditLabel(int item);
    // Ends a running edit: keeps the typed text (subject to LVN_ENDLABELEDIT) or cancels.
    void EndLabelEdit(BOOL keep);

    // Sorts the items by the comparison of their data; the selection follows its items.
    BOOL SortItems(PFNLVCOMPARE compare, LPARAM data);

    CImageList* SetImageList(CImageList* list, int which);
    CImageList* GetImageList(int which) const;
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const;

    QAbstractItemView* View() const;
    QStandardItemModel* Model() const;

    // Flags: report (default), icon, smallicon, list; editlabels, singlesel,
    // showselalways, nosortheader.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
    // A list view made by code inside `parent` with an id.
    BOOL Create(bool report, bool editLabels, CWnd* parent, UINT id);

private:
    void ApplyImage(int item);
};

// The state of the modifier keys with the last key event the layer saw, as the
// platform's key-state query answers it (high bit set while down).
SHORT GetKeyState(int virtualKey);
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;

namespace leaf::ui {
// The virtual-key code of a Qt key (0 when it has none).
WORD VirtualKeyFromQt(int qtKey);
// Records the modifiers of a key event for GetKeyState.
void NoteKeyModifiers(Qt::KeyboardModifiers modifiers);
}  // namespace leaf::ui
