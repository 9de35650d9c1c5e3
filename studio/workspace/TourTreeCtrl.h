#pragma once

// CTourTreeCtrl: the tree that edits the project's navigation tours. Top-level item i is
// the document's tour i, child j of it the tour's site j; every insert, copy, move and
// delete through the editor changes the document's records the same way, so positions
// among siblings stay equal to array indices. Tours and sites are dragged with the left
// button (Ctrl copies, else moves) or the right one (a Copy/Move/Cancel menu at the drop),
// with auto-scroll near the edges and auto-expansion of collapsed tours. Keys, double
// clicks and context menus become the tour commands of the main window (1116-1123), which
// the host view carries out.
//
// The host creates the tree (Create, or SubclassDlgItem over a template control), gives it
// the document, fills it from the document, and sets the scroll timing and the cursors.

#include <QCursor>
#include <memory>

#include "platform/ui/TreeCtrl.h"
#include "platform/ui/dragdrop/TreeDragDrop.h"

class CLeafcraftDoc;

// Commands of the tour editor.
inline constexpr UINT ID_TOUR_ADD = 1116;
inline constexpr UINT ID_TOUR_REMOVE = 1117;
inline constexpr UINT ID_TOUR_MOVEUP = 1118;
inline constexpr UINT ID_TOUR_MOVEDOWN = 1119;
inline constexpr UINT ID_TOUR_DEFAULT = 1120;
inline constexpr UINT ID_SITE_ADD = 1121;
inline constexpr UINT ID_SITE_REMOVE = 1122;
inline constexpr UINT ID_SITE_BROWSE = 1123;
inline constexpr UINT ID_TREE_RENAME = 14000;
inline constexpr UINT ID_TREE_DRAGCOPY = 14001;
inline constexpr UINT ID_TREE_DRAGMOVE = 14002;
inline constexpr UINT ID_TREE_DRAGCANCEL = 14003;
// The context menus: menu 120 and its sub-menus.
inline constexpr UINT IDR_CONTEXT_MENUS = 120;
inline constexpr int kTourItemMenu = 4;
inline constexpr int kSiteItemMenu = 5;
inline constexpr int kTreeWindowMenu = 6;
inline constexpr int kTreeRightDragMenu = 7;
// The drag timer and the longest label.
inline constexpr UINT_PTR kDragScrollTimer = 2000;
inline constexpr int kMaxLabelLength = 300;

class CTourTreeCtrl : public CTreeCtrl {
public:
    CTourTreeCtrl();
    ~CTourTreeCtrl() override;

    // Makes the tree as a child of `parent` with that id, or takes over the tree control
    // of a template.
    BOOL Create(CWnd* parent, UINT id);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    void SetDocument(CLeafcraftDoc* document) { m_pDocument = document; }
    CLeafcraftDoc* GetDocument() const { return m_pDocument; }
    void SetScrollDelay(UINT milliseconds) { m_nScrollDelay = milliseconds; }
    void SetScrollMargin(int pixels) { m_nScrollMargin = pixels; }
    void SetScrollInterval(UINT milliseconds) { m_nScrollInterval = milliseconds; }
    void SetCursors(const QCursor& move, const QCursor& noDrop, const QCursor& copy);

    // Inserts an item; with `update` also the record at its place (a site under a tour,
    // else a tour) and marks the document modified. With `update` and no document: null.
    HTREEITEM InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after,
                         BOOL update);
    // Deletes the item and its record (a tour with all its sites). No document: FALSE.
    BOOL DeleteItem(HTREEITEM item);
    // Copies an item (with its record and children) below `newParent`, expanded as the
    // item was, and selects the copy.
    void CopyItem(HTREEITEM newParent, HTREEITEM item, HTREEITEM after);
    // Copies the children of `item`, in order, to the end of `newParent`, recursively.
    void CopyChildren(HTREEITEM newParent, HTREEITEM item);
    // CopyItem, then DeleteItem of the item.
    void MoveItem(HTREEITEM newParent, HTREEITEM item, HTREEITEM after);
    // The number of siblings before the item.
    int GetSiblingIndex(HTREEITEM item) const;
    // The tour a drop on `item` goes to; null when the drop is refused.
    HTREEITEM ResolveDropTarget(HTREEITEM item) const;
    // Hit-tests the point, and moves the drop highlight to the resolved target when it
    // changed. Returns the resolved target.
    HTREEITEM UpdateDropTarget(POINT point);
    // Ends a running drag (FALSE when none runs).
    BOOL EndDrag();

    BOOL IsDragging() const { return m_bDragging; }
    HTREEITEM GetDragItem() const { return m_hitemDrag; }
    leaf::ui::TreeDragDrop* DragDrop() const { return m_dragDrop.get(); }
    // The cursor shown over the tree.
    QCursor CurrentCursor() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;

    // Handlers (the tree's own notifications and messages).
    LRESULT OnBeginDrag(NMTREEVIEW* info);
    LRESULT OnRClick();
    LRESULT OnKeyDown(NMTVKEYDOWN* key);
    LRESULT OnDblClk();
    void OnKillFocus();
    void OnContextMenu(POINT screenPoint);
    BOOL OnMouseMove(WPARAM flags, POINT point);
    void OnLButtonUp(WPARAM flags, POINT point);
    void OnRButtonUp(WPARAM flags, POINT point);
    void OnCtrlKeyDown(WORD key, LPARAM flags);
    void OnCtrlKeyUp(WORD key);
    void OnDragCopy();
    void OnDragMove();

private:
    void InstallDragDrop();
    // A drop of the dragged item on the current target: copy (Ctrl) or move.
    void DropOnTarget(bool copy);
    void SetDragCursor(const QCursor& cursor);
    // Sends a command to the main window.
    static void SendToMainWindow(UINT command);

    CLeafcraftDoc* m_pDocument = nullptr;
    std::unique_ptr<leaf::ui::DragImage> m_pDragImage;
    HTREEITEM m_hitemDrag = nullptr;
    HTREEITEM m_hitemDrop = nullptr;
    UINT m_nScrollDelay = 300;
    int m_nScrollMargin = 10;
    UINT m_nScrollInterval = 100;
    BOOL m_bDragging = FALSE;
    QCursor m_moveCursor{Qt::DragMoveCursor};
    QCursor m_noDropCursor{Qt::ForbiddenCursor};
    QCursor m_copyCursor{Qt::DragCopyCursor};

    // Where the last mouse message of the drag was, for the scroll timer.
    POINT m_lastMessagePoint{};
    std::unique_ptr<leaf::ui::TreeDragDrop> m_dragDrop;
    std::unique_ptr<QObject> m_labelLimit;
};
