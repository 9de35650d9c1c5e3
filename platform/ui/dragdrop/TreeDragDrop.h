#pragma once

// Tree drag and drop for the layer's CTreeCtrl, with the platform's shape: the helper
// attaches to a tree whose window object handles the drag, and delivers to that window
// object (not to its parent) what the platform's tree control delivers to a tree that
// handles its own notifications:
//   - WM_REFLECT_NOTIFY with an NMTREEVIEW for TVN_BEGINDRAG / TVN_BEGINRDRAG, when the
//     mouse moves past the drag distance with a button held on an item; with an NMHDR for
//     NM_RCLICK (right button released without a drag), NM_DBLCLK and NM_KILLFOCUS; with
//     an NMTVKEYDOWN for TVN_KEYDOWN. A non-zero answer means the tree handled it; else the
//     layer's usual notification of the parent follows.
//   - WM_CONTEXTMENU (lParam -1,-1) for the keyboard's context-menu key.
//   - while the tree holds the capture (SetCapture after a drag began): WM_MOUSEMOVE,
//     WM_LBUTTONUP, WM_RBUTTONUP with MK_* flags and the point in client coordinates, and
//     WM_KEYDOWN / WM_KEYUP (bit 30 of lParam set for an auto-repeated key).
// It also gives the tree operations a drag needs: hit-testing, item rectangles, the drop
// highlight, the first visible item, scrolling by a line, and a drag image.

#include <QPointer>
#include <memory>

#include "platform/ui/ListCtrl.h"
#include "platform/ui/TreeCtrl.h"

class QLabel;
class QTreeWidget;

namespace leaf::ui {

inline constexpr UINT WM_REFLECT_NOTIFY = 0xBC00 + WM_NOTIFY;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT TVN_BEGINDRAG = static_cast<UINT>(-407);
inline constexpr UINT TVN_BEGINRDRAG = static_cast<UINT>(-408);
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr LPARAM kKeyRepeatBit = 1 << 30;

inline POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                 static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)))};
}

// The image of a dragged item, shown beside the cursor inside one window.
class DragImage {
public:
    explicit DragImage(const QPixmap& image);
    ~DragImage();
    DragImage(const DragImage&) = delete;
    DragImage& operator=(const DragImage&) = delete;

    void BeginDrag(POINT hotSpot) { m_hotSpot = hotSpot; }
    // Shows the image in `window` (client coordinates) at the point.
    void DragEnter(QWidget* window, POINT point);
    void DragMove(POINT point);
    void DragShowNolock(BOOL show);
    void DragLeave();
    void EndDrag();
    bool IsShown() const;
    QSize Size() const;

private:
    QPixmap m_image;
    POINT m_hotSpot{};
    QPointer<QLabel> m_label;
};

class TreeDragDrop {
public:
    explicit TreeDragDrop(CTreeCtrl& tree);
    ~TreeDragDrop();
    TreeDragDrop(const TreeDragDrop&) = delete;
    TreeDragDrop& operator=(const TreeDragDrop&) = delete;

    // Mouse capture: while set, mouse and key messages go to the tree's window object.
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const { return m_captured; }

    // The item at a point in client coordinates; null on empty space.
    HTREEITEM HitTest(POINT point) const;
    // The item's rectangle in client coordinates (its text only, or the whole row).
    BOOL GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const;
    // The drop highlight: one item at a time (null removes it).
    BOOL SelectDropTarget(HTREEITEM item);
    HTREEITEM GetDropHilightItem() const { return m_dropTarget; }
    HTREEITEM GetFirstVisibleItem() const;
    // Scrolls one line up or down; FALSE when the tree cannot scroll that way.
    BOOL ScrollLine(bool up);
    // The drag image of an item (null when the item is not on screen).
    std::unique_ptr<DragImage> CreateDragImage(HTREEITEM item) const;

    // The client area's height.
    int ClientHeight() const;

private:
    class Filter;
    bool HandleEvent(QObject* watched, QEvent* event);
    LRESULT SendToTree(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Reflect(NMHDR* header, UINT code);

    CTreeCtrl& m_tree;
    QPointer<QTreeWidget> m_widget;
    std::unique_ptr<Filter> m_filter;
    bool m_captured = false;
    HTREEITEM m_dropTarget = nullptr;
    // A press that may become a drag.
    HTREEITEM m_pressItem = nullptr;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    POINT m_pressPoint{};
    bool m_dragStarted = false;
};

}  // namespace leaf::ui
