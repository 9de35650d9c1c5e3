#include "outside/fontembedder/CssRules.h"

#include <cctype>

namespace fontembed {
namespace {

// Nested @media blocks deeper than this are passed over.
constexpr int kMaxBlockDepth = 32;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The position after the string that starts at `pos` (a quote), or the end.
size_t SkipString(std::string_view text, size_t pos) {
    char quote = text[pos];
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == '\\')
            ++pos;
        else if (text[pos] == quote)
            return pos + 1;
    }
    return text.size();
}

std::string StripComments(std::string_view css) {
    std::string out;
    out.reserve(css.size());
    for (size_t pos = 0; pos < css.size();) {
        char c = css[pos];
        if (c == '"' || c == '\'') {
            size_t end = SkipString(css, pos);
            out.append(css.substr(pos, end - pos));
            pos = end;
        } else if (c == '/' && pos + 1 < css.size() && css[pos + 1] == '*') {
            size_t end = css.find("*/", pos + 2);
            pos = end == std::string_view::npos ? css.size() : end + 2;
            out.push_back(' ');
        } else {
            out.push_back(c);
            ++pos;
        }
    }
    return out;
}

// The first of `stops` at bracket depth 0 and outside strings, from `pos`; npos if none.
size_t FindTopLevel(std::string_view text, size_t pos, std::string_view stops) {
    int depth = 0;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '"' || c == '\'') {
            pos = SkipString(text, pos);
            continue;
        }
        if (depth == 0 && stops.find(c) != std::string_view::npos)
            return pos;
        if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        ++pos;
    }
    return std::string_view::npos;
}

// The position of the '}' closing the block whose '{' is at `open`; the end when the
// block is not closed.
size_t FindBlockEnd(std::string_view text, size_t open) {
    int depth = 0;
    for (size_t pos = open; pos < text.size();) {
        char c = text[pos];
        if (c == '"' || c == '\'') {
            pos = SkipString(text, pos);
            continue;
        }
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return pos;
        }
        ++pos;
    }
    return text.size();
}

std::vector<std::string> SplitSelectors(std::string_view text) {
    std::vector<std::string> selectors;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t comma = FindTopLevel(text, pos, ",");
        size_t end = comma == std::string_view::npos ? text.size() : comma;
        std::string_view selector = TrimCss(text.substr(pos, end - pos));
        if (!selector.empty())
            selectors.emplace_back(selector);
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return selectors;
}

void ParseBlockContents(std::string_view text, int depth, std::vector<CssRule>& rules) {
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (IsSpace(text[pos]) || text[pos] == ';' || text[pos] == '}'))
            ++pos;
        if (pos >= text.size())
            break;
        size_t stop = FindTopLevel(text, pos, text[pos] == '@' ? "{;" : "{");
        if (stop == std::string_view::npos)
            break;
        if (text[stop] == ';') {  // a statement at-rule (@import, @charset)
            pos = stop + 1;
            continue;
        }
        size_t close = FindBlockEnd(text, stop);
        std::string_view prelude = TrimCss(text.substr(pos, stop - pos));
        std::string_view body = text.substr(stop + 1, close - stop - 1);
        pos = close + 1;
        if (prelude.starts_with('@')) {
            size_t nameEnd = 1;
            while (nameEnd < prelude.size() && (std::isalnum(static_cast<unsigned char>(prelude[nameEnd])) ||
                                                prelude[nameEnd] == '-'))
                ++nameEnd;
            std::string name = ToLowerAscii(prelude.substr(1, nameEnd - 1));
            if (name == "font-face") {
                rules.push_back(CssRule{{}, ParseCssDeclarations(body), true});
            } else if ((name == "media" || name == "supports") && depth < kMaxBlockDepth) {
                ParseBlockContents(body, depth + 1, rules);
            }
            continue;
        }
        std::vector<std::string> selectors = SplitSelectors(prelude);
        if (!selectors.empty())
            rules.push_back(CssRule{std::move(selectors), ParseCssDeclarations(body), false});
    }
}

bool IsAllDigits(std::string_view text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool IsFontSizeToken(std::string_view token) {
    static constexpr std::string_view kSizeKeywords[] = {"xx-small", "x-small", "small",   "medium", "large",
                                                         "x-large",  "xx-large", "smaller", "larger"};
    std::string_view size = token.substr(0, token.find('/'));
    for (std::string_view keyword : kSizeKeywords)
        if (size == keyword)
            return true;
    if (size.empty() || !(std::isdigit(static_cast<unsigned char>(size[0])) || size[0] == '.'))
        return false;
    return !IsAllDigits(size);  // a bare number is a weight
}

// The font shorthand: [style] [variant] [weight] size[/line-height] family-list. Values
// it leaves out are reset to normal. A system-font value (no size) declares nothing.
void ApplyFontShorthand(std::string_view value, FontSpec& fontSpec) {
    std::optional<LONG> weight;
    bool italic = false;
    size_t pos = 0;
    while (pos < value.size()) {
        while (pos < value.size() && IsSpace(value[pos]))
            ++pos;
        if (pos >= value.size() || value[pos] == '"' || value[pos] == '\'')
            return;
        size_t end = pos;
        while (end < value.size() && !IsSpace(value[end]) && value[end] != ',')
            ++end;
        if (end == pos)
            return;  // a comma before any size: not a font shorthand
        std::string token = ToLowerAscii(value.substr(pos, end - pos));
        pos = end;
        if (IsFontSizeToken(token)) {
            while (pos < value.size() && IsSpace(value[pos]))
                ++pos;
            if (token.find('/') == std::string::npos && pos < value.size() && value[pos] == '/') {
                ++pos;  // a line height follows
                while (pos < value.size() && IsSpace(value[pos]))
                    ++pos;
                while (pos < value.size() && !IsSpace(value[pos]))
                    ++pos;
            }
            fontSpec.families = ParseFontFamilyList(value.substr(pos));
            fontSpec.weight = weight.value_or(kWeightNormal);
            fontSpec.italic = italic;
            return;
        }
        if (token == "italic" || token == "oblique")
            italic = true;
        else if (token == "bold" || token == "bolder" || token == "lighter" || IsAllDigits(token))
            weight = ParseFontWeight(token);
    }
}

}  // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view TrimCss(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<CssRule> ParseCssRules(std::string_view css) {
    std::vector<CssRule> rules;
    ParseBlockContents(StripComments(css), 0, rules);
    return rules;
}

std::vector<CssDeclaration> ParseCssDeclarations(std::string_view text) {
    std::string clean = StripComments(text);
    std::string_view rest = clean;
    std::vector<CssDeclaration> declarations;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t semicolon = FindTopLevel(rest, pos, ";");
        size_t end = semicolon == std::string_view::npos ? rest.size() : semicolon;
        std::string_view item = rest.substr(pos, end - pos);
        size_t colon = item.find(':');
        if (colon != std::string_view::npos) {
            std::string name = ToLowerAscii(TrimCss(item.substr(0, colon)));
            std::string_view value = TrimCss(item.substr(colon + 1));
            size_t bang = value.rfind('!');
            if (bang != std::string_view::npos && ToLowerAscii(TrimCss(value.substr(bang + 1))) == "important")
                value = TrimCss(value.substr(0, bang));
            if (!name.empty())
                declarations.push_back({std::move(name), std::string(value)});
        }
        if (semicolon == std::string_view::npos)
            break;
        pos = semicolon + 1;
    }
    return declarations;
}

std::vector<std::string> ParseFontFamilyList(std::string_view value) {
    std::vector<std::string> families;
    size_t pos = 0;
    while (pos <= value.size()) {
        size_t comma = FindTopLevel(value, pos, ",");
        size_t end = comma == std::string_view::npos ? value.size() : comma;
        std::string_view item = TrimCss(value.substr(pos, end - pos));
        std::string name;
        bool quoted = !item.empty() && (item[0] == '"' || item[0] == '\'');
        bool pendingSpace = false;
        for (size_t i = quoted ? 1 : 0; i < item.size(); ++i) {
            char c = item[i];
            if (quoted && c == item[0])
                break;
            if (c == '\\' && i + 1 < item.size())
                c = item[++i];
            else if (!quoted && IsSpace(c)) {
                pendingSpace = !name.empty();
                continue;
            }
            if (pendingSpace)
                name.push_back(' ');
            pendingSpace = false;
            name.push_back(c);
        }
        std::string lower = ToLowerAscii(name);
        bool keyword = !quoted && (lower == "inherit" || lower == "initial" || lower == "unset" ||
                                   lower == "revert" || lower == "default");
        if (!name.empty() && !keyword)
            families.push_back(std::move(name));
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return families;
}

LONG ParseFontWeight(std::string_view value) {
    std::string lower = ToLowerAscii(TrimCss(value));
    if (lower == "bold" || lower == "bolder")
        return kWeightBold;
    if (IsAllDigits(lower) && lower.size() <= 4 && std::stoi(lower) >= 600)
        return kWeightBold;
    return kWeightNormal;
}

FontSpec FontSpecFromDeclarations(const std::vector<CssDeclaration>& declarations) {
    FontSpec fontSpec;
    for (const CssDeclaration& declaration : declarations) {
        if (declaration.name == "font-family") {
            fontSpec.families = ParseFontFamilyList(declaration.value);
        } else if (declaration.name == "font-weight") {
            fontSpec.weight = ParseFontWeight(declaration.value);
        } else if (declaration.name == "font-style") {
            std::string style = ToLowerAscii(declaration.value);
            fontSpec.italic = style.starts_with("italic") || style.starts_with("oblique");
        } else if (declaration.name == "font") {
            ApplyFontShorthand(declaration.value, fontSpec);
        }
    }
    return fontSpec;
}

}  // namespace fontembed
