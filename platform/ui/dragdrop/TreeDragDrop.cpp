#include "platform/ui/dragdrop/TreeDragDrop.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>

namespace leaf::ui {

namespace {

constexpr int kDropHighlightRole = Qt::UserRole + 10;

LPARAM PointParam(const QPoint& point) {
    return MAKELPARAM(static_cast<unsigned>(static_cast<WORD>(point.x())), static_cast<unsigned>(static_cast<WORD>(point.y())));
}

WPARAM MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

WORD KeyCode(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Control) return static_cast<WORD>(VK_CONTROL);
    if (key->key() == Qt::Key_Shift) return static_cast<WORD>(VK_SHIFT);
    return VirtualKeyFromQt(key->key());
}

}  // namespace

class TreeDragDrop::Filter : public QObject {
public:
    explicit Filter(TreeDragDrop& owner) : m_owner(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return m_owner.HandleEvent(watched, event); }

private:
    TreeDragDrop& m_owner;
};

// ---- DragImage ----

DragImage::DragImage(const QPixmap& image) : m_image(image) {}

DragImage::~DragImage() { EndDrag(); }

void DragImage::DragEnter(QWidget* window, POINT point) {
    EndDrag();
    if (!window) return;
    m_label = new QLabel(window);
    m_label->setPixmap(m_image);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->resize(m_image.size());
    DragMove(point);
    m_label->show();
}

void DragImage::DragMove(POINT point) {
    if (m_label) m_label->move(point.x - m_hotSpot.x, point.y - m_hotSpot.y);
}

void DragImage::DragShowNolock(BOOL show) {
    if (m_label) m_label->setVisible(show != FALSE);
}

void DragImage::DragLeave() {
    if (m_label) m_label->hide();
}

void DragImage::EndDrag() { delete m_label.data(); }

bool DragImage::IsShown() const { return m_label && m_label->isVisible(); }

QSize DragImage::Size() const { return m_image.size(); }

// ---- TreeDragDrop ----

TreeDragDrop::TreeDragDrop(CTreeCtrl& tree) : m_tree(tree), m_widget(tree.Tree()), m_filter(std::make_unique<Filter>(*this)) {
    if (!m_widget) return;
    m_widget->installEventFilter(m_filter.get());
    m_widget->viewport()->installEventFilter(m_filter.get());
    m_widget->setMouseTracking(true);
}

TreeDragDrop::~TreeDragDrop() {
    SelectDropTarget(nullptr);
    if (m_widget) {
        m_widget->removeEventFilter(m_filter.get());
        m_widget->viewport()->removeEventFilter(m_filter.get());
    }
}

void TreeDragDrop::SetCapture() { m_captured = true; }
void TreeDragDrop::ReleaseCapture() { m_captured = false; }

HTREEITEM TreeDragDrop::HitTest(POINT point) const {
    if (!m_widget) return nullptr;
    return CTreeCtrl::HandleFromItem(m_widget->itemAt(QPoint(point.x, point.y)));
}

BOOL TreeDragDrop::GetItemRect(HTREEITEM item, RECT* rect, BOOL textOnly) const {
    QTreeWidgetItem* node = CTreeCtrl::ItemFromHandle(item);
    if (!m_widget || !node || !rect) return FALSE;
    QRect area = m_widget->visualItemRect(node);
    if (!area.isValid()) return FALSE;
    if (!textOnly) area.setLeft(0);
    *rect = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    return TRUE;
}

BOOL TreeDragDrop::SelectDropTarget(HTREEITEM item) {
    if (!m_widget) return FALSE;
    if (QTreeWidgetItem* old = CTreeCtrl::ItemFromHandle(m_dropTarget)) {
        old->setData(0, kDropHighlightRole, QVariant());
        old->setBackground(0, QBrush());
    }
    m_dropTarget = item;
    if (QTreeWidgetItem* now = CTreeCtrl::ItemFromHandle(item)) {
        now->setData(0, kDropHighlightRole, true);
        now->setBackground(0, m_widget->palette().brush(QPalette::Highlight));
    }
    return TRUE;
}

HTREEITEM TreeDragDrop::GetFirstVisibleItem() const {
    if (!m_widget) return nullptr;
    QTreeWidgetItem* first = m_widget->itemAt(QPoint(1, 1));
    if (!first && m_widget->topLevelItemCount() > 0) first = m_widget->topLevelItem(0);
    return CTreeCtrl::HandleFromItem(first);
}

BOOL TreeDragDrop::ScrollLine(bool up) {
    if (!m_widget) return FALSE;
    QScrollBar* bar = m_widget->verticalScrollBar();
    int before = bar->value();
    bar->triggerAction(up ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    return bar->value() != before;
}

std::unique_ptr<DragImage> TreeDragDrop::CreateDragImage(HTREEITEM item) const {
    RECT rect;
    if (!GetItemRect(item, &rect, TRUE)) return nullptr;
    QPixmap image = m_widget->viewport()->grab(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
    if (image.isNull()) return nullptr;
    return std::make_unique<DragImage>(image);
}

int TreeDragDrop::ClientHeight() const { return m_widget ? m_widget->viewport()->height() : 0; }

LRESULT TreeDragDrop::SendToTree(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_tree.SendMessage(message, wParam, lParam);
}

LRESULT TreeDragDrop::Reflect(NMHDR* header, UINT code) {
    header->hwndFrom = m_tree.GetSafeHwnd();
    header->idFrom = static_cast<UINT_PTR>(m_tree.GetDlgCtrlID());
    header->code = code;
    return SendToTree(WM_REFLECT_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

bool TreeDragDrop::HandleEvent(QObject* watched, QEvent* event) {
    if (!m_widget) return false;
    QPointer<QTreeWidget> alive = m_widget;
    bool onViewport = watched == m_widget->viewport();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            if (!onViewport) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->position().toPoint();
            if (m_captured) return true;
            m_pressButton = mouse->button();
            m_pressPoint = POINT{at.x(), at.y()};
            m_pressItem = (m_pressButton == Qt::LeftButton || m_pressButton == Qt::RightButton) ? HitTest(m_pressPoint) : nullptr;
            m_dragStarted = false;
            return false;
        }
        case QEvent::MouseMove: {
            if (!onViewport) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->position().toPoint();
            if (m_captured) {
                SendToTree(WM_MOUSEMOVE, MouseFlags(mouse->buttons(), mouse->modifiers()), PointParam(at));
                return true;
            }
            if (!m_pressItem || !(mouse->buttons() & m_pressButton) || m_dragStarted) return false;
            if ((at - QPoint(m_pressPoint.x, m_pressPoint.y)).manhattanLength() < QApplication::startDragDistance())
                return true;   // the press may still become a drag: the selection stays
            m_dragStarted = true;
            NMTREEVIEW begin;
            begin.itemNew.hItem = m_pressItem;
            begin.ptDrag = m_pressPoint;
            UINT code = m_pressButton == Qt::LeftButton ? TVN_BEGINDRAG : TVN_BEGINRDRAG;
            if (!Reflect(&begin.hdr, code) && alive) NotifyParent(m_widget, &begin.hdr, code);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (!onViewport) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint at = mouse->position().toPoint();
            bool dragged = m_dragStarted;
            m_pressItem = nullptr;
            m_dragStarted = false;
            if (m_captured) {
                UINT message = mouse->button() == Qt::RightButton ? WM_RBUTTONUP : WM_LBUTTONUP;
                SendToTree(message, MouseFlags(mouse->buttons(), mouse->modifiers()), PointParam(at));
                return true;
            }
            if (mouse->button() == Qt::RightButton && !dragged) {
                // The platform's tree reports a right click when the button comes up.
                NMHDR click;
                if (!Reflect(&click, NM_RCLICK) && alive) NotifyParent(m_widget, &click, NM_RCLICK);
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonDblClick: {
            if (!onViewport) return false;
            NMHDR click;
            return Reflect(&click, NM_DBLCLK) != 0;
        }
        case QEvent::ContextMenu: {
            auto* menu = static_cast<QContextMenuEvent*>(event);
            // Mouse clicks are reported when the right button comes up (above).
            if (menu->reason() == QContextMenuEvent::Mouse) return true;
            if (!CWnd::FromHandlePermanent(m_widget.data())) return false;
            SendToTree(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree.GetSafeHwnd()), MAKELPARAM(0xFFFF, 0xFFFF));
            return true;
        }
        case QEvent::KeyPress: {
            if (onViewport) return false;
            auto* key = static_cast<QKeyEvent*>(event);
            NoteKeyModifiers(key->modifiers());
            WORD code = KeyCode(key);
            if (m_captured) {
                if (code) SendToTree(WM_KEYDOWN, code, key->isAutoRepeat() ? kKeyRepeatBit : 0);
                return true;
            }
            if (!code || code == VK_CONTROL || code == VK_SHIFT) return false;
            NMTVKEYDOWN down;
            down.wVKey = code;
            return Reflect(&down.hdr, TVN_KEYDOWN) != 0;
        }
        case QEvent::KeyRelease: {
            if (onViewport || !m_captured) return false;
            auto* key = static_cast<QKeyEvent*>(event);
            NoteKeyModifiers(key->modifiers());
            if (WORD code = KeyCode(key)) SendToTree(WM_KEYUP, code, 0);
            return true;
        }
        case QEvent::FocusOut: {
            if (onViewport) return false;
            NMHDR lost;
            if (!Reflect(&lost, NM_KILLFOCUS) && alive) NotifyParent(m_widget, &lost, NM_KILLFOCUS);
            return false;
        }
        default:
            return false;
    }
}

}  // namespace leaf::ui
