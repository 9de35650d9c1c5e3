#include "studio/workspace/TourTreeCtrl.h"

#include <QChildEvent>
#include <QCursor>
#include <QLineEdit>
#include <QTreeWidget>
#include <vector>

#include "platform/ui/ListCtrl.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"

using leaf::ui::TreeDragDrop;

namespace {

// Keeps label edits of the tree within the longest label.
class LabelLengthLimit : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ChildPolished)
            if (auto* editor = qobject_cast<QLineEdit*>(static_cast<QChildEvent*>(event)->child()))
                editor->setMaxLength(kMaxLabelLength);
        return false;
    }
};

bool IsDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

}  // namespace

CTourTreeCtrl::CTourTreeCtrl() {
    MapCommand(ID_TREE_DRAGCOPY, &CTourTreeCtrl::OnDragCopy);
    MapCommand(ID_TREE_DRAGMOVE, &CTourTreeCtrl::OnDragMove);
    MapCommand(ID_TREE_DRAGCANCEL, [] {});
}

CTourTreeCtrl::~CTourTreeCtrl() {
    m_pDragImage.reset();
    m_dragDrop.reset();
}

BOOL CTourTreeCtrl::Create(CWnd* parent, UINT id) {
    if (!parent || !parent->GetWidget() || GetWidget()) return FALSE;
    leaf::ui::ResourceNode node;
    node.kind = "tree";
    node.id = static_cast<int>(id);
    node.hasId = true;
    node.flags = {"editlabels", "haslines"};
    QWidget* tree = CTreeCtrl::CreateFromTemplate(node);
    tree->setParent(parent->GetWidget());
    leaf::ui::SetControlId(tree, static_cast<int>(id));
    AttachCreated(tree);
    InstallDragDrop();
    return TRUE;
}

BOOL CTourTreeCtrl::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!CWnd::SubclassDlgItem(id, parent) || !Tree()) return FALSE;
    InstallDragDrop();
    return TRUE;
}

void CTourTreeCtrl::InstallDragDrop() {
    m_dragDrop = std::make_unique<TreeDragDrop>(*this);
    m_labelLimit = std::make_unique<LabelLengthLimit>();
    Tree()->viewport()->installEventFilter(m_labelLimit.get());
}

void CTourTreeCtrl::SetCursors(const QCursor& move, const QCursor& noDrop, const QCursor& copy) {
    m_moveCursor = move;
    m_noDropCursor = noDrop;
    m_copyCursor = copy;
}

QCursor CTourTreeCtrl::CurrentCursor() const { return Tree() ? Tree()->viewport()->cursor() : QCursor(); }

// ---- Items and records ----

int CTourTreeCtrl::GetSiblingIndex(HTREEITEM item) const {
    int index = 0;
    for (HTREEITEM before = GetPrevSiblingItem(item); before; before = GetPrevSiblingItem(before)) ++index;
    return index;
}

namespace {

bool IsWithin(const CTreeCtrl& tree, HTREEITEM item, HTREEITEM ancestor) {
    for (HTREEITEM at = item; at; at = tree.GetParentItem(at))
        if (at == ancestor) return true;
    return false;
}

}  // namespace

HTREEITEM CTourTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent, HTREEITEM after,
                                    BOOL update) {
    if (update && !m_pDocument) return nullptr;
    HTREEITEM item = CTreeCtrl::InsertItem(text, image, selectedImage, parent, after);
    if (!item || !update) return item;
    size_t index = static_cast<size_t>(GetSiblingIndex(item));
    CString itemText(text ? text : "");
    if (parent && parent != TVI_ROOT) {
        if (CLCTour* tour = m_pDocument->GetTour(GetSiblingIndex(parent))) {
            index = std::min(index, tour->m_sites.size());
            tour->m_sites.insert(tour->m_sites.begin() + static_cast<std::ptrdiff_t>(index),
                                 std::make_unique<CLCTourSite>(CString(), itemText));
        }
    } else {
        auto& tours = m_pDocument->m_tours;
        index = std::min(index, tours.size());
        tours.insert(tours.begin() + static_cast<std::ptrdiff_t>(index), std::make_unique<CLCTour>(itemText, CString()));
    }
    m_pDocument->SetModifiedFlag();
    return item;
}

BOOL CTourTreeCtrl::DeleteItem(HTREEITEM item) {
    if (!m_pDocument || !item) return FALSE;
    size_t index = static_cast<size_t>(GetSiblingIndex(item));
    HTREEITEM parent = GetParentItem(item);
    int tourIndex = parent ? GetSiblingIndex(parent) : -1;
    // Nothing of the drag may point at an item that goes.
    if (m_dragDrop && IsWithin(*this, m_dragDrop->GetDropHilightItem(), item)) m_dragDrop->SelectDropTarget(nullptr);
    if (IsWithin(*this, m_hitemDrag, item)) m_hitemDrag = nullptr;
    if (IsWithin(*this, m_hitemDrop, item)) m_hitemDrop = nullptr;
    if (!CTreeCtrl::DeleteItem(item)) return FALSE;
    if (parent) {
        CLCTour* tour = m_pDocument->GetTour(tourIndex);
        if (tour && index < tour->m_sites.size())
            tour->m_sites.erase(tour->m_sites.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
        auto& tours = m_pDocument->m_tours;
        if (index < tours.size()) tours.erase(tours.begin() + static_cast<std::ptrdiff_t>(index));
    }
    m_pDocument->SetModifiedFlag();
    return TRUE;
}

namespace {

// The site record of a site item, or null.
CLCTourSite* SiteOf(const CTourTreeCtrl& tree, CLeafcraftDoc* document, HTREEITEM item) {
    HTREEITEM parent = item ? tree.GetParentItem(item) : nullptr;
    if (!document || !parent) return nullptr;
    CLCTour* tour = document->GetTour(tree.GetSiblingIndex(parent));
    return tour ? tour->GetSite(tree.GetSiblingIndex(item)) : nullptr;
}

}  // namespace

void CTourTreeCtrl::CopyItem(HTREEITEM newParent, HTREEITEM item, HTREEITEM after) {
    int image = 0;
    int selectedImage = 0;
    GetItemImage(item, image, selectedImage);
    HTREEITEM copy = InsertItem(GetItemText(item).GetString(), image, selectedImage, newParent, after, TRUE);
    if (!copy) return;
    // A copied site keeps its title, which its item text does not show.
    CLCTourSite* from = SiteOf(*this, m_pDocument, item);
    CLCTourSite* to = SiteOf(*this, m_pDocument, copy);
    if (from && to) to->m_strTitle = from->m_strTitle;
    CopyChildren(copy, item);
    if (IsExpanded(item)) Expand(copy, TVE_EXPAND);
    SelectItem(copy);
}

void CTourTreeCtrl::CopyChildren(HTREEITEM newParent, HTREEITEM item) {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) children.push_back(child);
    for (HTREEITEM child : children) {
        int image = 0;
        int selectedImage = 0;
        GetItemImage(child, image, selectedImage);
        HTREEITEM copy = InsertItem(GetItemText(child).GetString(), image, selectedImage, newParent, TVI_LAST, TRUE);
        if (!copy) return;
        CLCTourSite* from = SiteOf(*this, m_pDocument, child);
        CLCTourSite* to = SiteOf(*this, m_pDocument, copy);
        if (from && to) to->m_strTitle = from->m_strTitle;
        CopyChildren(copy, child);
    }
}

void CTourTreeCtrl::MoveItem(HTREEITEM newParent, HTREEITEM item, HTREEITEM after) {
    CopyItem(newParent, item, after);
    DeleteItem(item);
}

// ---- Dragging ----

HTREEITEM CTourTreeCtrl::ResolveDropTarget(HTREEITEM item) const {
    HTREEITEM dragged = m_hitemDrag;
    if (!item || !dragged) return nullptr;
    HTREEITEM draggedParent = GetParentItem(dragged);
    if (item == dragged || item == draggedParent || IsWithin(*this, item, dragged)) return nullptr;
    HTREEITEM itemParent = GetParentItem(item);
    bool itemIsSite = itemParent != nullptr;
    bool draggedIsSite = draggedParent != nullptr;
    if (itemIsSite && !draggedIsSite) return itemParent;
    if (itemParent == draggedParent) return draggedIsSite ? nullptr : item;
    if (!itemIsSite && draggedIsSite) return item;
    if (itemIsSite && draggedIsSite) return itemParent;
    return nullptr;
}

HTREEITEM CTourTreeCtrl::UpdateDropTarget(POINT point) {
    m_hitemDrop = m_dragDrop->HitTest(point);
    HTREEITEM target = ResolveDropTarget(m_hitemDrop);
    if (target != m_dragDrop->GetDropHilightItem()) {
        if (m_pDragImage) m_pDragImage->DragShowNolock(FALSE);
        m_dragDrop->SelectDropTarget(target);
        if (m_pDragImage) m_pDragImage->DragShowNolock(TRUE);
    }
    return target;
}

BOOL CTourTreeCtrl::EndDrag() {
    if (!m_bDragging) return FALSE;
    KillTimer(kDragScrollTimer);
    if (m_pDragImage) {
        m_pDragImage->DragLeave();
        m_pDragImage->EndDrag();
    }
    m_dragDrop->ReleaseCapture();
    m_bDragging = FALSE;
    m_dragDrop->SelectDropTarget(nullptr);
    m_pDragImage.reset();
    if (QTreeWidget* tree = Tree()) tree->viewport()->unsetCursor();
    return TRUE;
}

void CTourTreeCtrl::SetDragCursor(const QCursor& cursor) {
    if (QTreeWidget* tree = Tree()) tree->viewport()->setCursor(cursor);
}

LRESULT CTourTreeCtrl::OnBeginDrag(NMTREEVIEW* info) {
    m_hitemDrag = nullptr;
    m_hitemDrop = nullptr;
    HTREEITEM item = info->itemNew.hItem;
    SetFocus();
    SelectItem(item);
    m_pDragImage = m_dragDrop->CreateDragImage(item);
    if (!m_pDragImage) return 0;
    RECT text;
    m_dragDrop->GetItemRect(item, &text, TRUE);
    m_pDragImage->BeginDrag(POINT{info->ptDrag.x - text.left, info->ptDrag.y - text.top});
    m_dragDrop->SetCapture();
    m_pDragImage->DragEnter(Tree()->viewport(), info->ptDrag);
    m_hitemDrag = item;
    m_bDragging = TRUE;
    return 0;
}

BOOL CTourTreeCtrl::OnMouseMove(WPARAM flags, POINT point) {
    if (!m_bDragging) return FALSE;
    m_lastMessagePoint = point;
    KillTimer(kDragScrollTimer);
    if (m_pDragImage) m_pDragImage->DragMove(point);
    HTREEITEM target = UpdateDropTarget(point);
    if (!target) SetDragCursor(m_noDropCursor);
    else SetDragCursor((flags & leaf::ui::MK_CONTROL) ? m_copyCursor : m_moveCursor);
    int height = m_dragDrop->ClientHeight();
    bool nearTop = point.y >= 0 && point.y < m_nScrollMargin;
    bool nearBottom = point.y >= height - m_nScrollMargin && point.y <= height;
    bool collapsedTarget = target && ItemHasChildren(target) && !IsExpanded(target);
    if (nearTop || nearBottom || collapsedTarget) SetTimer(kDragScrollTimer, m_nScrollDelay);
    return TRUE;
}

void CTourTreeCtrl::OnTimer(UINT_PTR id) {
    if (id != kDragScrollTimer || !m_bDragging) {
        CTreeCtrl::OnTimer(id);
        return;
    }
    SetTimer(kDragScrollTimer, m_nScrollInterval);
    POINT point = m_lastMessagePoint;
    HTREEITEM firstBefore = m_dragDrop->GetFirstVisibleItem();
    int height = m_dragDrop->ClientHeight();
    bool nearTop = point.y >= 0 && point.y < m_nScrollMargin;
    bool nearBottom = point.y >= height - m_nScrollMargin && point.y <= height;
    if (nearTop || nearBottom) {
        if (m_pDragImage) m_pDragImage->DragShowNolock(FALSE);
        m_dragDrop->ScrollLine(nearTop);
        if (m_pDragImage) m_pDragImage->DragShowNolock(TRUE);
    }
    if (m_dragDrop->GetFirstVisibleItem() != firstBefore) UpdateDropTarget(point);
    else KillTimer(kDragScrollTimer);
    HTREEITEM under = m_dragDrop->HitTest(point);
    if (under && ItemHasChildren(under) && !IsExpanded(under) && m_hitemDrag && GetParentItem(m_hitemDrag)) {
        Expand(under, TVE_EXPAND);
        KillTimer(kDragScrollTimer);
    }
}

void CTourTreeCtrl::DropOnTarget(bool copy) {
    HTREEITEM target = ResolveDropTarget(m_hitemDrop);
    HTREEITEM dragged = m_hitemDrag;
    if (!target || !dragged) return;
    if (GetParentItem(dragged)) {
        if (copy) CopyItem(target, dragged, TVI_LAST);
        else MoveItem(target, dragged, TVI_LAST);
    } else {
        CopyChildren(target, dragged);
        SelectItem(target);
        if (!copy) DeleteItem(dragged);
    }
    Expand(target, TVE_EXPAND);
}

void CTourTreeCtrl::OnLButtonUp(WPARAM flags, POINT) {
    if (!EndDrag()) return;
    DropOnTarget((flags & leaf::ui::MK_CONTROL) != 0);
}

void CTourTreeCtrl::OnRButtonUp(WPARAM flags, POINT point) {
    if (!m_bDragging) return;
    EndDrag();
    if (ResolveDropTarget(m_hitemDrop)) {
        CMenu menu;
        CMenu* popup = menu.LoadMenu(IDR_CONTEXT_MENUS) ? menu.GetSubMenu(kTreeRightDragMenu) : nullptr;
        if (popup) {
            // The command chosen comes back to the tree (OnDragCopy, OnDragMove). The
            // default item is what a left-button drop would do now.
            popup->SetDefaultItem((flags & leaf::ui::MK_CONTROL) ? ID_TREE_DRAGCOPY : ID_TREE_DRAGMOVE);
            QPoint screen = Tree()->viewport()->mapToGlobal(QPoint(point.x, point.y));
            popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x(), screen.y(), this);
        }
    }
    m_dragDrop->SelectDropTarget(nullptr);
}

void CTourTreeCtrl::OnDragCopy() { DropOnTarget(true); }
void CTourTreeCtrl::OnDragMove() { DropOnTarget(false); }

void CTourTreeCtrl::OnCtrlKeyDown(WORD key, LPARAM flags) {
    if (!m_bDragging || key != VK_CONTROL || (flags & leaf::ui::kKeyRepeatBit)) return;
    if (ResolveDropTarget(m_hitemDrop)) SetDragCursor(m_copyCursor);
}

void CTourTreeCtrl::OnCtrlKeyUp(WORD key) {
    if (!m_bDragging || key != VK_CONTROL) return;
    if (ResolveDropTarget(m_hitemDrop)) SetDragCursor(m_moveCursor);
}

void CTourTreeCtrl::OnKillFocus() { EndDrag(); }

LRESULT CTourTreeCtrl::OnRClick() {
    if (m_bDragging) {
        EndDrag();
        return 1;
    }
    QPoint cursor = QCursor::pos();
    SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetSafeHwnd()),
                MAKELPARAM(static_cast<unsigned>(static_cast<WORD>(cursor.x())), static_cast<unsigned>(static_cast<WORD>(cursor.y()))));
    return 1;
}

// ---- Menus, keys, double clicks ----

void CTourTreeCtrl::SendToMainWindow(UINT command) {
    if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void CTourTreeCtrl::OnContextMenu(POINT screenPoint) {
    if (m_bDragging || !Tree()) return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_CONTEXT_MENUS)) return;
    QWidget* viewport = Tree()->viewport();
    HTREEITEM item = nullptr;
    QPoint at;
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        // From the keyboard: the selected item, else the middle of the tree.
        item = GetSelectedItem();
        RECT rect;
        if (item && (EnsureVisible(item), m_dragDrop->GetItemRect(item, &rect, TRUE)))
            at = viewport->mapToGlobal(QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        else
            at = Tree()->mapToGlobal(Tree()->rect().center());
    } else {
        at = QPoint(screenPoint.x, screenPoint.y);
        QPoint client = viewport->mapFromGlobal(at);
        item = m_dragDrop->HitTest(POINT{client.x(), client.y()});
    }
    int position = kTreeWindowMenu;
    if (item) {
        position = GetParentItem(item) ? kSiteItemMenu : kTourItemMenu;
        SelectItem(item);
    }
    CMenu* popup = menu.GetSubMenu(position);
    CWnd* owner = AfxGetMainWnd();
    if (popup && owner) popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x(), at.y(), owner);
}

LRESULT CTourTreeCtrl::OnKeyDown(NMTVKEYDOWN* key) {
    bool ctrl = IsDown(VK_CONTROL);
    bool shift = IsDown(VK_SHIFT);
    bool alt = IsDown(VK_MENU);
    HTREEITEM selected = GetSelectedItem();
    UINT command = 0;
    switch (key->wVKey) {
        case VK_UP:
            if (ctrl && !shift && !alt) command = ID_TOUR_MOVEUP;
            break;
        case VK_DOWN:
            if (ctrl && !shift && !alt) command = ID_TOUR_MOVEDOWN;
            break;
        case VK_INSERT:
            if (ctrl) command = ID_TOUR_ADD;
            else if (selected) command = ID_SITE_ADD;
            break;
        case VK_DELETE:
            if (!ctrl && !shift && !alt && selected) command = GetParentItem(selected) ? ID_SITE_REMOVE : ID_TOUR_REMOVE;
            break;
        default:
            break;
    }
    if (!command) return 0;
    SendToMainWindow(command);
    return 1;
}

LRESULT CTourTreeCtrl::OnDblClk() {
    HTREEITEM selected = GetSelectedItem();
    if (!selected || !GetParentItem(selected)) return 0;
    SendToMainWindow(ID_SITE_BROWSE);
    return 1;
}

LRESULT CTourTreeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case leaf::ui::WM_REFLECT_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == leaf::ui::TVN_BEGINDRAG || header->code == leaf::ui::TVN_BEGINRDRAG) {
                OnBeginDrag(reinterpret_cast<NMTREEVIEW*>(lParam));
                return 1;
            }
            if (header->code == NM_RCLICK) return OnRClick();
            if (header->code == TVN_KEYDOWN) return OnKeyDown(reinterpret_cast<NMTVKEYDOWN*>(lParam));
            if (header->code == NM_DBLCLK) return OnDblClk();
            if (header->code == NM_KILLFOCUS) OnKillFocus();
            return 0;
        }
        case leaf::ui::WM_MOUSEMOVE:
            if (OnMouseMove(wParam, leaf::ui::PointFromLParam(lParam))) return 0;
            break;
        case leaf::ui::WM_LBUTTONUP:
            CTreeCtrl::WindowProc(message, wParam, lParam);
            OnLButtonUp(wParam, leaf::ui::PointFromLParam(lParam));
            return 0;
        case leaf::ui::WM_RBUTTONUP:
            CTreeCtrl::WindowProc(message, wParam, lParam);
            OnRButtonUp(wParam, leaf::ui::PointFromLParam(lParam));
            return 0;
        case WM_KEYDOWN:
            OnCtrlKeyDown(static_cast<WORD>(wParam), lParam);
            break;
        case leaf::ui::WM_KEYUP:
            OnCtrlKeyUp(static_cast<WORD>(wParam));
            break;
        case WM_CONTEXTMENU:
            OnContextMenu(leaf::ui::PointFromLParam(lParam));
            return 0;
        default:
            break;
    }
    return CTreeCtrl::WindowProc(message, wParam, lParam);
}
