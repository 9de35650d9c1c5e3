#include "studio/workspace/CmdUIHook.h"

#include <QEvent>
#include <QWidget>
#include <functional>

// Runs the hook's update when its window is shown.
class CmdUIShowFilter : public QObject {
public:
    explicit CmdUIShowFilter(CCmdUIHook* hook) : m_hook(hook) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) m_hook->UpdateControls();
        return QObject::eventFilter(watched, event);
    }

private:
    CCmdUIHook* m_hook;
};

CCmdUIHook::CCmdUIHook() = default;

CCmdUIHook::~CCmdUIHook() {
    if (m_showWidget && m_showFilter) m_showWidget->removeEventFilter(m_showFilter.get());
}

BOOL CCmdUIHook::Install(CWnd* window, BOOL disableIfNoHandler) {
    if (!window) return FALSE;
    m_window = window;
    m_disableIfNoHandler = disableIfNoHandler;
    if (HookWindow(window)) {
        m_showFilter = std::make_unique<CmdUIShowFilter>(this);
        m_showWidget = window->GetWidget();
        m_showWidget->installEventFilter(m_showFilter.get());
        return TRUE;
    }
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
    UpdateControls();
    Default();
}

void CCmdUIHook::UpdateControls() {
    QWidget* form = IsHooked() && m_window ? m_window->GetWidget() : nullptr;
    if (!form || !form->isVisible()) return;
    // Every control with an id, in creation order; Qt layouts nest controls inside group
    // boxes and rows, so the walk goes below the direct children (but not into another
    // dialog).
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
