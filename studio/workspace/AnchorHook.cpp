#include "studio/workspace/AnchorHook.h"

#include <QLayout>
#include <QWidget>

namespace {

// Whether the layout places the widget, itself or through one of the rows and columns
// nested in it.
bool PlacesWidget(QLayout* layout, const QWidget* widget) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (!item) continue;
        if (item->widget() == widget) return true;
        if (QLayout* inner = item->layout(); inner && PlacesWidget(inner, widget)) return true;
    }
    return false;
}

}  // namespace

BOOL CAnchorHook::Install(CWnd* parent, const SIZE* initialSize) {
    if (!parent || !parent->GetWidget()) return FALSE;
    m_parent = parent;
    if (!HookWindow(parent)) {
        m_parent = nullptr;
        return FALSE;
    }
    m_lastSize = initialSize ? *initialSize : GetClientSize();
    return TRUE;
}

void CAnchorHook::SetAnchor(UINT controlId, WORD flags) { m_anchors[controlId] = flags; }

WORD CAnchorHook::GetAnchor(UINT controlId) const {
    auto it = m_anchors.find(controlId);
    return it == m_anchors.end() ? 0 : it->second;
}

LRESULT CAnchorHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<WPARAM>(lParam)), HIWORD(static_cast<WPARAM>(lParam)));
        return 0;
    }
    return CWndHook::WindowProc(message, wParam, lParam);
}

SIZE CAnchorHook::GetClientSize() const {
    SIZE size;
    if (!m_parent) return size;
    RECT client;
    m_parent->GetClientRect(&client);
    size.cx = client.right - client.left;
    size.cy = client.bottom - client.top;
    return size;
}

void CAnchorHook::OnSize(UINT type, int, int) {
    // A minimised window keeps its children where they are; the change is measured from
    // the last normal size once it is restored.
    if (type == SIZE_MINIMIZED || !m_parent) return;
    QWidget* parent = m_parent->GetWidget();
    SIZE size = GetClientSize();
    bool recorded = m_lastSize.cx != 0 || m_lastSize.cy != 0;
    if (parent && recorded && (size.cx != m_lastSize.cx || size.cy != m_lastSize.cy)) {
        const int dx = size.cx - m_lastSize.cx;
        const int dy = size.cy - m_lastSize.cy;
        QLayout* layout = parent->layout();
        for (QObject* object : parent->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow()) continue;
            // A child placed by the parent's layout, at any depth of its rows and columns,
            // follows the layout, not the anchors: the layout has placed it for the new
            // size already, and moving it again would put it off by dx, dy.
            if (layout && PlacesWidget(layout, child)) continue;
            WORD flags = GetAnchor(static_cast<UINT>(leaf::ui::ControlId(child)));
            QRect r = child->geometry();
            int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
            if (flags & ANCHOR_LEFT) left += dx;
            if (flags & ANCHOR_RIGHT) right += dx;
            if (flags & ANCHOR_TOP) top += dy;
            if (flags & ANCHOR_BOTTOM) bottom += dy;
            CWnd::FromHandle(child)->MoveWindow(left, top, right - left, bottom - top, TRUE);
        }
    }
    m_lastSize = size;
    Default();
}
