#include "studio/workspace/MinMaxHook.h"

#include <QWidget>

BOOL CMinMaxHook::Install(CWnd* window, const SIZE* minimum, const SIZE* maximum) {
    if (!window) return FALSE;
    m_window = window;
    if (!HookWindow(window)) {
        m_window = nullptr;
        return FALSE;
    }
    RECT outer;
    window->GetWindowRect(&outer);
    auto resolve = [&outer](const SIZE* given) {
        SIZE size{kNone, kNone};
        if (!given) return size;
        if (given->cx == -1 && given->cy == -1) {
            size.cx = outer.right - outer.left;
            size.cy = outer.bottom - outer.top;
            return size;
        }
        return *given;
    };
    m_minimum = resolve(minimum);
    m_maximum = resolve(maximum);
    ApplyTrackingSizes();
    return TRUE;
}

void CMinMaxHook::ApplyTrackingSizes() {
    QWidget* widget = m_window ? m_window->GetWidget() : nullptr;
    if (!widget) return;
    MINMAXINFO info;
    info.ptMinTrackSize = {widget->minimumWidth(), widget->minimumHeight()};
    info.ptMaxTrackSize = {widget->maximumWidth(), widget->maximumHeight()};
    m_window->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    widget->setMinimumSize(std::max<LONG>(0, info.ptMinTrackSize.x), std::max<LONG>(0, info.ptMinTrackSize.y));
    widget->setMaximumSize(std::min<LONG>(QWIDGETSIZE_MAX, info.ptMaxTrackSize.x),
                           std::min<LONG>(QWIDGETSIZE_MAX, info.ptMaxTrackSize.y));
}

LRESULT CMinMaxHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    }
    return CWndHook::WindowProc(message, wParam, lParam);
}

void CMinMaxHook::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (info) {
        if (m_minimum.cx != kNone || m_minimum.cy != kNone) info->ptMinTrackSize = {m_minimum.cx, m_minimum.cy};
        if (m_maximum.cx != kNone || m_maximum.cy != kNone) info->ptMaxTrackSize = {m_maximum.cx, m_maximum.cy};
    }
    // The window's own handling may still change the record.
    Default();
}
