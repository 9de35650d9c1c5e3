#include "platform/ui/browser/WebBrowser.h"

#include "platform/ui/browser/WebBrowserView.h"

namespace leaf::ui {

QWidget* CreateWebBrowser(QWidget* parent, IDocHostUIHandler* host) {
    auto* view = new WebBrowserView(parent, host);
    view->hide();
    return view;
}

IDispatch* WebBrowserDispatch(QWidget* widget) {
    WebBrowserView* view = WebBrowserViewOf(widget);
    return view ? view->Automation() : nullptr;
}

std::string WebBrowserLocation(QWidget* widget) {
    WebBrowserView* view = WebBrowserViewOf(widget);
    return view ? view->Location() : std::string();
}

std::string WebBrowserPlainText(QWidget* widget) {
    WebBrowserView* view = WebBrowserViewOf(widget);
    return view ? view->toPlainText().toStdString() : std::string();
}

std::string WebBrowserAddedStyle(QWidget* widget) {
    WebBrowserView* view = WebBrowserViewOf(widget);
    return view ? view->AddedStyle() : std::string();
}

}  // namespace leaf::ui
