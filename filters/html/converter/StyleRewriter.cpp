#include "filters/html/converter/StyleRewriter.h"

#include <array>

#include "filters/html/converter/TextScan.h"
#include "platform/base/CString.h"

namespace leaf::html {

namespace {

constexpr std::array<std::string_view, 11> kBackgroundKeywords = {
    "repeat", "no-repeat", "repeat-x", "repeat-y", "scroll", "fixed", "top", "bottom", "left", "right", "center"};

// Quote marks a page-break value may be written in; the escaped forms come first so that
// a value in "\"" runs to the matching "\"".
constexpr std::array<std::string_view, 4> kQuoteMarks = {"\\\"", "\"", "\\'", "'"};

constexpr std::array<std::string_view, 16> kOfficeStyleProperties = {
    "tab-stops",    "tab-interval",   "language",        "text-underline",          "text-effect",
    "text-line-through", "font-color", "horiz-align",    "list-image-1",            "list-image-2",
    "list-image-3", "separator-image", "table-border-color-dark", "table-border-color-light", "vert-align",
    "vnd.ms-excel.numberformat"};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsOfficeProperty(std::string_view property) {
    if (property.substr(0, 4) == "mso-") return true;
    for (std::string_view known : kOfficeStyleProperties) {
        if (property == known) return true;
    }
    return false;
}

}  // namespace

bool ApplyBackgroundRule(std::string& style) {
    static constexpr std::string_view kName = "background:";
    const std::string lower = leaf::ToLowerAscii(style);
    const size_t at = lower.find(kName);
    if (at == std::string::npos) return false;
    size_t start = at + kName.size();
    while (start < lower.size() && IsBlank(lower[start])) ++start;
    const size_t end = std::min(lower.find(';', start), lower.size());
    const std::string_view value = std::string_view(lower).substr(start, end - start);

    bool isColor = false;
    if (!value.empty() && value.front() == '#' && value.size() == 7) {
        isColor = true;
    } else if (value.find_first_of(".%") == std::string_view::npos) {
        bool hasNonDigit = false;
        for (char ch : value) hasNonDigit = hasNonDigit || !IsAsciiDigit(ch);
        bool hasKeyword = false;
        for (std::string_view keyword : kBackgroundKeywords) {
            hasKeyword = hasKeyword || value.find(keyword) != std::string_view::npos;
        }
        isColor = hasNonDigit && !hasKeyword;
    }
    if (!isColor) return false;
    style.replace(at, kName.size(), "background-color:");
    return true;
}

bool RemoveTablePageBreaks(std::string& style) {
    static constexpr std::string_view kBefore = "page-break-before:";
    static constexpr std::string_view kAfter = "page-break-after:";
    // Declarations are found in a lower-cased copy, which keeps every offset; what stays
    // is copied from the value as written, since other values (a picture's url) name
    // things whose case matters.
    const std::string lower = leaf::ToLowerAscii(style);
    const std::string_view text = lower;
    std::string out;
    size_t copied = 0;   // text before this has been copied or removed
    size_t search = 0;   // where the next declaration is looked for
    size_t nextBefore = text.find(kBefore);
    size_t nextAfter = text.find(kAfter);
    bool removed = false;
    while (true) {
        if (nextBefore != std::string_view::npos && nextBefore < search) nextBefore = text.find(kBefore, search);
        if (nextAfter != std::string_view::npos && nextAfter < search) nextAfter = text.find(kAfter, search);
        const size_t name = std::min(nextBefore, nextAfter);
        if (name == std::string_view::npos) break;
        const size_t nameLength = name == nextBefore ? kBefore.size() : kAfter.size();
        search = name + nameLength;

        size_t value = search;
        while (value < text.size() && IsBlank(text[value])) ++value;
        size_t stop = value;
        bool unterminatedQuote = false;
        for (std::string_view mark : kQuoteMarks) {
            if (text.substr(value, mark.size()) == mark) {
                const size_t close = text.find(mark, value + mark.size());
                if (close == std::string_view::npos) {
                    unterminatedQuote = true;
                } else {
                    stop = close + mark.size();
                }
                break;
            }
        }
        if (unterminatedQuote) continue;  // this declaration stays; look for the next one
        while (stop < text.size() && text[stop] != ';' && text[stop] != '"' && text[stop] != '\'' &&
               text[stop] != '}') {
            ++stop;
        }
        if (stop < text.size() && text[stop] == ';') ++stop;

        size_t begin = name;
        while (begin > copied && (IsAsciiLetter(text[begin - 1]) || text[begin - 1] == '-')) --begin;
        out.append(style, copied, begin - copied);
        copied = stop;
        search = std::max(search, stop);
        removed = true;
    }
    if (!removed) return false;
    out.append(style, copied, std::string::npos);
    style = std::move(out);
    return true;
}

std::string RewriteOfficeDeclarations(std::string_view declarations) {
    const std::string_view all = TrimBlanks(declarations);
    std::string out;
    size_t offset = 0;                 // start of the declaration being taken
    size_t colon = all.find(':');      // the next ':' at or after offset
    while (colon != std::string_view::npos) {
        const std::string property = leaf::ToLowerAscii(TrimBlanks(all.substr(offset, colon - offset)));
        const size_t semicolon = all.find(';', offset);
        size_t end;
        std::string_view declaration;
        if (semicolon == std::string_view::npos) {
            end = all.size();
            declaration = all.substr(offset);
            if (!declaration.empty() && declaration.back() == '}') declaration.remove_suffix(1);
        } else {
            end = semicolon + 1;
            declaration = all.substr(offset, end - offset);
        }
        if (property == "page") {
            out += "page-break-before:always;";
        } else if (!IsOfficeProperty(property)) {
            out += declaration;
        }
        offset = end;
        if (colon < offset) colon = all.find(':', offset);
    }
    return out;  // text after the last declaration is dropped
}

std::string RewriteOfficeStyleText(std::string_view text) {
    const size_t firstBrace = text.find('{');
    if (firstBrace == std::string_view::npos) return std::string(text);

    size_t lineStart = firstBrace;
    while (lineStart > 0 && IsBlank(text[lineStart - 1])) --lineStart;
    while (lineStart > 0 && text[lineStart - 1] != '\n') --lineStart;
    std::string out(text.substr(0, lineStart));
    size_t pos = lineStart;
    if (text.substr(pos, 4) == "<!--") {
        out += "<!--";
        pos += 4;
    }

    while (true) {
        const size_t close = text.find('}', pos);
        if (close == std::string_view::npos) break;
        const std::string_view rule = text.substr(pos, close + 1 - pos);
        pos = close + 1;
        const size_t open = rule.find('{');
        if (open == std::string_view::npos) {
            out += rule;
            continue;
        }
        const std::string_view selector = rule.substr(0, open);
        size_t selectorStart = 0;
        while (selectorStart < selector.size() && IsBlank(selector[selectorStart])) ++selectorStart;
        if (selectorStart < selector.size() && selector[selectorStart] == '@') continue;

        // The body on one line: line breaks go, with the blanks that follow them.
        const std::string_view body = rule.substr(open + 1, rule.size() - open - 2);
        std::string joined;
        joined.reserve(body.size());
        bool skipBlanks = true;
        for (char ch : body) {
            if (ch == '\r' || ch == '\n') {
                skipBlanks = true;
                continue;
            }
            if (skipBlanks && IsBlank(ch)) continue;
            skipBlanks = false;
            joined += ch;
        }
        const std::string rewritten = RewriteOfficeDeclarations(joined);
        if (rewritten == TrimBlanks(joined)) {
            out += rule;
        } else if (!rewritten.empty()) {
            out += selector;
            out += '{';
            out += rewritten;
            out += '}';
        }
    }
    out += text.substr(pos);
    return out;
}

std::string PrefixNumericClassSelectors(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (true) {
        const size_t close = text.find('}', pos);
        if (close == std::string_view::npos) break;
        const std::string_view rule = text.substr(pos, close + 1 - pos);
        pos = close + 1;
        const size_t open = rule.find('{');
        if (open == std::string_view::npos) {
            out += rule;
            continue;
        }
        for (size_t i = 0; i < open; ++i) {
            out += rule[i];
            if (rule[i] == '.' && i + 1 < open && IsAsciiDigit(rule[i + 1])) out += kNumericClassPrefix;
        }
        out += rule.substr(open);
    }
    out += text.substr(pos);
    return out;
}

}  // namespace leaf::html
