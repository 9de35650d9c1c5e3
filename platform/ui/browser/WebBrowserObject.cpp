#include "platform/ui/browser/WebBrowserObject.h"

#include "platform/ui/browser/HtmlDocumentObject.h"
#include "platform/ui/browser/WebBrowser.h"
#include "platform/ui/browser/WebBrowserView.h"

namespace leaf::ui {

namespace {

const leaf::DispInterfaceDescription& BrowserInterface() {
    static const leaf::DispInterfaceDescription description{
        "WebBrowser",
        IID_WebBrowser,
        "The web browser",
        {
            {"Navigate",
             DISPID_WEB_NAVIGATE,
             leaf::MemberKind::Method,
             VT_EMPTY,
             {{"URL", VT_BSTR},
              {"Flags", VT_VARIANT, true},
              {"TargetFrameName", VT_VARIANT, true},
              {"PostData", VT_VARIANT, true},
              {"Headers", VT_VARIANT, true}}},
            {"Document", DISPID_WEB_DOCUMENT, leaf::MemberKind::PropertyGet, VT_DISPATCH},
            {"LocationURL", DISPID_WEB_LOCATIONURL, leaf::MemberKind::PropertyGet, VT_BSTR},
        }};
    return description;
}

// A by-reference argument of an event: the handler may change what it points to.
leaf::Variant Reference(VARIANT* target) {
    leaf::Variant reference;
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = target;
    return reference;
}

}  // namespace

WebBrowserObject::WebBrowserObject(WebBrowserView* view) : m_view(view) { AddConnectionPoint(DIID_WebBrowserEvents); }

const leaf::DispatchTable<WebBrowserObject>& WebBrowserObject::GetDispatchTable() {
    static const leaf::DispatchTable<WebBrowserObject> table(
        BrowserInterface(), {{DISPID_WEB_NAVIGATE, leaf::MemberKind::Method, &WebBrowserObject::Navigate},
                             {DISPID_WEB_DOCUMENT, leaf::MemberKind::PropertyGet, &WebBrowserObject::Document},
                             {DISPID_WEB_LOCATIONURL, leaf::MemberKind::PropertyGet, &WebBrowserObject::LocationUrl}});
    return table;
}

leaf::Variant WebBrowserObject::Navigate(const leaf::DispatchArguments& arguments) {
    if (!m_view) throw leaf::AutomationException(E_FAIL, "The browser window is gone.");
    NavigateTo(arguments.Utf8(0));
    return {};
}

leaf::Variant WebBrowserObject::Document(const leaf::DispatchArguments&) {
    HtmlDocumentObject* document = m_view ? m_view->Document() : nullptr;
    return leaf::Variant(static_cast<IDispatch*>(document));
}

leaf::Variant WebBrowserObject::LocationUrl(const leaf::DispatchArguments&) {
    return leaf::Variant(m_view ? m_view->Location() : std::string());
}

bool WebBrowserObject::NavigateTo(const std::string& address) {
    leaf::ComPtr<WebBrowserObject> keepAlive(this);
    IDispatch* self = this;
    leaf::Variant url(address);
    leaf::Variant flags(LONG{0});
    leaf::Variant targetFrame;
    leaf::Variant postData;
    leaf::Variant headers;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    leaf::Variant cancelReference;
    cancelReference.vt = VT_BYREF | VT_BOOL;
    cancelReference.pboolVal = &cancel;
    FireEvent(DIID_WebBrowserEvents, DISPID_BEFORENAVIGATE2, self, Reference(&url), Reference(&flags),
              Reference(&targetFrame), Reference(&postData), Reference(&headers), cancelReference);
    if (cancel != VARIANT_FALSE || !m_view) return false;
    m_view->ShowAddress(address);
    if (!m_view) return true;
    FireEvent(DIID_WebBrowserEvents, DISPID_NAVIGATECOMPLETE2, self, Reference(&url));
    FireEvent(DIID_WebBrowserEvents, DISPID_DOCUMENTCOMPLETE, self, Reference(&url));
    return true;
}

}  // namespace leaf::ui
