#pragma once

// What every reader of style text in the writer takes alike: white space, the characters
// of names, and where a comment or string that starts at a place ends.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace litgen {

inline bool IsStyleSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f'; }

inline bool IsStyleNameCharacter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '-' ||
           ch == '_' || static_cast<unsigned char>(ch) >= 0x80;
}

// One past the comment or string that starts at `at`, or `at` when none does. A comment
// left open runs to the end of the text, a string to the end of its line.
inline size_t StyleCommentOrStringEnd(std::string_view css, size_t at) {
    if (css.substr(at).starts_with("/*")) {
        const size_t close = css.find("*/", at + 2);
        return close == std::string_view::npos ? css.size() : close + 2;
    }
    if (at < css.size() && (css[at] == '"' || css[at] == '\'')) {
        const char quote = css[at++];
        while (at < css.size() && css[at] != quote && css[at] != '\n')
            at += css[at] == '\\' ? 2 : 1;
        return std::min(at + 1, css.size());
    }
    return at;
}

}  // namespace litgen
