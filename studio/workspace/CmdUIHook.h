#pragma once

// CCmdUIHook: idle-time command update of a form's own controls. When the hooked window
// gets the idle command-update message (WM_IDLEUPDATECMDUI, sent to one registered window
// per idle call by the application object) and is visible, one command-update record runs
// for every control of the window that carries an id, in creation order: its command id is
// the control's id and its "other" window the control, routed to the hooked window as
// command target. So the window's update handlers (MapUpdateUI) enable, disable and check
// its buttons; with the disable-if-no-handler flag a control whose id no handler serves is
// disabled. The message then goes on to the window.
//
// The same update also runs each time the window is shown, so that its controls show
// their state from the moment they appear, even while a modal dialog holds the event loop
// and no idle time comes.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/ui/WndHook.h"

class CCmdUIHook : public CWndHook {
public:
    CCmdUIHook();
    ~CCmdUIHook() override;

    // FALSE for a null window or when hooking fails.
    BOOL Install(CWnd* window, BOOL disableIfNoHandler);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnIdleUpdateCmdUI();
    // Runs the update handlers for every control of the window while it is visible.
    void UpdateControls();

private:
    friend class CmdUIShowFilter;
    CWnd* m_window = nullptr;
    BOOL m_disableIfNoHandler = FALSE;
    std::unique_ptr<QObject> m_showFilter;
    QPointer<QWidget> m_showWidget;   // the widget the show filter watches
};
