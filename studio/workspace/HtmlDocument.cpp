#include "studio/workspace/HtmlDocument.h"

#include "platform/ui/browser/WebBrowser.h"

CHtmlDocument::CHtmlDocument(IDispatch* document) {
    leaf::ComPtr<IDispatch> adopted;
    adopted.Attach(document);
    AttachDispatch(adopted.Get());
}

IDispatch* CHtmlDocument::CreateStyleSheet(const char* address, LONG index) {
    leaf::Variant sheet = InvokeHelper(leaf::ui::DISPID_DOC_CREATESTYLESHEET, DISPATCH_METHOD,
                                       {leaf::Variant(address ? address : ""), leaf::Variant(index)});
    return sheet.ToDispatch().Detach();
}

void CHtmlDocument::SetOnDragStart(const VARIANT& handler) {
    SetProperty(leaf::ui::DISPID_DOC_ONDRAGSTART, leaf::Variant(handler));
}

void CHtmlDocument::SetOnSelectStart(const VARIANT& handler) {
    SetProperty(leaf::ui::DISPID_DOC_ONSELECTSTART, leaf::Variant(handler));
}
