#include "outside/litgen/DirectionDeclarations.h"

#include <string_view>

#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"

namespace litgen {

namespace {

bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f'; }

bool IsNameCharacter(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
           ch == '_' || byte >= 0x80;
}

// One past the comment or string that starts at `at`, or `at` when none does.
size_t SkipCommentOrString(std::string_view css, size_t at) {
    if (css.compare(at, 2, "/*") == 0) {
        const size_t close = css.find("*/", at + 2);
        return close == std::string_view::npos ? css.size() : close + 2;
    }
    if (css[at] == '"' || css[at] == '\'') {
        const char quote = css[at++];
        while (at < css.size() && css[at] != quote && css[at] != '\n')
            at += css[at] == '\\' ? 2 : 1;
        return at < css.size() ? at + 1 : css.size();
    }
    return at;
}

// Keeps count of the brackets a character opens or closes.
void CountBracket(char ch, int& depth) {
    if (ch == '(' || ch == '[')
        ++depth;
    else if ((ch == ')' || ch == ']') && depth > 0)
        --depth;
}

size_t SkipSpaceAndComments(std::string_view css, size_t at) {
    while (at < css.size()) {
        if (IsSpace(css[at]))
            ++at;
        else if (css.compare(at, 2, "/*") == 0)
            at = SkipCommentOrString(css, at);
        else
            break;
    }
    return at;
}

// Where the value that begins at `at` ends: the ';' or '}' that ends its declaration
// outside brackets, strings and comments, or the end of the text; npos where a '{' comes
// first (the text is a selector, "direction:hover {", not a declaration).
size_t ValueEnd(std::string_view css, size_t at) {
    int depth = 0;
    while (at < css.size()) {
        const size_t skipped = SkipCommentOrString(css, at);
        if (skipped != at) {
            at = skipped;
            continue;
        }
        const char ch = css[at];
        if (ch == '\\') {
            at += 2;
            continue;
        }
        CountBracket(ch, depth);
        if (ch == '{')
            return std::string_view::npos;
        if (depth == 0 && (ch == ';' || ch == '}'))
            return at;
        ++at;
    }
    return css.size();
}

// A value as a keyword: comments and "!important" taken off, lower-cased, trimmed.
std::string Keyword(std::string_view value) {
    std::string text;
    for (size_t at = 0; at < value.size();) {
        const size_t skipped = SkipCommentOrString(value, at);
        if (skipped != at && value[at] == '/') {
            text += ' ';
            at = skipped;
            continue;
        }
        text += value[at++];
    }
    const size_t bang = text.find('!');
    if (bang != std::string::npos)
        text.erase(bang);
    return leaf::ToLowerAscii(CollapseWhiteSpace(text));
}

}  // namespace

DirectionDeclarations RemoveDirectionDeclarations(std::string& css) {
    DirectionDeclarations result;
    std::string out;
    size_t copied = 0;  // css[copied, at) is not yet in out
    bool declarationStart = true;
    int depth = 0;  // of brackets: a declaration begins outside them
    size_t at = 0;
    while (at < css.size()) {
        const size_t skipped = SkipCommentOrString(css, at);
        if (skipped != at) {
            declarationStart = declarationStart && css[at] == '/';
            at = skipped;
            continue;
        }
        const char ch = css[at];
        if (IsSpace(ch)) {
            ++at;
            continue;
        }
        if (ch == '\\') {
            declarationStart = false;
            at += 2;
            continue;
        }
        CountBracket(ch, depth);
        if (!declarationStart || depth > 0 || !IsNameCharacter(ch)) {
            declarationStart = depth == 0 && (ch == '{' || ch == '}' || ch == ';');
            ++at;
            continue;
        }
        size_t nameEnd = at;
        while (nameEnd < css.size() && IsNameCharacter(css[nameEnd]))
            ++nameEnd;
        const std::string name = leaf::ToLowerAscii(std::string_view(css).substr(at, nameEnd - at));
        const size_t colon = SkipSpaceAndComments(css, nameEnd);
        const size_t valueEnd = colon < css.size() && css[colon] == ':' ? ValueEnd(css, colon + 1) : std::string::npos;
        if ((name != "direction" && name != "unicode-bidi") || valueEnd == std::string::npos) {
            declarationStart = false;
            at = nameEnd;
            continue;
        }
        const std::string value = Keyword(std::string_view(css).substr(colon + 1, valueEnd - colon - 1));
        if (name == "direction") {
            if (value == "rtl")
                ++result.rightToLeft;
            if (value == "rtl" || value == "ltr")
                result.direction = value;
            else if (value == "initial")
                result.direction = "ltr";
        } else if (value == "bidi-override" || value == "isolate-override" || value == "plaintext") {
            ++result.overrides;
        }
        ++result.removed;
        // The declaration goes with its ';' and the space after it.
        size_t end = valueEnd < css.size() && css[valueEnd] == ';' ? valueEnd + 1 : valueEnd;
        while (end < css.size() && IsSpace(css[end]))
            ++end;
        out.append(css, copied, at - copied);
        copied = end;
        at = end;
        declarationStart = true;
    }
    if (result.removed > 0) {
        out.append(css, copied, std::string::npos);
        css = std::move(out);
    }
    return result;
}

}  // namespace litgen
