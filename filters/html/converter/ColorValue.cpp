#include "filters/html/converter/ColorValue.h"

#include <cstdio>

#include "filters/html/converter/TextScan.h"
#include "platform/base/CString.h"
#include "platform/base/HexDigit.h"

namespace leaf::html {

bool NormalizeColorValue(std::string& value) {
    std::string_view digits = value;
    if (!digits.empty() && digits.front() == '#') digits.remove_prefix(1);
    if (digits.empty()) return false;
    for (char ch : digits) {
        if (HexDigitValue(ch) < 0) return false;
    }
    int red, green, blue;
    if (digits.size() == 6) {
        red = HexDigitValue(digits[0]) * 16 + HexDigitValue(digits[1]);
        green = HexDigitValue(digits[2]) * 16 + HexDigitValue(digits[3]);
        blue = HexDigitValue(digits[4]) * 16 + HexDigitValue(digits[5]);
    } else if (digits.size() == 3) {
        red = HexDigitValue(digits[0]) * 17;
        green = HexDigitValue(digits[1]) * 17;
        blue = HexDigitValue(digits[2]) * 17;
    } else {
        return false;  // not a colour we can read with certainty: leave it to the reader
    }
    char normal[8];
    std::snprintf(normal, sizeof normal, "#%.2X%.2X%.2X", red, green, blue);
    if (leaf::EqualsNoCase(normal, value)) return false;
    value = normal;
    return true;
}

std::string NormalizeColorProperties(std::string_view text) {
    static constexpr std::string_view kColor = "color";
    std::string out;
    out.reserve(text.size() + 16);
    size_t i = 0;
    while (true) {
        const size_t found = text.find(kColor, i);
        if (found == std::string_view::npos) break;
        size_t k = found + kColor.size();
        out.append(text, i, k - i);
        bool colon = false;
        while (k < text.size() && (IsBlank(text[k]) || text[k] == ':')) {
            colon = colon || text[k] == ':';
            out += text[k++];
        }
        if (colon) {
            size_t end = k;
            while (end < text.size() && (IsAsciiAlnum(text[end]) || text[end] == '#')) ++end;
            std::string value(text.substr(k, end - k));
            NormalizeColorValue(value);
            out += value;
            k = end;
        }
        i = k;
    }
    out.append(text, i, std::string_view::npos);
    return out;
}

}  // namespace leaf::html
