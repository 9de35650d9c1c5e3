#pragma once

// The window of the browser stand-in: a QTextBrowser that shows one page at a time with
// the style sheets its document was given, asks its host (IDocHostUIHandler) about the
// context menu, its border and keys, and asks the document's handlers before a
// selection or a drag starts.

#include <QPointer>
#include <QTextBrowser>
#include <string>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/ui/browser/DocHostUIHandler.h"
#include "platform/ui/browser/HtmlDocumentObject.h"
#include "platform/ui/browser/WebBrowserObject.h"

namespace leaf::ui {

class WebBrowserView final : public QTextBrowser, private HtmlDocumentHost {
public:
    WebBrowserView(QWidget* parent, IDocHostUIHandler* host);
    ~WebBrowserView() override;

    WebBrowserObject* Automation() const { return m_automation.Get(); }
    HtmlDocumentObject* Document() const { return m_document.Get(); }
    const std::string& Location() const { return m_location; }
    std::string AddedStyle() const;

    // Shows the page at the address (an empty page when it cannot be read) with a new
    // document object; style sheets added to the previous page go.
    void ShowAddress(const std::string& address);

    // Reads a page or style sheet: res:, file: and absolute paths, relative to the page
    // shown for other addresses without a scheme.
    bool ReadAddress(const std::string& address, std::string& content) override;
    // The absolute form of an address met in the page shown.
    std::string ResolveAddress(const std::string& address) const;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertStyleSheet(const std::string& css, int index) override;
    void Render();

    leaf::ComPtr<IDocHostUIHandler> m_host;
    leaf::ComPtr<WebBrowserObject> m_automation;
    leaf::ComPtr<HtmlDocumentObject> m_document;
    std::string m_location;
    std::string m_html;
    std::vector<std::string> m_styleSheets;
};

// The view of a browser widget, or null.
WebBrowserView* WebBrowserViewOf(QWidget* widget);

}  // namespace leaf::ui
