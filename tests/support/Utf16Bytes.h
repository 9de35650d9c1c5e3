#pragma once

#include <string>
#include <string_view>

namespace leaf::test {

// The text as UTF-16 bytes, led by the byte-order mark of the given order: what a
// reader of pages and style sheets finds in a file saved as UTF-16.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

}  // namespace leaf::test
