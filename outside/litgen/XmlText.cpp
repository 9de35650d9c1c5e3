#include "outside/litgen/XmlText.h"

#include <cstdlib>
#include <vector>

#include "markup/MarkupTables.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"

namespace litgen {

namespace {

// Decodes one UTF-8 sequence at `at` (the text is valid UTF-8: it was encoded from UTF-16
// here); advances `at`.
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (at + length > text.size())
        length = 1;
    char32_t ch = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (size_t i = 1; i < length; ++i)
        ch = (ch << 6) | (byte(at + i) & 0x3F);
    at += length;
    return ch;
}

std::string Escape(std::string_view text, bool attribute, size_t* replaced) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t at = 0; at < text.size();) {
        const size_t start = at;
        const char32_t ch = NextCodePoint(text, at);
        switch (ch) {
        case '&': out += "&amp;"; continue;
        case '<': out += "&lt;"; continue;
        case '>': out += "&gt;"; continue;
        default: break;
        }
        if (attribute && (ch == '"' || ch == '\t' || ch == '\n' || ch == '\r')) {
            out += ch == '"' ? "&quot;" : ch == '\t' ? "&#9;" : ch == '\n' ? "&#10;" : "&#13;";
            continue;
        }
        if (!IsXmlCharacter(ch)) {
            leaf::AppendUtf8(out, leaf::kReplacementCharacter);
            if (replaced)
                ++*replaced;
            continue;
        }
        out.append(text.substr(start, at - start));
    }
    return out;
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

std::string EscapeXmlText(std::string_view text, size_t* replaced) { return Escape(text, false, replaced); }
std::string EscapeXmlAttribute(std::string_view text, size_t* replaced) { return Escape(text, true, replaced); }

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
