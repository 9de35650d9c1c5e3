#include "platform/ui/browser/WebBrowserView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextDocument>
#include <QUrl>

#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"
#include "platform/ui/browser/WebBrowser.h"

namespace leaf::ui {

namespace {

constexpr const char* kViewProperty = "leafWebBrowserView";

bool HasScheme(const std::string& address, std::string_view scheme) {
    return address.size() >= scheme.size() && leaf::EqualsNoCase(std::string_view(address).substr(0, scheme.size()), scheme);
}

// Page bytes as text: UTF-16 after its byte-order mark (FF FE little-endian, FE FF
// big-endian), else UTF-8 (bytes that are not UTF-8 read as Windows-1252).
QString DecodePage(const std::string& bytes) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const bool little = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    const bool big = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    if (little || big) {
        std::u16string units((bytes.size() - 2) / 2, u'\0');
        for (size_t i = 0; i < units.size(); ++i) {
            const unsigned first = byte(2 + 2 * i), second = byte(3 + 2 * i);
            units[i] = static_cast<char16_t>(big ? (first << 8) | second : first | (second << 8));
        }
        return QString::fromStdU16String(units);
    }
    std::string_view text = bytes;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return QString::fromStdU16String(leaf::Utf8ToUtf16(text));
}

}  // namespace

WebBrowserView::WebBrowserView(QWidget* parent, IDocHostUIHandler* host)
    : QTextBrowser(parent), m_host(host), m_automation(new WebBrowserObject(this)) {
    setProperty(kViewProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    setOpenLinks(false);
    setOpenExternalLinks(false);
    DOCHOSTUIINFO info;
    if (m_host && SUCCEEDED(m_host->GetHostInfo(&info)) && (info.dwFlags & DOCHOSTUIFLAG_NO3DBORDER))
        setFrameShape(QFrame::NoFrame);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        // A link in the page is a navigation of its own, which the handlers may cancel.
        leaf::ComPtr<WebBrowserObject> automation = m_automation;
        automation->NavigateTo(ResolveAddress(link.toString().toStdString()));
    });
    ShowAddress("about:blank");
}

WebBrowserView::~WebBrowserView() {
    if (m_document) m_document->Disconnect();
    m_automation->Disconnect();
}

std::string WebBrowserView::AddedStyle() const {
    std::string joined;
    for (const std::string& sheet : m_styleSheets) joined += sheet + "\n";
    return joined;
}

void WebBrowserView::ShowAddress(const std::string& address) {
    std::string html;
    if (!ReadAddress(address, html)) html.clear();
    if (m_document) m_document->Disconnect();
    m_location = address;
    m_html = std::move(html);
    m_styleSheets.clear();
    Render();
    std::string title = document()->metaInformation(QTextDocument::DocumentTitle).toStdString();
    m_document = leaf::ComPtr<HtmlDocumentObject>(new HtmlDocumentObject(this, m_location, title));
}

bool WebBrowserView::ReadAddress(const std::string& address, std::string& content) {
    content.clear();
    if (address.empty() || EqualsNoCase(address, "about:blank")) return true;
    std::string absolute = ResolveAddress(address);
    if (HasScheme(absolute, "res:")) return FindWebResource(absolute, content);
    // Pages are read as files are read: the exact name, else its match without regard to
    // case, and never a FIFO or device, which could block the program or act on a device.
    if (HasScheme(absolute, "file:")) {
        QString local = QUrl(QString::fromStdString(absolute)).toLocalFile();
        return !local.isEmpty() && leaf::ReadFileBytes(local.toStdString(), content);
    }
    if (leaf::path::IsAbsolute(absolute)) return leaf::ReadFileBytes(absolute, content);
    return false;
}

std::string WebBrowserView::ResolveAddress(const std::string& address) const {
    std::string normalised = leaf::path::Normalize(address);
    size_t colon = normalised.find(':');
    size_t slash = normalised.find('/');
    bool hasScheme = colon != std::string::npos && (slash == std::string::npos || colon < slash);
    if (hasScheme || leaf::path::IsAbsolute(normalised)) return normalised;
    if (HasScheme(m_location, "res:") || HasScheme(m_location, "file:")) {
        QUrl base(QString::fromStdString(m_location));
        return base.resolved(QUrl(QString::fromStdString(normalised))).toString().toStdString();
    }
    if (leaf::path::IsAbsolute(m_location))
        return leaf::path::LexicallyNormal(leaf::path::Join(leaf::path::FolderPart(m_location), normalised));
    return normalised;
}

QVariant WebBrowserView::loadResource(int type, const QUrl& name) {
    std::string content;
    if (!ReadAddress(name.toString().toStdString(), content)) return {};
    if (type == QTextDocument::StyleSheetResource || type == QTextDocument::HtmlResource)
        return DecodePage(content);
    return QByteArray(content.data(), static_cast<qsizetype>(content.size()));
}

void WebBrowserView::InsertStyleSheet(const std::string& css, int index) {
    if (index < 0 || static_cast<size_t>(index) > m_styleSheets.size())
        m_styleSheets.push_back(css);
    else
        m_styleSheets.insert(m_styleSheets.begin() + index, css);
    Render();
}

void WebBrowserView::Render() {
    // Added style sheets come before the page's own, which override them.
    document()->setDefaultStyleSheet(QString::fromStdString(AddedStyle()));
    document()->setBaseUrl(QUrl(QString::fromStdString(m_location)));
    setHtml(DecodePage(m_html));
}

void WebBrowserView::contextMenuEvent(QContextMenuEvent* event) {
    if (m_host) {
        POINT point{event->globalPos().x(), event->globalPos().y()};
        if (m_host->ShowContextMenu(0, &point, nullptr, m_document.Get()) == S_OK) {
            event->accept();
            return;
        }
    }
    QTextBrowser::contextMenuEvent(event);
}

void WebBrowserView::mousePressEvent(QMouseEvent* event) {
    // A press starts a selection: the document's onselectstart handler may forbid it, and
    // then the page keeps only its links.
    bool allowed = !m_document || m_document->AllowsSelectStart();
    setTextInteractionFlags(allowed ? Qt::TextBrowserInteraction
                                    : Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QTextBrowser::mousePressEvent(event);
}

void WebBrowserView::mouseMoveEvent(QMouseEvent* event) {
    // Moving with the button held over a selection starts a drag, which ondragstart may
    // forbid.
    if ((event->buttons() & Qt::LeftButton) && textCursor().hasSelection() && m_document &&
        !m_document->AllowsDragStart()) {
        event->accept();
        return;
    }
    QTextBrowser::mouseMoveEvent(event);
}

void WebBrowserView::keyPressEvent(QKeyEvent* event) {
    if (m_host) {
        MSG message;
        message.hwnd = reinterpret_cast<HWND>(static_cast<QWidget*>(this));
        message.message = WM_KEYDOWN;
        message.wParam = static_cast<WPARAM>(event->key());
        if (m_host->TranslateAccelerator(&message, nullptr, 0) == S_OK) {
            event->accept();
            return;
        }
    }
    QTextBrowser::keyPressEvent(event);
}

WebBrowserView* WebBrowserViewOf(QWidget* widget) {
    if (!widget) return nullptr;
    QVariant value = widget->property(kViewProperty);
    return value.isValid() ? reinterpret_cast<WebBrowserView*>(value.value<quintptr>()) : nullptr;
}

}  // namespace leaf::ui
