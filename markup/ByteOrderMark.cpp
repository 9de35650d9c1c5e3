#include "markup/ByteOrderMark.h"

#include <string>

namespace leaf::markup {

int OpenPastByteOrderMark(CFile& file, const char* path, UINT openFlags, std::string_view mark,
                          CFileException* error) {
    if (!file.CFile::Open(path, openFlags & ~static_cast<UINT>(CFile::typeText), error)) {
        return -1;
    }
    try {
        std::string start(mark.size(), '\0');
        if (file.Read(start.data(), static_cast<UINT>(start.size())) == start.size() && start == mark) {
            return static_cast<int>(start.size());
        }
        file.Seek(0, CFile::begin);
    } catch (CFileException& exception) {
        if (error) {
            *error = exception;
        }
        file.Abort();
        return -1;
    }
    return 0;
}

}  // namespace leaf::markup
