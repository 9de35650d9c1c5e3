#include "studio/workspace/CmdUIHook.h"

#include <QWidget>
#include <functional>

BOOL CCmdUIHook::Install(CWnd* window, BOOL disableIfNoHandler) {
    if (!window) return FALSE;
    m_window = window;
    m_disableIfNoHandler = disableIfNoHandler;
    if (HookWindow(window)) return TRUE;
    m_window = nullptr;
    return FALSE;
}

LRESULT CCmdUIHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_IDLEUPDATECMDUI) {
        OnIdleUpdateCmdUI();
        return 0;
    }
    return CWndHook::WindowProc(message, wParam, lParam);
}

void CCmdUIHook::OnIdleUpdateCmdUI() {
    QWidget* form = m_window ? m_window->GetWidget() : nullptr;
    if (form && form->isVisible()) {
        // Every control with an id, in creation order; Qt layouts nest controls inside
        // group boxes and rows, so the walk goes below the direct children (but not into
        // another dialog).
        std::function<void(QWidget*)> visit = [&](QWidget* parent) {
            for (QObject* object : parent->children()) {
                auto* child = qobject_cast<QWidget*>(object);
                if (!child || child->isWindow()) continue;
                if (child->property("leafId").isValid()) {
                    CCmdUI update;
                    update.m_nID = static_cast<UINT>(leaf::ui::ControlId(child));
                    update.m_pOther = CWnd::FromHandle(child);
                    update.DoUpdate(m_window, m_disableIfNoHandler);
                }
                if (!child->property("leafDialogRoot").toBool()) visit(child);
            }
        };
        visit(form);
    }
    Default();
}
