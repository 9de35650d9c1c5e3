#include "common/StyleSheetUrls.h"

#include <cstdint>

#include "platform/base/CString.h"

namespace leaf {
namespace {

bool IsCssSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f'; }

bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    return (ch | 0x20) - 'a' + 10;
}

// A character of a CSS name: "url" preceded by one is part of a longer name.
bool IsNameCharacter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
           ch == '_' || static_cast<unsigned char>(ch) >= 0x80 || ch == '\\';
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    // NUL, surrogates and values past Unicode stand for the replacement character.
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Undoes the escape whose backslash is at text[at - 1]; at is moved past it.
void TakeEscape(std::string_view text, size_t& at, std::string& out) {
    if (at >= text.size())
        return;
    if (!IsHexDigit(text[at])) {
        if (text[at] != '\n')  // a backslash before a line end continues the line
            out += text[at];
        ++at;
        return;
    }
    std::uint32_t code = 0;
    for (int digits = 0; digits < 6 && at < text.size() && IsHexDigit(text[at]); ++digits, ++at)
        code = code * 16 + static_cast<std::uint32_t>(HexValue(text[at]));
    if (at < text.size() && IsCssSpace(text[at]))
        ++at;
    AppendUtf8(out, code);
}

// Reads a quoted string whose opening quote is at text[at]; at is moved past its end.
std::string TakeString(std::string_view text, size_t& at) {
    const char quote = text[at++];
    std::string value;
    while (at < text.size() && text[at] != quote) {
        const char ch = text[at++];
        if (ch == '\\')
            TakeEscape(text, at, value);
        else
            value += ch;
    }
    if (at < text.size())
        ++at;  // the closing quote
    return value;
}

void SkipSpace(std::string_view text, size_t& at) {
    while (at < text.size() && IsCssSpace(text[at]))
        ++at;
}

// Reads the value of url( whose '(' ends just before text[at]; at is moved past ')'.
std::string TakeUrl(std::string_view text, size_t& at) {
    SkipSpace(text, at);
    std::string value;
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        value = TakeString(text, at);
    } else {
        while (at < text.size() && text[at] != ')') {
            const char ch = text[at++];
            if (ch == '\\')
                TakeEscape(text, at, value);
            else
                value += ch;
        }
    }
    while (at < text.size() && text[at] != ')')
        ++at;
    if (at < text.size())
        ++at;
    return value;
}

std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsCssSpace(text[first]))
        ++first;
    while (last > first && IsCssSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Adds a reference whose value spans [begin, end) of the text; the fragment is kept
// apart. An empty target and inline data name no file.
void AddTarget(std::vector<StyleSheetUrl>& urls, const std::string& value, size_t begin, size_t end) {
    std::string target = Trimmed(value);
    std::string fragment;
    const size_t hash = target.find('#');
    if (hash != std::string::npos) {
        fragment = target.substr(hash);
        target = Trimmed(target.substr(0, hash));
    }
    if (!target.empty() && !StartsWithNoCase(target, "data:"))
        urls.push_back(StyleSheetUrl{begin, end, std::move(target), std::move(fragment)});
}

}  // namespace

std::vector<StyleSheetUrl> FindStyleSheetUrlSpans(std::string_view text) {
    std::vector<StyleSheetUrl> urls;
    size_t at = 0;
    while (at < text.size()) {
        const char ch = text[at];
        if (ch == '/' && at + 1 < text.size() && text[at + 1] == '*') {
            const size_t end = text.find("*/", at + 2);
            at = end == std::string_view::npos ? text.size() : end + 2;
            continue;
        }
        if (ch == '"' || ch == '\'') {
            TakeString(text, at);
            continue;
        }
        // "@import 'other.css'" names a style sheet without url(...).
        if (ch == '@' && at + 7 <= text.size() && EqualsNoCase(text.substr(at, 7), "@import")) {
            at += 7;
            SkipSpace(text, at);
            if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
                const size_t begin = at;
                const std::string value = TakeString(text, at);
                AddTarget(urls, value, begin, at);
            }
            continue;
        }
        if (ch == '\\') {
            at += 2;  // an escaped character is no quote and starts no name
            continue;
        }
        if (at + 4 <= text.size() && EqualsNoCase(text.substr(at, 3), "url") && text[at + 3] == '(' &&
            (at == 0 || !IsNameCharacter(text[at - 1]))) {
            at += 4;
            const size_t begin = at;
            const std::string value = TakeUrl(text, at);
            const size_t end = at > begin && text[at - 1] == ')' ? at - 1 : at;
            AddTarget(urls, value, begin, end);
            continue;
        }
        ++at;
    }
    return urls;
}

std::string QuotedStyleSheetString(std::string_view value) {
    std::string quoted = "\"";
    for (char ch : value) {
        if (ch == '"' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    return quoted + '"';
}

std::vector<std::string> FindStyleSheetUrls(std::string_view text) {
    std::vector<std::string> targets;
    for (StyleSheetUrl& url : FindStyleSheetUrlSpans(text))
        targets.push_back(std::move(url.target));
    return targets;
}

}  // namespace leaf
