#include "platform/ui/shell/PathCompaction.h"

#include <QWidget>

#include "platform/ui/Wnd.h"

namespace leaf::ui {

namespace {

constexpr const char* kEllipsis = "...";

int Width(const QFontMetrics& metrics, const std::string& text) {
    return metrics.horizontalAdvance(QString::fromStdString(text));
}

// Cuts a UTF-8 string back to `length` bytes without splitting a character.
size_t CharacterBoundary(const std::string& text, size_t length) {
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return length;
}

}  // namespace

CString CompactPath(const char* path, const QFontMetrics& metrics, int width) {
    std::string text = path ? path : "";
    if (Width(metrics, text) <= width) return CString(text.c_str());
    size_t slash = text.rfind('/');
    std::string name = slash == std::string::npos ? text : text.substr(slash);   // with its '/'
    std::string head = slash == std::string::npos ? std::string() : text.substr(0, slash);
    // The longest beginning that fits before the ellipsis and the name.
    for (size_t keep = head.size(); keep-- > 0;) {
        size_t cut = CharacterBoundary(head, keep);
        if (cut != keep) continue;
        std::string candidate = head.substr(0, cut) + kEllipsis + name;
        if (Width(metrics, candidate) <= width) return CString(candidate.c_str());
    }
    std::string bare = kEllipsis + name;
    if (Width(metrics, bare) <= width) return CString(bare.c_str());
    QString elided = metrics.elidedText(QString::fromStdString(bare), Qt::ElideRight, width);
    return CString(elided.toStdString().c_str());
}

}  // namespace leaf::ui

BOOL PathSetDlgItemPath(CWnd* dialog, int id, const char* path) {
    if (!dialog) return FALSE;
    CWnd* control = dialog->GetDlgItem(id);
    if (!control || !control->GetWidget()) return FALSE;
    QWidget* widget = control->GetWidget();
    int width = widget->contentsRect().width();
    control->SetWindowText(leaf::ui::CompactPath(path, widget->fontMetrics(), width).GetString());
    return TRUE;
}
