#pragma once

// Path elision as the shell does it: a path too wide for its field keeps its beginning and
// its file name and loses the folders between them to an ellipsis ("/home/.../book.htm");
// when even the file name does not fit, its end gives way.

#include <QFontMetrics>

#include "platform/base/CString.h"

class CWnd;

namespace leaf::ui {

// The path shortened to fit `width` pixels in the font measured by `metrics`.
CString CompactPath(const char* path, const QFontMetrics& metrics, int width);

}  // namespace leaf::ui

// Sets the text of control `id` of `dialog` to the path compacted to the control's width
// in its font. FALSE when there is no such control.
BOOL PathSetDlgItemPath(CWnd* dialog, int id, const char* path);
