#pragma once

// Opening a markup source past its byte-order mark: what the byte and the UTF-16 file
// readers share.

#include <string_view>

#include "platform/base/File.h"
#include "platform/base/Types.h"

namespace leaf::markup {

// Opens `path` in `file` for reading bytes (a text-mode flag is dropped: the readers split
// lines themselves) and reads past `mark` when the file begins with it. Returns the bytes
// passed over, 0 when the file does not begin with the mark (it is then back at its start),
// or -1 when opening or reading failed; the file is then closed and *error, when given,
// says why.
int OpenPastByteOrderMark(CFile& file, const char* path, UINT openFlags, std::string_view mark,
                          CFileException* error);

}  // namespace leaf::markup
