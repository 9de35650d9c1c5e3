#include "platform/ui/ControlSite.h"

#include <QWidget>

#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/ui/Wnd.h"

namespace leaf::ui {

// The event sink advised on the control: every event it receives goes to its site. The
// site lets go of it (Detach) before it goes, so a control that keeps a reference a
// little longer reaches nothing.
class ControlEventSink final : public leaf::ComObject<ControlEventSink, IDispatch> {
public:
    explicit ControlEventSink(ControlSite* site) : m_site(site) {}
    void Detach() { m_site = nullptr; }

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
        if (typeInfo) *typeInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        if (result) VariantClear(result);
        if (m_site) m_site->FireEvent(dispid, params);
        return S_OK;
    }

private:
    ControlSite* m_site;
};

std::unique_ptr<ControlSite> ControlSite::Create(REFCLSID clsid, QWidget* parent, UINT id, DWORD style,
                                                 HRESULT* error) {
    if (error) *error = S_OK;
    if (!parent) {
        if (error) *error = E_INVALIDARG;
        return nullptr;
    }
    IUnknown* unknown = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (FAILED(hr) || !unknown) {
        if (error) *error = FAILED(hr) ? hr : E_FAIL;
        return nullptr;
    }
    std::unique_ptr<ControlSite> site(new ControlSite);
    site->m_id = id;
    site->m_unknown = unknown;
    unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&site->m_dispatch));

    // Events: the control's first connection point (its event dispatch interface).
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(unknown->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) &&
        container) {
        IEnumConnectionPoints* points = nullptr;
        if (SUCCEEDED(container->EnumConnectionPoints(&points)) && points) {
            IConnectionPoint* point = nullptr;
            ULONG fetched = 0;
            if (points->Next(1, &point, &fetched) == S_OK && fetched == 1 && point) {
                auto* sink = new ControlEventSink(site.get());
                sink->AddRef();
                DWORD cookie = 0;
                if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(sink), &cookie)) && cookie) {
                    site->m_point = point;
                    site->m_cookie = cookie;
                    site->m_sink = sink;
                } else {
                    sink->Detach();
                    sink->Release();
                    point->Release();
                }
            }
            points->Release();
        }
        container->Release();
    }

    // The window that stands for the control among its parent's children: it carries the
    // control id; the control itself draws nothing here.
    auto* widget = new QWidget(parent);
    widget->setObjectName(QStringLiteral("leafHostedControl"));
    SetControlId(widget, static_cast<int>(id));
    widget->setVisible((style & WS_VISIBLE) != 0);
    site->m_widget = widget;
    return site;
}

ControlSite::~ControlSite() {
    Disconnect();
    if (m_dispatch) m_dispatch->Release();
    if (m_unknown) m_unknown->Release();
}

void ControlSite::Disconnect() {
    if (m_point) {
        m_point->Unadvise(m_cookie);
        m_point->Release();
        m_point = nullptr;
    }
    m_cookie = 0;
    if (m_sink) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
}

BOOL ControlSite::FireEvent(DISPID dispid, DISPPARAMS* params) {
    QWidget* widget = m_widget;
    if (!widget) return FALSE;
    // The window that hosts the control: the placeholder's owner.
    QWidget* owner = widget->parentWidget();
    while (owner && !CWnd::FromHandlePermanent(owner)) owner = owner->parentWidget();
    CWnd* target = owner ? CWnd::FromHandlePermanent(owner) : nullptr;
    if (!target) return FALSE;
    AFX_EVENT event;
    event.m_dispid = dispid;
    event.m_pDispParams = params;
    target->OnCmdMsg(m_id, CN_EVENT, &event);
    return event.m_bHandled;
}

const VARIANT* EventArgument(const DISPPARAMS* params, UINT index) {
    if (!params || !params->rgvarg || index >= params->cArgs) return nullptr;
    // rgvarg holds the arguments last first.
    return &params->rgvarg[params->cArgs - 1 - index];
}

LONG EventArgumentLong(const DISPPARAMS* params, UINT index) {
    const VARIANT* argument = EventArgument(params, index);
    if (!argument) return 0;
    leaf::Variant value;
    if (FAILED(VariantChangeType(&value, argument, 0, VT_I4))) return 0;
    return value.lVal;
}

CString EventArgumentString(const DISPPARAMS* params, UINT index) {
    const VARIANT* argument = EventArgument(params, index);
    if (!argument) return {};
    leaf::Variant value;
    if (FAILED(VariantChangeType(&value, argument, 0, VT_BSTR)) || !value.bstrVal) return {};
    BSTR text = value.bstrVal;
    return CString(leaf::Bstr::Attach(SysAllocStringLen(text, SysStringLen(text))).ToUtf8());
}

}  // namespace leaf::ui
