#pragma once

// CTreeCtrl over QTreeWidget. An item handle (HTREEITEM) names a QTreeWidgetItem; TVI_ROOT,
// TVI_FIRST, TVI_LAST and TVI_SORT keep their meaning for InsertItem. Selection changes
// send TVN_SELCHANGED; clicks NM_CLICK, NM_DBLCLK, NM_RCLICK; keys TVN_KEYDOWN; label
// editing TVN_BEGINLABELEDIT (non-zero vetoes) and TVN_ENDLABELEDIT (non-zero keeps the
// text; a cancelled edit has a null text).

#include "platform/ui/ImageList.h"
#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class QTreeWidget;
class QTreeWidgetItem;

struct _TREEITEM;
using HTREEITEM = _TREEITEM*;

inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x10000));
inline const HTREEITEM TVI_FIRST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFF));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFE));
inline const HTREEITEM TVI_SORT = reinterpret_cast<HTREEITEM>(static_cast<std::intptr_t>(-0x0FFFD));

inline constexpr UINT TVE_COLLAPSE = 0x0001;
inline constexpr UINT TVE_EXPAND = 0x0002;
inline constexpr UINT TVE_TOGGLE = 0x0003;

struct TVITEM {
    UINT mask = 0;
    HTREEITEM hItem = nullptr;
    UINT state = 0;
    UINT stateMask = 0;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iImage = 0;
    int iSelectedImage = 0;
    int cChildren = 0;
    LPARAM lParam = 0;
};

struct NMTREEVIEW {
    NMHDR hdr;
    UINT action = 0;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};

struct NMTVDISPINFO {
    NMHDR hdr;
    TVITEM item;
};

struct NMTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey = 0;
    UINT flags = 0;
};

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent = TVI_ROOT,
                         HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();
    UINT GetCount() const;

    HTREEITEM GetRootItem() const;
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    BOOL ItemHasChildren(HTREEITEM item) const;

    HTREEITEM GetSelectedItem() const;
    BOOL SelectItem(HTREEITEM item);   // null clears the selection
    BOOL Expand(HTREEITEM item, UINT code);
    BOOL IsExpanded(HTREEITEM item) const;
    BOOL EnsureVisible(HTREEITEM item);

    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, const char* text);
    LPARAM GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, LPARAM data);
    BOOL GetItemImage(HTREEITEM item, int& image, int& selectedImage) const;
    BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);

    QWidget* EditLabel(HTREEITEM item);
    void EndLabelEdit(BOOL keep);

    CImageList* SetImageList(CImageList* list, int which);

    QTreeWidget* Tree() const;
    static QTreeWidgetItem* ItemFromHandle(HTREEITEM item);
    static HTREEITEM HandleFromItem(QTreeWidgetItem* item);

    // Flags: editlabels, haslines (shown as the style's branch lines).
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};
