#include "platform/ui/browser/HtmlDocumentObject.h"

#include "platform/com/DispatchDriver.h"
#include "platform/ui/browser/WebBrowser.h"

namespace leaf::ui {

namespace {

const leaf::DispInterfaceDescription& DocumentInterface() {
    static const leaf::DispInterfaceDescription description{
        "HtmlDocument",
        IID_HtmlDocument,
        "The HTML document a browser shows",
        {
            {"title", DISPID_DOC_TITLE, leaf::MemberKind::PropertyGet, VT_BSTR},
            {"URL", DISPID_DOC_URL, leaf::MemberKind::PropertyGet, VT_BSTR},
            {"createStyleSheet",
             DISPID_DOC_CREATESTYLESHEET,
             leaf::MemberKind::Method,
             VT_DISPATCH,
             {{"bstrHref", VT_BSTR, true}, {"lIndex", VT_I4, true}}},
            {"ondragstart", DISPID_DOC_ONDRAGSTART, leaf::MemberKind::PropertyGet, VT_VARIANT},
            {"ondragstart", DISPID_DOC_ONDRAGSTART, leaf::MemberKind::PropertyPut, VT_EMPTY, {{"p", VT_VARIANT}}},
            {"onselectstart", DISPID_DOC_ONSELECTSTART, leaf::MemberKind::PropertyGet, VT_VARIANT},
            {"onselectstart", DISPID_DOC_ONSELECTSTART, leaf::MemberKind::PropertyPut, VT_EMPTY, {{"p", VT_VARIANT}}},
        }};
    return description;
}

const leaf::DispInterfaceDescription& StyleSheetInterface() {
    static const leaf::DispInterfaceDescription description{
        "HtmlStyleSheet",
        IID_HtmlStyleSheet,
        "A style sheet of a document",
        {
            {"href", DISPID_STYLESHEET_HREF, leaf::MemberKind::PropertyGet, VT_BSTR},
            {"cssText", DISPID_STYLESHEET_CSSTEXT, leaf::MemberKind::PropertyGet, VT_BSTR},
        }};
    return description;
}

}  // namespace

HtmlDocumentObject::HtmlDocumentObject(HtmlDocumentHost* host, std::string address, std::string title)
    : m_host(host), m_address(std::move(address)), m_title(std::move(title)) {}

const leaf::DispatchTable<HtmlDocumentObject>& HtmlDocumentObject::GetDispatchTable() {
    static const leaf::DispatchTable<HtmlDocumentObject> table(
        DocumentInterface(),
        {{DISPID_DOC_TITLE, leaf::MemberKind::PropertyGet, &HtmlDocumentObject::Title},
         {DISPID_DOC_URL, leaf::MemberKind::PropertyGet, &HtmlDocumentObject::Url},
         {DISPID_DOC_CREATESTYLESHEET, leaf::MemberKind::Method, &HtmlDocumentObject::CreateStyleSheet},
         {DISPID_DOC_ONDRAGSTART, leaf::MemberKind::PropertyGet, &HtmlDocumentObject::GetOnDragStart},
         {DISPID_DOC_ONDRAGSTART, leaf::MemberKind::PropertyPut, &HtmlDocumentObject::PutOnDragStart},
         {DISPID_DOC_ONSELECTSTART, leaf::MemberKind::PropertyGet, &HtmlDocumentObject::GetOnSelectStart},
         {DISPID_DOC_ONSELECTSTART, leaf::MemberKind::PropertyPut, &HtmlDocumentObject::PutOnSelectStart}});
    return table;
}

leaf::Variant HtmlDocumentObject::Title(const leaf::DispatchArguments&) { return leaf::Variant(m_title); }
leaf::Variant HtmlDocumentObject::Url(const leaf::DispatchArguments&) { return leaf::Variant(m_address); }

leaf::Variant HtmlDocumentObject::CreateStyleSheet(const leaf::DispatchArguments& arguments) {
    if (!m_host) throw leaf::AutomationException(E_FAIL, "The document is no longer shown.");
    std::string address = arguments.IsMissing(0) ? std::string() : arguments.Utf8(0);
    LONG index = arguments.IsMissing(1) ? -1 : arguments.Long(1);
    std::string css;
    if (!address.empty() && !m_host->ReadAddress(address, css))
        throw leaf::AutomationException(E_INVALIDARG, "The style sheet \"" + address + "\" cannot be read.");
    m_host->InsertStyleSheet(css, index);
    leaf::ComPtr<IDispatch> sheet(new StyleSheetObject(address, css));
    return leaf::Variant(sheet.Get());
}

leaf::Variant HtmlDocumentObject::GetOnDragStart(const leaf::DispatchArguments&) { return m_onDragStart; }
leaf::Variant HtmlDocumentObject::PutOnDragStart(const leaf::DispatchArguments& arguments) {
    m_onDragStart = arguments[0];
    return {};
}
leaf::Variant HtmlDocumentObject::GetOnSelectStart(const leaf::DispatchArguments&) { return m_onSelectStart; }
leaf::Variant HtmlDocumentObject::PutOnSelectStart(const leaf::DispatchArguments& arguments) {
    m_onSelectStart = arguments[0];
    return {};
}

bool HtmlDocumentObject::Allows(const leaf::Variant& handler) {
    leaf::ComPtr<IDispatch> object = handler.ToDispatch();
    if (!object) return true;
    leaf::DispatchDriver driver(object);
    leaf::DispatchResult answer = driver.TryInvoke(DISPID_VALUE, DISPATCH_METHOD, {});
    if (FAILED(answer.hr)) return true;
    return answer.value.ToBool(true);
}

const leaf::DispatchTable<StyleSheetObject>& StyleSheetObject::GetDispatchTable() {
    static const leaf::DispatchTable<StyleSheetObject> table(
        StyleSheetInterface(), {{DISPID_STYLESHEET_HREF, leaf::MemberKind::PropertyGet, &StyleSheetObject::Href},
                                {DISPID_STYLESHEET_CSSTEXT, leaf::MemberKind::PropertyGet, &StyleSheetObject::CssText}});
    return table;
}

}  // namespace leaf::ui
