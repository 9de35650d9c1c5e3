#include "studio/workspace/WebCtrl.h"

#include <QFrame>
#include <QPointer>

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/DispatchDriver.h"
#include "platform/ui/browser/DocHostUIHandler.h"
#include "platform/ui/browser/OccManager.h"
#include "platform/ui/browser/WebBrowser.h"
#include "studio/workspace/StudioWebPages.h"

namespace {

// Carries the browser's events to the window that created it, by the control id, the
// way the event sink map expects them (CN_EVENT with an AFX_EVENT).
class WebEventSink final : public leaf::ComObject<WebEventSink, IDispatch> {
public:
    WebEventSink(QWidget* owner, UINT id) : m_owner(owner), m_id(id) {}

    HRESULT GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        CWnd* owner = CWnd::FromHandlePermanent(m_owner.data());
        if (!owner) return S_OK;
        AFX_EVENT event;
        event.m_dispid = dispid;
        event.m_pDispParams = params;
        owner->OnCmdMsg(m_id, CN_EVENT, &event, nullptr);
        return S_OK;
    }

private:
    QPointer<QWidget> m_owner;
    UINT m_id;
};

// What one hosted browser keeps beside its window: its container and site, and the
// connection of its events. It lives as a child of the browser's widget and undoes the
// connection when the widget goes.
class WebCtrlHosting final : public QObject {
public:
    WebCtrlHosting(QWidget* browser, CWnd* parent) : QObject(browser), m_container(parent) {}
    ~WebCtrlHosting() override {
        if (m_point && m_cookie) m_point->Unadvise(m_cookie);
    }

    COleControlContainer m_container;
    leaf::ComPtr<IUnknown> m_site;
    leaf::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

}  // namespace

BOOL CWebCtrl::Create(const char*, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    if (!parent || !parent->GetWidget() || GetWidget()) return FALSE;
    RegisterStudioWebPages();

    // The site comes from the container manager in use and answers the browser's host
    // questions.
    auto container = std::make_unique<COleControlContainer>(parent);
    COleControlSite* site = AfxGetOccManager()->CreateSite(container.get());
    if (!site) return FALSE;
    leaf::ComPtr<IUnknown> siteUnknown;
    siteUnknown.Attach(site->GetControllingUnknown());   // the creator's first reference
    leaf::ComPtr<IDocHostUIHandler> host;
    siteUnknown->QueryInterface(IID_IDocHostUIHandler, host.ReceiveVoid());

    QWidget* browser = leaf::ui::CreateWebBrowser(parent->GetWidget(), host.Get());
    if (!browser) return FALSE;
    auto* hosting = new WebCtrlHosting(browser, parent);
    site->m_pCtrlCont = &hosting->m_container;
    hosting->m_site = siteUnknown;

    IDispatch* automation = leaf::ui::WebBrowserDispatch(browser);
    leaf::ComPtr<IConnectionPointContainer> points;
    if (automation && SUCCEEDED(automation->QueryInterface(IID_IConnectionPointContainer, points.ReceiveVoid())) &&
        SUCCEEDED(points->FindConnectionPoint(leaf::ui::DIID_WebBrowserEvents, hosting->m_point.Receive()))) {
        leaf::ComPtr<IDispatch> sink(new WebEventSink(parent->GetWidget(), id));
        if (FAILED(hosting->m_point->Advise(sink.Get(), &hosting->m_cookie))) hosting->m_cookie = 0;
    }

    leaf::ui::SetControlId(browser, static_cast<int>(id));
    browser->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    AttachCreated(browser);
    if (style & WS_VISIBLE) browser->show();
    return TRUE;
}

void CWebCtrl::Navigate(const char* address) {
    IDispatch* automation = leaf::ui::WebBrowserDispatch(GetWidget());
    if (!automation) return;
    leaf::DispatchDriver browser(automation);
    // The optional flags, target frame, post data and headers go empty.
    browser.InvokeHelper(leaf::ui::DISPID_WEB_NAVIGATE, DISPATCH_METHOD,
                         {leaf::Variant(address ? address : ""), leaf::Variant(), leaf::Variant(), leaf::Variant(),
                          leaf::Variant()});
}

IDispatch* CWebCtrl::GetDocument() {
    IDispatch* automation = leaf::ui::WebBrowserDispatch(GetWidget());
    if (!automation) return nullptr;
    leaf::DispatchDriver browser(automation);
    leaf::ComPtr<IDispatch> document = browser.GetProperty(leaf::ui::DISPID_WEB_DOCUMENT).ToDispatch();
    return document.Detach();
}

void CWebCtrl::SetRedraw(BOOL redraw) {
    if (QWidget* widget = GetWidget()) widget->setUpdatesEnabled(redraw != FALSE);
}

void CWebCtrl::ModifyStyleEx(DWORD remove, DWORD add) {
    auto* frame = qobject_cast<QFrame*>(GetWidget());
    if (!frame) return;
    if (add & WS_EX_CLIENTEDGE) {
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
    } else if (remove & WS_EX_CLIENTEDGE) {
        frame->setFrameShape(QFrame::NoFrame);
    }
}
