#include "platform/ui/shell/Clipboard.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QUrl>
#include <memory>

namespace {

bool g_open = false;
// The list handed out while the clipboard is open.
std::unique_ptr<leaf::ui::DropList> g_list;

QClipboard* SystemClipboard() { return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::clipboard() : nullptr; }

std::vector<std::string> ClipboardFiles() {
    std::vector<std::string> paths;
    QClipboard* clipboard = SystemClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

}  // namespace

BOOL IsClipboardFormatAvailable(UINT format) {
    QClipboard* clipboard = SystemClipboard();
    if (!clipboard) return FALSE;
    switch (format) {
        case CF_HDROP:
            return !ClipboardFiles().empty();
        case CF_TEXT:
        case CF_UNICODETEXT: {
            const QMimeData* data = clipboard->mimeData();
            return data && data->hasText();
        }
        default:
            return FALSE;
    }
}

BOOL OpenClipboard(CWnd*) {
    if (g_open || !SystemClipboard()) return FALSE;
    g_open = true;
    return TRUE;
}

BOOL CloseClipboard() {
    if (!g_open) return FALSE;
    g_open = false;
    g_list.reset();
    return TRUE;
}

namespace leaf::ui {

HDROP GetClipboardFileList() {
    if (!g_open) return nullptr;
    std::vector<std::string> paths = ClipboardFiles();
    if (paths.empty()) return nullptr;
    g_list = std::make_unique<DropList>();
    g_list->paths = std::move(paths);
    return g_list.get();
}

BOOL SetClipboardFileList(const std::vector<std::string>& paths) {
    QClipboard* clipboard = SystemClipboard();
    if (!clipboard) return FALSE;
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& path : paths) urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
    data->setUrls(urls);
    clipboard->setMimeData(data.release());
    return TRUE;
}

}  // namespace leaf::ui
