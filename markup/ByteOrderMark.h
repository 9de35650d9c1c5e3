#pragma once

// Byte-order marks of markup sources: telling a source's encoding from its first bytes, and
// opening a source past its mark. What the byte and the UTF-16 file readers, the plain-text
// filter and the font embedder's page reader share.
//
// A source that begins with FF FE is UTF-16 little-endian, one that begins with FE FF
// UTF-16 big-endian, and one that begins with EF BB BF UTF-8 with a mark; any other
// source is 8-bit text (UTF-8, with bytes that are not UTF-8 read as Windows-1252).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/File.h"
#include "platform/base/Types.h"

namespace leaf::markup {

enum class SourceEncoding {
    EightBit,           // no mark
    Utf8Marked,         // EF BB BF
    Utf16LittleEndian,  // FF FE
    Utf16BigEndian      // FE FF
};

struct ByteOrderMark {
    SourceEncoding encoding = SourceEncoding::EightBit;
    size_t length = 0;  // bytes of the mark (0 without one)
};

// The longest mark, in bytes: what DetectByteOrderMark needs to see.
inline constexpr size_t kLongestByteOrderMark = 3;

// The mark that `start` (the first bytes of a source) begins with.
constexpr ByteOrderMark DetectByteOrderMark(std::string_view start) {
    const auto byte = [&](size_t i) { return i < start.size() ? static_cast<unsigned char>(start[i]) : 0x100u; };
    if (byte(0) == 0xFF && byte(1) == 0xFE) return {SourceEncoding::Utf16LittleEndian, 2};
    if (byte(0) == 0xFE && byte(1) == 0xFF) return {SourceEncoding::Utf16BigEndian, 2};
    if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) return {SourceEncoding::Utf8Marked, 3};
    return {};
}

constexpr bool IsUtf16(SourceEncoding encoding) {
    return encoding == SourceEncoding::Utf16LittleEndian || encoding == SourceEncoding::Utf16BigEndian;
}

// One UTF-16 code unit from its two bytes in file order.
constexpr char16_t Utf16Unit(unsigned char first, unsigned char second, bool bigEndian) {
    return bigEndian ? static_cast<char16_t>((first << 8) | second) : static_cast<char16_t>(first | (second << 8));
}

// Opens `path` in `file` for reading bytes (a text-mode flag is dropped: the readers split
// lines themselves) and reads past a UTF-16 mark, and past a UTF-8 one when `passUtf8Mark`
// is set; at any other start the file is back at its first byte. Returns the mark passed
// over (length 0 when none), or nothing when opening or reading failed; the file is then
// closed and *error, when given, says why.
std::optional<ByteOrderMark> OpenPastByteOrderMark(CFile& file, const char* path, UINT openFlags,
                                                   bool passUtf8Mark, CFileException* error);

// The text of a whole source as UTF-8: UTF-16 of either byte order is converted (a lone
// surrogate, and an odd last byte, become U+FFFD), a UTF-8 mark is dropped, and 8-bit text
// is kept byte for byte.
std::string SourceTextAsUtf8(std::string_view bytes);

}  // namespace leaf::markup
