#include "sdk/package/XmlReferences.h"

#include <string>

#include "markup/MarkupTables.h"

namespace leaf::package {

namespace {

bool IsAsciiDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool IsAsciiHexDigit(char ch) { return IsAsciiDigit(ch) || ((ch | 0x20) >= 'a' && (ch | 0x20) <= 'f'); }
bool IsAsciiLetter(char ch) { return (ch | 0x20) >= 'a' && (ch | 0x20) <= 'z'; }

// A code point that an XML 1.0 document may carry.
bool IsXmlCharacter(unsigned long value)
{
    return value == 0x9 || value == 0xA || value == 0xD || (value >= 0x20 && value <= 0xD7FF) ||
           (value >= 0xE000 && value <= 0xFFFD) || (value >= 0x10000 && value <= 0x10FFFF);
}

}  // namespace

bool BeginsCompleteReference(std::string_view text, size_t at)
{
    size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && text[i] == 'x';
        if (hex) ++i;
        const size_t digitsStart = i;
        unsigned long value = 0;
        while (i < text.size() && (hex ? IsAsciiHexDigit(text[i]) : IsAsciiDigit(text[i]))) {
            if (i - digitsStart >= 8) return false;  // beyond every character
            const char ch = text[i];
            const unsigned long digit = IsAsciiDigit(ch) ? static_cast<unsigned long>(ch - '0')
                                                         : static_cast<unsigned long>((ch | 0x20) - 'a' + 10);
            value = value * (hex ? 16 : 10) + digit;
            ++i;
        }
        return i > digitsStart && i < text.size() && text[i] == ';' && IsXmlCharacter(value);
    }
    const size_t nameStart = i;
    while (i < text.size() && (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i]))) ++i;
    if (i == nameStart || i >= text.size() || text[i] != ';') return false;
    const std::string_view name = text.substr(nameStart, i - nameStart);
    return name == "apos" || leaf::markup::LookupEntity(name) != 0;
}

CString UnescapeXml(const CString& text)
{
    const std::string& in = text.str();
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        const std::string_view rest = std::string_view(in).substr(i);
        if (rest.starts_with("&lt;")) {
            out += '<';
            i += 4;
        } else if (rest.starts_with("&gt;")) {
            out += '>';
            i += 4;
        } else if (rest.starts_with("&amp;")) {
            // "&amp;" + "copy;" is the text "&copy;", which the model keeps escaped.
            const std::string candidate = "&" + std::string(rest.substr(5, 12));
            if (BeginsCompleteReference(candidate, 0)) {
                out.append("&amp;");
            } else {
                out += '&';
            }
            i += 5;
        } else {
            out += in[i];
            ++i;
        }
    }
    return CString(std::move(out));
}

}  // namespace leaf::package
