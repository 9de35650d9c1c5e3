#include "studio/workspace/WebPreview.h"

#include <QBoxLayout>
#include <QLayout>

#include "platform/com/DispatchDriver.h"
#include "platform/ui/browser/WebBrowser.h"
#include "studio/workspace/CancelWebEvent.h"
#include "studio/workspace/HtmlDocument.h"

namespace {

// BeforeNavigate2's last argument (the seventh) is the VARIANT_BOOL reference that
// cancels the navigation.
VARIANT_BOOL* CancelArgument(DISPPARAMS* params) {
    constexpr UINT kCancelIndex = 6;
    if (!params || params->cArgs <= kCancelIndex) return nullptr;
    VARIANT& cancel = params->rgvarg[params->cArgs - 1 - kCancelIndex];
    return cancel.vt == (VT_BYREF | VT_BOOL) ? cancel.pboolVal : nullptr;
}

}  // namespace

BOOL CWebPreview::Create(CWnd* parent, UINT id) {
    m_enabled = FALSE;
    if (!parent) return FALSE;
    QWidget* placeholder = leaf::ui::FindControl(parent->GetWidget(), static_cast<int>(id));
    if (!placeholder) return FALSE;
    QWidget* container = placeholder->parentWidget();
    CWnd* owner = CWnd::FromHandlePermanent(container) ? CWnd::FromHandlePermanent(container) : parent;
    // Ids are looked up from the owner; a placeholder inside a group keeps its place there.
    QRect place = placeholder->geometry();
    RECT rect{place.left(), place.top(), place.right() + 1, place.bottom() + 1};
    if (owner->GetWidget() != container) {
        QPoint topLeft = placeholder->mapTo(owner->GetWidget(), QPoint(0, 0));
        rect = RECT{topLeft.x(), topLeft.y(), topLeft.x() + place.width(), topLeft.y() + place.height()};
    }
    if (!m_web.Create(nullptr, WS_CHILD | WS_VISIBLE, rect, owner, id)) return FALSE;
    QWidget* browser = m_web.GetWidget();
    if (browser->parentWidget() != container) browser->setParent(container);
    browser->setSizePolicy(placeholder->sizePolicy());
    browser->setMinimumSize(placeholder->minimumSize());
    if (QLayout* layout = container->layout()) {
        QLayoutItem* replaced = layout->replaceWidget(placeholder, browser);
        delete replaced;
    } else {
        browser->setGeometry(place);
    }
    browser->show();
    m_web.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    delete placeholder;
    m_enabled = TRUE;
    return TRUE;
}

void CWebPreview::Show(const char* address, BOOL defaultStyle, BOOL redrawOff) {
    if (!m_enabled) return;
    m_permitted = TRUE;
    m_defaultStyle = defaultStyle;
    if (redrawOff) m_web.SetRedraw(FALSE);
    m_web.Navigate(address);
}

BOOL CWebPreview::OnBeforeNavigate2(DISPPARAMS* params) {
    if (!m_permitted) {
        if (VARIANT_BOOL* cancel = CancelArgument(params)) *cancel = VARIANT_TRUE;
    }
    m_permitted = FALSE;
    return TRUE;
}

BOOL CWebPreview::OnNavigateComplete2(DISPPARAMS*) {
    FinishPage(m_defaultStyle);
    return TRUE;
}

void CWebPreview::FinishPage(BOOL defaultStyle) {
    if (defaultStyle) {
        try {
            CHtmlDocument document(m_web.GetDocument());
            if (document) {
                leaf::ComPtr<IDispatch> sheet;
                sheet.Attach(document.CreateStyleSheet(ResourceAddress("ReaderDefault.css").GetString(), 0));
            }
        } catch (const leaf::DispatchError&) {
            // The page keeps its own style only.
        }
    }
    m_web.SetRedraw(TRUE);
    m_web.Invalidate();
    // Selecting text and dragging in the preview do nothing; the document's references
    // keep the handler alive until the page goes.
    try {
        CHtmlDocument document(m_web.GetDocument());
        if (!document) return;
        leaf::Variant handler(CCancelWebEvent::Create().Get());
        document.SetOnSelectStart(handler);
        document.SetOnDragStart(handler);
    } catch (const leaf::DispatchError&) {
        // Text stays selectable.
    }
}

CString CWebPreview::ResourceAddress(const char* name) {
    return CString(leaf::ui::WebResourceAddress(name ? name : "").c_str());
}
