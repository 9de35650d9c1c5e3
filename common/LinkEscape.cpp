#include "common/LinkEscape.h"

namespace leaf {

std::string EscapeLinkPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char ch : path) {
        if (ch <= ' ' || ch == '"' || ch == '\'' || ch == '#' || ch == '%' || ch == '<' || ch == '>' || ch == '?' ||
            ch >= 0x7F) {
            escaped += '%';
            escaped += kHex[ch >> 4];
            escaped += kHex[ch & 0xF];
        } else {
            escaped += static_cast<char>(ch);
        }
    }
    return escaped;
}

}  // namespace leaf
