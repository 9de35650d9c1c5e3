#include "filters/word/WordPageLinks.h"

#include <cctype>
#include <vector>

#include "common/LinkEscape.h"
#include "platform/base/HexDigit.h"
#include "platform/base/Path.h"

namespace {

bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f'; }

char Lower(char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// A URL scheme: a letter, then letters, digits, '+', '-' or '.', then ':'.
bool HasScheme(std::string_view link) {
    if (link.empty() || !std::isalpha(static_cast<unsigned char>(link[0])))
        return false;
    for (char ch : link) {
        if (ch == ':')
            return true;
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '+' && ch != '-' && ch != '.')
            return false;
    }
    return false;
}

std::string DecodeEscapes(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = leaf::HexDigitValue(text[i + 1]);
            int low = leaf::HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The path of `target` as seen from `folder` (both absolute and normal).
std::string RelativePath(std::string_view folder, std::string_view target) {
    std::vector<std::string_view> from = Components(folder);
    std::vector<std::string_view> to = Components(target);
    std::size_t common = 0;
    while (common < from.size() && common < to.size() && from[common] == to[common])
        ++common;
    std::string relative;
    for (std::size_t i = common; i < from.size(); ++i)
        relative += "../";
    for (std::size_t i = common; i < to.size(); ++i) {
        relative += to[i];
        if (i + 1 < to.size())
            relative += '/';
    }
    if (relative.empty())
        return ".";
    if (relative.back() == '/')
        relative.pop_back();
    return relative;
}

// The path a "file:" URL names; nullopt for one on another machine.
std::optional<std::string> FileUrlPath(std::string_view url) {
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        std::size_t slash = rest.find('/');
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsNoCase(host, "localhost"))
            return std::nullopt;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    while (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    return "/" + std::string(rest);
}

// Reads the character references of an attribute value.
std::string DecodeReferences(std::string_view value) {
    std::string decoded;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '&') {
            decoded += value[i];
            continue;
        }
        std::size_t semicolon = value.find(';', i);
        if (semicolon == std::string_view::npos || semicolon - i > 10) {
            decoded += value[i];
            continue;
        }
        std::string_view name = value.substr(i + 1, semicolon - i - 1);
        long code = -1;
        if (name == "amp")
            code = '&';
        else if (name == "lt")
            code = '<';
        else if (name == "gt")
            code = '>';
        else if (name == "quot")
            code = '"';
        else if (name == "apos")
            code = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string_view digits = name.substr(hex ? 2 : 1);
            code = digits.empty() ? -1 : 0;
            for (char ch : digits) {
                int digit = hex ? leaf::HexDigitValue(ch) : (ch >= '0' && ch <= '9' ? ch - '0' : -1);
                if (digit < 0 || code > 0x10FFFF) {
                    code = -1;
                    break;
                }
                code = code * (hex ? 16 : 10) + digit;
            }
        }
        if (code <= 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            decoded += value[i];
            continue;
        }
        // As UTF-8.
        unsigned long c = static_cast<unsigned long>(code);
        if (c < 0x80) {
            decoded += static_cast<char>(c);
        } else if (c < 0x800) {
            decoded += static_cast<char>(0xC0 | (c >> 6));
            decoded += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            decoded += static_cast<char>(0xE0 | (c >> 12));
            decoded += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            decoded += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            decoded += static_cast<char>(0xF0 | (c >> 18));
            decoded += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            decoded += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            decoded += static_cast<char>(0x80 | (c & 0x3F));
        }
        i = semicolon;
    }
    return decoded;
}

bool IsNameChar(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '_' || ch == ':' || ch == '.';
}

// Copies the page, rewriting the link attributes of its tags.
class PageRewriter {
public:
    PageRewriter(std::string_view html, const CWordPagePlaces& places) : m_html(html), m_places(places) {}

    std::string Run() {
        while (m_at < m_html.size()) {
            std::size_t open = m_html.find('<', m_at);
            if (open == std::string_view::npos) {
                Copy(m_html.size());
                break;
            }
            Copy(open);
            std::string_view rest = m_html.substr(open);
            if (rest.substr(0, 4) == "<!--")
                CopyThrough("-->", open + 4);
            else if (rest.size() > 1 && (rest[1] == '!' || rest[1] == '?'))
                CopyThrough(">", open + 2);
            else if (rest.size() > 1 && rest[1] == '/')
                CopyThrough(">", open + 2);
            else if (rest.size() > 1 && std::isalpha(static_cast<unsigned char>(rest[1])))
                StartTag();
            else
                Copy(open + 1);
        }
        return std::move(m_out);
    }

private:
    void Copy(std::size_t to) {
        m_out.append(m_html.substr(m_at, to - m_at));
        m_at = to;
    }

    // Copies up to and including `end` (searched from `from`), or everything when it is missing.
    void CopyThrough(std::string_view end, std::size_t from) {
        std::size_t found = m_html.find(end, from);
        Copy(found == std::string_view::npos ? m_html.size() : found + end.size());
    }

    void SkipSpace(std::size_t& at) const {
        while (at < m_html.size() && IsSpace(m_html[at]))
            ++at;
    }

    void StartTag() {
        std::size_t at = m_at + 1;
        std::size_t nameStart = at;
        while (at < m_html.size() && IsNameChar(m_html[at]))
            ++at;
        std::string_view tagName = m_html.substr(nameStart, at - nameStart);
        for (;;) {
            SkipSpace(at);
            if (at >= m_html.size()) {
                Copy(m_html.size());
                return;
            }
            char ch = m_html[at];
            if (ch == '>') {
                Copy(at + 1);
                break;
            }
            if (ch == '/' || ch == '"' || ch == '\'' || ch == '=' || ch == '<') {
                // Stray characters between attributes are kept as they are.
                ++at;
                continue;
            }
            std::size_t attributeStart = at;
            while (at < m_html.size() && !IsSpace(m_html[at]) && m_html[at] != '=' && m_html[at] != '>' &&
                   m_html[at] != '/' && m_html[at] != '<')
                ++at;
            std::string_view attribute = m_html.substr(attributeStart, at - attributeStart);
            std::size_t afterName = at;
            SkipSpace(at);
            if (at >= m_html.size() || m_html[at] != '=') {
                at = afterName;
                continue;
            }
            ++at;
            SkipSpace(at);
            std::size_t valueStart = at;
            std::string_view value;
            if (at < m_html.size() && (m_html[at] == '"' || m_html[at] == '\'')) {
                char quote = m_html[at];
                std::size_t close = m_html.find(quote, at + 1);
                if (close == std::string_view::npos) {
                    Copy(m_html.size());
                    return;
                }
                value = m_html.substr(at + 1, close - at - 1);
                at = close + 1;
            } else {
                while (at < m_html.size() && !IsSpace(m_html[at]) && m_html[at] != '>')
                    ++at;
                value = m_html.substr(valueStart, at - valueStart);
            }
            if (EqualsNoCase(attribute, "src") || EqualsNoCase(attribute, "href")) {
                if (std::optional<std::string> mapped = MapWordPageLink(DecodeReferences(value), m_places)) {
                    Copy(valueStart);
                    m_out += '"';
                    m_out += leaf::EscapeAttributeText(*mapped);
                    m_out += '"';
                    m_at = at;
                }
            }
        }
        // The text of scripts and style sheets is no markup.
        if (EqualsNoCase(tagName, "script") || EqualsNoCase(tagName, "style")) {
            std::string end = "</" + std::string(tagName);
            std::size_t search = m_at;
            for (;;) {
                std::size_t found = m_html.find("</", search);
                if (found == std::string_view::npos) {
                    Copy(m_html.size());
                    return;
                }
                if (StartsWithNoCase(m_html.substr(found), end)) {
                    Copy(found);
                    return;
                }
                search = found + 2;
            }
        }
    }

    std::string_view m_html;
    const CWordPagePlaces& m_places;
    std::size_t m_at = 0;
    std::string m_out;
};

}  // namespace

std::optional<std::string> MapWordPageLink(const std::string& link, const CWordPagePlaces& places) {
    std::size_t first = 0;
    while (first < link.size() && IsSpace(link[first]))
        ++first;
    std::size_t last = link.size();
    while (last > first && IsSpace(link[last - 1]))
        --last;
    std::string_view value(link.data() + first, last - first);
    if (value.empty() || value.front() == '#')
        return std::nullopt;
    // What follows the path (a query, a fragment) is kept as written.
    std::size_t suffixAt = value.find_first_of("?#");
    std::string_view suffix = suffixAt == std::string_view::npos ? std::string_view() : value.substr(suffixAt);
    std::string_view written = value.substr(0, suffixAt);
    std::string target;
    if (HasScheme(written)) {
        if (!StartsWithNoCase(written, "file:"))
            return std::nullopt;
        std::optional<std::string> path = FileUrlPath(written);
        if (!path)
            return std::nullopt;
        target = DecodeEscapes(*path);
    } else {
        target = DecodeEscapes(written);
    }
    if (target.empty())
        return std::nullopt;

    const std::string pageFolder = leaf::path::FolderPart(places.pagePath);
    const std::string documentFolder = leaf::path::FolderPart(places.documentPath);
    std::string absolute =
        leaf::path::LexicallyNormal(leaf::path::IsAbsolute(target) ? target : leaf::path::Join(pageFolder, target));
    if (absolute == leaf::path::LexicallyNormal(places.pagePath)) {
        // A link into the page itself: the page takes the document's place in the book.
        if (!suffix.empty() && suffix.front() == '#')
            return std::string(suffix);
        absolute = places.documentPath;
    } else if (absolute == pageFolder) {
        absolute = documentFolder;
    } else if (pageFolder.size() > 1 && leaf::path::IsUnderFolder(pageFolder, absolute)) {
        // What the word processor wrote beside the page lies beside the document.
        absolute = leaf::path::Join(documentFolder, absolute.substr(pageFolder.size() + 1));
    }
    const std::string& bookFolder = places.sourceFolder.empty() ? documentFolder : places.sourceFolder;
    std::string result = leaf::path::IsUnderFolder(bookFolder, absolute, true)
                             ? RelativePath(documentFolder, absolute)
                             : absolute;
    return leaf::EscapeLinkPath(result) + std::string(suffix);
}

std::string RewriteWordPageLinks(std::string_view html, const CWordPagePlaces& places) {
    return PageRewriter(html, places).Run();
}
