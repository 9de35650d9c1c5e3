#pragma once

// CWndHook: behaviour attached to an existing window without deriving from its class.
// A hook is a Qt event filter on the window's widget: it sees the window's messages
// (WM_SIZE from resizes, messages sent or posted to the window) before the window's own
// WindowProc. The hook attached last runs first. A hook passes a message on by calling
// Default(); one that returns without calling it keeps the message from the hooks below
// it and from the window. A hook detaches itself when its window is destroyed
// (WM_NCDESTROY) or the widget dies, and when the hook object dies.

#include <memory>

#include "platform/ui/Wnd.h"

class CWndHook {
public:
    CWndHook();
    virtual ~CWndHook();
    CWndHook(const CWndHook&) = delete;
    CWndHook& operator=(const CWndHook&) = delete;

    // Attaches to a window (null: detaches). FALSE when the window does not exist, the
    // hook is attached already, or (detaching) it is not attached.
    virtual BOOL HookWindow(CWnd* window);
    BOOL IsHooked() const;
    CWnd* GetHookedWindow() const;

protected:
    // The default passes the message on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on to the hooks below and the window.
    LRESULT Default();

private:
    friend class HookFilter;
    bool Filter(QObject* watched, QEvent* event);

    std::unique_ptr<QObject> m_filter;
    QPointer<QWidget> m_widget;
    bool m_passedOn = false;
    bool m_inFilter = false;
};
