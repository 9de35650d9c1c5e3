#include "platform/ui/WndHook.h"

#include <QResizeEvent>
#include <QWidget>

using namespace leaf::ui;

class HookFilter : public QObject {
public:
    explicit HookFilter(CWndHook* hook) : m_hook(hook) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return m_hook->Filter(watched, event); }

private:
    CWndHook* m_hook;
};

CWndHook::CWndHook() = default;

CWndHook::~CWndHook() {
    if (m_widget && m_filter) m_widget->removeEventFilter(m_filter.get());
}

BOOL CWndHook::HookWindow(CWnd* window) {
    if (window) {
        QWidget* widget = window->GetWidget();
        if (!widget || m_widget) return FALSE;
        m_filter = std::make_unique<HookFilter>(this);
        m_widget = widget;
        widget->installEventFilter(m_filter.get());
        return TRUE;
    }
    if (!m_widget) {
        m_filter.reset();
        return FALSE;
    }
    m_widget->removeEventFilter(m_filter.get());
    m_widget = nullptr;
    // Inside the filter's own call the object must outlive the call.
    if (m_inFilter) m_filter.release()->deleteLater();
    else m_filter.reset();
    return TRUE;
}

BOOL CWndHook::IsHooked() const { return m_widget != nullptr; }

CWnd* CWndHook::GetHookedWindow() const { return CWnd::FromHandle(m_widget.data()); }

LRESULT CWndHook::WindowProc(UINT, WPARAM, LPARAM) { return Default(); }

LRESULT CWndHook::Default() {
    m_passedOn = true;
    return 0;
}

bool CWndHook::Filter(QObject* watched, QEvent* event) {
    if (watched != m_widget || IsEventConsumed(event)) return false;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    MessageEvent* messageEvent = nullptr;
    if (event->type() == MessageEvent::EventType()) {
        messageEvent = static_cast<MessageEvent*>(event);
        message = messageEvent->message;
        wParam = messageEvent->wParam;
        lParam = messageEvent->lParam;
    } else if (event->type() == QEvent::Resize) {
        auto* resize = static_cast<QResizeEvent*>(event);
        message = WM_SIZE;
        wParam = m_widget->isMinimized() ? SIZE_MINIMIZED : m_widget->isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
        lParam = MAKELPARAM(static_cast<unsigned>(resize->size().width()), static_cast<unsigned>(resize->size().height()));
    } else if (event->type() == QEvent::WindowStateChange && m_widget->isMinimized()) {
        message = WM_SIZE;
        wParam = SIZE_MINIMIZED;
    } else {
        return false;
    }
    bool outerInFilter = m_inFilter;
    m_inFilter = true;
    bool outerPassedOn = m_passedOn;   // a handler may send further messages through this hook
    m_passedOn = false;
    LRESULT result = WindowProc(message, wParam, lParam);
    bool passedOn = m_passedOn;
    m_passedOn = outerPassedOn;
    if (message == WM_NCDESTROY) HookWindow(nullptr);   // the window is going: every hook lets go
    m_inFilter = outerInFilter;
    if (passedOn) return false;
    if (messageEvent) {
        messageEvent->result = result;
        return true;
    }
    // A Qt event still reaches Qt's own handling; only the hooks and window below skip it.
    MarkEventConsumed(event);
    return false;
}
