#pragma once

// The site of a control hosted in a window (CWnd::CreateControl): it owns the control
// object (made by CLSID through the COM runtime), a placeholder child widget that carries
// the control id, and an event sink advised on the control's first connection point. Each
// event the control fires reaches the parent window as OnCmdMsg(control id, CN_EVENT,
// AFX_EVENT*), where the event sink map (CCmdTarget::MapEvent) finds the handler by
// control id and dispatch id. When the hosting window is destroyed the sink is unadvised
// and the control released.

#include <QPointer>
#include <memory>

#include "platform/com/ConnectionPoint.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"
#include "platform/ui/WinDefs.h"

class CWnd;
class QWidget;

namespace leaf::ui {

class ControlEventSink;

class ControlSite {
public:
    ~ControlSite();
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    // Makes the control and its placeholder widget under `parent`; null on failure.
    static std::unique_ptr<ControlSite> Create(REFCLSID clsid, QWidget* parent, UINT id, DWORD style,
                                               HRESULT* error = nullptr);

    QWidget* Widget() const { return m_widget; }
    IUnknown* Unknown() const { return m_unknown; }
    IDispatch* Dispatch() const { return m_dispatch; }
    UINT ControlId() const { return m_id; }
    // Whether an event sink is connected to the control.
    bool IsAdvised() const { return m_cookie != 0; }

    // Delivers an event to the window that owns the placeholder (the parent at creation).
    // TRUE when a handler took it.
    BOOL FireEvent(DISPID dispid, DISPPARAMS* params);

    // Takes the placeholder widget out of Qt's hands (it is about to be deleted by its
    // parent) without deleting it twice.
    void ForgetWidget() { m_widget = nullptr; }

private:
    ControlSite() = default;
    void Disconnect();

    UINT m_id = 0;
    QPointer<QWidget> m_widget;
    IUnknown* m_unknown = nullptr;
    IDispatch* m_dispatch = nullptr;
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
    ControlEventSink* m_sink = nullptr;
};

// Argument `index` (0 = the first, in the event's declared order) of an event, or null
// when the event has fewer arguments.
const VARIANT* EventArgument(const DISPPARAMS* params, UINT index);
// The argument as a number or text (coerced; 0 or "" when missing or not convertible).
LONG EventArgumentLong(const DISPPARAMS* params, UINT index);
CString EventArgumentString(const DISPPARAMS* params, UINT index);

}  // namespace leaf::ui
