#include "outside/litgen/XmlText.h"

#include <array>
#include <cstdlib>
#include <vector>

#include "markup/MarkupTables.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"

namespace litgen {

namespace {

// The bytes that need a look: in text (bit 1) and in attribute values (bit 2).
constexpr unsigned char kInText = 1;
constexpr unsigned char kInAttribute = 2;
constexpr std::array<unsigned char, 256> kNeedsALook = [] {
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 0x20; ++byte)
        table[byte] = kInText | kInAttribute;
    for (unsigned char byte : {'\t', '\n', '\r'})
        table[byte] = kInAttribute;
    for (unsigned char byte : {'&', '<', '>'})
        table[byte] = kInText | kInAttribute;
    table[0xEF] = kInText | kInAttribute;  // the start of U+FFFE and U+FFFF
    table['"'] = kInAttribute;
    return table;
}();

// Appends text (valid UTF-8: it was encoded from UTF-16 here) escaped for XML, in runs of
// bytes that need nothing. The only characters above U+007F that XML does not allow are
// U+FFFE and U+FFFF (EF BF BE, EF BF BF): surrogates cannot occur in such text.
void AppendEscaped(std::string& out, std::string_view text, bool attribute, size_t* replaced) {
    const unsigned char look = attribute ? kInAttribute : kInText;
    size_t run = 0;
    const auto flush = [&](size_t at) {
        out.append(text.data() + run, at - run);
    };
    for (size_t at = 0; at < text.size(); ++at) {
        // Most bytes need nothing: they are passed over in a tight loop.
        while (at < text.size() && (kNeedsALook[static_cast<unsigned char>(text[at])] & look) == 0)
            ++at;
        if (at == text.size())
            break;
        const auto byte = static_cast<unsigned char>(text[at]);
        const char* escape = nullptr;
        size_t length = 1;
        switch (byte) {
        case '&': escape = "&amp;"; break;
        case '<': escape = "&lt;"; break;
        case '>': escape = "&gt;"; break;
        case '"': escape = attribute ? "&quot;" : nullptr; break;
        case '\t': escape = attribute ? "&#9;" : nullptr; break;
        case '\n': escape = attribute ? "&#10;" : nullptr; break;
        case '\r': escape = attribute ? "&#13;" : nullptr; break;
        case 0xEF:
            if (at + 2 < text.size() && static_cast<unsigned char>(text[at + 1]) == 0xBF &&
                (static_cast<unsigned char>(text[at + 2]) & 0xFE) == 0xBE) {
                escape = "\xEF\xBF\xBD";
                length = 3;
            }
            break;
        default:
            if (byte < 0x20)
                escape = "\xEF\xBF\xBD";
            break;
        }
        if (escape == nullptr)
            continue;
        if (escape[0] == '\xEF' && replaced)
            ++*replaced;
        flush(at);
        out += escape;
        at += length - 1;
        run = at + 1;
    }
    flush(text.size());
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

bool IsUrlSafe(unsigned char ch) {
    if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))
        return true;
    return std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(ch)) != std::string_view::npos;
}

// The folder part of a publication path, with its '/' ("" for the root).
std::string_view FolderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

bool IsXmlCharacter(char32_t ch) {
    return ch == 0x9 || ch == 0xA || ch == 0xD || (ch >= 0x20 && ch <= 0xD7FF) || (ch >= 0xE000 && ch <= 0xFFFD) ||
           (ch >= 0x10000 && ch <= 0x10FFFF);
}

std::string EscapeXmlText(std::string_view text, size_t* replaced) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    AppendEscaped(out, text, false, replaced);
    return out;
}

std::string EscapeXmlAttribute(std::string_view text, size_t* replaced) {
    std::string out;
    out.reserve(text.size() + 8);
    AppendEscaped(out, text, true, replaced);
    return out;
}

void AppendEscapedXmlText(std::string& out, std::string_view text, size_t* replaced) {
    AppendEscaped(out, text, false, replaced);
}

std::string DecodeCharacterReferences(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const size_t end = value[i] == '&' ? value.find(';', i) : std::string_view::npos;
        if (end == std::string_view::npos || end - i > 12) {
            text += value[i];
            continue;
        }
        const std::string name(value.substr(i + 1, end - i - 1));
        char32_t code = 0;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits = name.substr(hex ? 2 : 1);
            char* stop = nullptr;
            const unsigned long number = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
            if (!digits.empty() && stop && *stop == 0 && digits.find_first_of("+- ") == std::string::npos &&
                number > 0 && number <= 0x10FFFF)
                code = static_cast<char32_t>(number);
        } else if (name == "apos") {
            code = '\'';
        } else if (!name.empty()) {
            code = leaf::markup::LookupEntity(std::string_view(name));
        }
        if (code == 0) {
            text += value[i];
            continue;
        }
        leaf::AppendUtf8(text, code);
        i = end;
    }
    return text;
}

std::string DecodePercent(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            const int high = HexValue(value[i + 1]);
            const int low = HexValue(value[i + 2]);
            if (high >= 0 && low >= 0) {
                text += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        text += value[i];
    }
    return text;
}

std::string EncodeHrefPath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (char ch : path) {
        const auto byte = static_cast<unsigned char>(ch);
        if (IsUrlSafe(byte)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

LinkTarget ResolveLink(std::string_view href, std::string_view documentPath) {
    LinkTarget target;
    std::string_view reference = href;
    // Leading and trailing white space is not part of a URL.
    while (!reference.empty() && (reference.front() == ' ' || reference.front() == '\t' || reference.front() == '\n' ||
                                  reference.front() == '\r'))
        reference.remove_prefix(1);
    while (!reference.empty() && (reference.back() == ' ' || reference.back() == '\t' || reference.back() == '\n' ||
                                  reference.back() == '\r'))
        reference.remove_suffix(1);
    const size_t hash = reference.find('#');
    if (hash != std::string_view::npos) {
        target.hasFragment = true;
        target.fragment = DecodePercent(reference.substr(hash + 1));
        reference = reference.substr(0, hash);
    }
    const size_t query = reference.find('?');
    if (query != std::string_view::npos)
        reference = reference.substr(0, query);
    // A scheme ("http:", "mailto:") or an authority ("//host") or a path from the root:
    // not a place in the publication.
    const size_t colon = reference.find(':');
    const size_t slash = reference.find('/');
    if ((colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) ||
        reference.starts_with("/") || reference.find('\\') != std::string_view::npos)
        return target;
    if (reference.empty()) {
        target.local = true;
        return target;
    }
    std::string joined = std::string(FolderOf(documentPath)) + DecodePercent(reference);
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return target;  // above the root
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    for (const std::string& part : parts) {
        if (!target.path.empty())
            target.path += '/';
        target.path += part;
    }
    target.local = !target.path.empty();
    return target;
}

std::string RelativeHref(std::string_view fromPath, std::string_view toPath) {
    const std::string_view fromFolder = FolderOf(fromPath);
    size_t common = 0;
    for (size_t i = 0; i < fromFolder.size() && i < toPath.size() && fromFolder[i] == toPath[i]; ++i)
        if (fromFolder[i] == '/')
            common = i + 1;
    std::string href;
    for (size_t i = common; i < fromFolder.size(); ++i)
        if (fromFolder[i] == '/')
            href += "../";
    return href + EncodeHrefPath(toPath.substr(common));
}

std::string CollapseWhiteSpace(std::string_view text) {
    std::string collapsed;
    bool space = false;
    for (char ch : text) {
        if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f') {
            space = !collapsed.empty();
            continue;
        }
        if (space)
            collapsed += ' ';
        space = false;
        collapsed += ch;
    }
    return collapsed;
}

}  // namespace litgen
