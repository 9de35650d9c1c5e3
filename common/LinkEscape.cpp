#include "common/LinkEscape.h"

#include "common/ContentType.h"
#include "common/WideBuffer.h"

namespace leaf {
namespace {

bool IsAsciiLetter(char ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

}  // namespace

std::string EscapeLinkPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    // Within the first segment of a relative path a ':' would end a scheme.
    bool firstSegment = !path.starts_with('/');
    for (unsigned char ch : path) {
        if (ch == '/')
            firstSegment = false;
        if (ch <= ' ' || ch == '"' || ch == '\'' || ch == '#' || ch == '%' || ch == '<' || ch == '>' || ch == '?' ||
            ch >= 0x7F || (ch == ':' && firstSegment)) {
            escaped += '%';
            escaped += kHex[ch >> 4];
            escaped += kHex[ch & 0xF];
        } else {
            escaped += static_cast<char>(ch);
        }
    }
    return escaped;
}

std::string LinkToPath(std::string_view link) {
    if (link.empty() || link.front() == '#' || HasUrlScheme(link))
        return std::string(link);
    CString path;
    CString fragment;
    SplitFragment(CString(link), path, fragment, FALSE);
    std::string decoded = DecodeUrlEscapes(path).str();
    // "c%3Ax.html" names the file c:x.html, which must not read as a link of a scheme.
    if (HasUrlScheme(decoded))
        decoded.insert(0, "./");
    return decoded + fragment.str();
}

std::string PathToLink(std::string_view path) {
    if (path.empty() || path.front() == '#' || HasUrlScheme(path))
        return std::string(path);
    CString file;
    CString fragment;
    SplitFragment(CString(path), file, fragment, FALSE);
    return EscapeLinkPath(file.str()) + fragment.str();
}

std::string EscapeAttributeText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        default: escaped += ch; break;
        }
    }
    return escaped;
}

bool HasUrlScheme(std::string_view link) {
    if (link.empty() || !IsAsciiLetter(link[0]))
        return false;
    for (size_t i = 1; i < link.size(); ++i) {
        const char ch = link[i];
        if (ch == ':')
            return true;
        if (!IsAsciiLetter(ch) && !(ch >= '0' && ch <= '9') && ch != '+' && ch != '-' && ch != '.')
            return false;
    }
    return false;
}

}  // namespace leaf
