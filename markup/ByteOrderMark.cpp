#include "markup/ByteOrderMark.h"

#include "platform/base/TextEncoding.h"

namespace leaf::markup {

std::optional<ByteOrderMark> OpenPastByteOrderMark(CFile& file, const char* path, UINT openFlags,
                                                   bool passUtf8Mark, CFileException* error) {
    if (!file.CFile::Open(path, openFlags & ~static_cast<UINT>(CFile::typeText), error)) {
        return std::nullopt;
    }
    try {
        char start[kLongestByteOrderMark] = {};
        const UINT got = file.Read(start, static_cast<UINT>(sizeof start));
        ByteOrderMark mark = DetectByteOrderMark(std::string_view(start, got));
        if (mark.encoding == SourceEncoding::Utf8Marked && !passUtf8Mark) {
            mark = {};
        }
        file.Seek(static_cast<LONGLONG>(mark.length), CFile::begin);
        return mark;
    } catch (CFileException& exception) {
        if (error) {
            *error = exception;
        }
        file.Abort();
        return std::nullopt;
    }
}

std::string SourceTextAsUtf8(std::string_view bytes) {
    const ByteOrderMark mark = DetectByteOrderMark(bytes);
    bytes.remove_prefix(mark.length);
    if (!IsUtf16(mark.encoding)) {
        return std::string(bytes);
    }
    const bool bigEndian = mark.encoding == SourceEncoding::Utf16BigEndian;
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units.push_back(Utf16Unit(static_cast<unsigned char>(bytes[i]), static_cast<unsigned char>(bytes[i + 1]),
                                  bigEndian));
    }
    if (bytes.size() % 2 != 0) {
        units.push_back(static_cast<char16_t>(kReplacementCharacter));
    }
    return Utf16ToUtf8(units);
}

}  // namespace leaf::markup
