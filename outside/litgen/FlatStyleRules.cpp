#include "outside/litgen/FlatStyleRules.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "outside/litgen/StyleText.h"
#include "platform/base/CString.h"

namespace litgen {

namespace {

// Rules nested deeper than this are left out, and group at-rules (@media in @media)
// deeper than this are copied as they stand: either keeps the writer's own stack small.
constexpr size_t kMaxDepth = 32;
// The most text one flat rule's selector list may take: combining lists multiplies them.
constexpr size_t kMaxSelectorText = 64 * 1024;

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

bool StartsWith(std::string_view text, size_t at, std::string_view word) { return text.substr(at).starts_with(word); }

// An unquoted url(...) at `at`: its content is one token, brackets and quotes in it
// included.
bool IsUnquotedUrl(std::string_view css, size_t at) {
    if (at + 4 > css.size() || leaf::ToLowerAscii(css.substr(at, 4)) != "url(" ||
        (at > 0 && (IsStyleNameCharacter(css[at - 1]) || css[at - 1] == '\\')))
        return false;
    size_t content = at + 4;
    while (content < css.size() && IsStyleSpace(css[content]))
        ++content;
    return content < css.size() && css[content] != '"' && css[content] != '\'';
}

// One past the piece of text that starts at `at`: a comment, a string, an escape or an
// unquoted url(...), else the one character.
size_t PieceEnd(std::string_view css, size_t at) {
    if (const size_t skipped = StyleCommentOrStringEnd(css, at); skipped != at)
        return skipped;
    const char ch = css[at];
    if (ch == '\\')
        return std::min(at + 2, css.size());
    if (IsUnquotedUrl(css, at)) {
        for (at += 4; at < css.size() && css[at] != ')'; at += css[at] == '\\' ? 2 : 1) {
        }
        return std::min(at + 1, css.size());
    }
    return at + 1;
}

// The first position from `at` on, before `end`, outside brackets, blocks, strings and
// comments, that holds one of `stops`; `end` when none does.
size_t FindOutsideBlocks(std::string_view css, size_t at, size_t end, std::string_view stops) {
    std::string closers;  // of the brackets and blocks open, the innermost last
    while (at < end) {
        const char ch = css[at];
        if (closers.empty() && stops.find(ch) != std::string_view::npos)
            return at;
        const size_t next = PieceEnd(css, at);
        if (next == at + 1) {
            if (ch == '(')
                closers += ')';
            else if (ch == '[')
                closers += ']';
            else if (ch == '{')
                closers += '}';
            else if (!closers.empty() && ch == closers.back())
                closers.pop_back();
        }
        at = next;
    }
    return end;
}

// Past the white space and comments from `at`; between rules, past the "<!--" and "-->"
// that style elements hide their text with too.
size_t SkipSpace(std::string_view css, size_t at, size_t end, bool betweenRules = false) {
    while (at < end) {
        if (IsStyleSpace(css[at]))
            ++at;
        else if (StartsWith(css, at, "/*"))
            at = std::min(PieceEnd(css, at), end);
        else if (betweenRules && (StartsWith(css, at, "<!--") || StartsWith(css, at, "-->")))
            at += css[at] == '<' ? 4 : 3;
        else
            break;
    }
    return std::min(at, end);
}

bool HoldsOnlySpace(std::string_view text, bool commentsToo) {
    for (size_t at = 0; at < text.size();) {
        if (IsStyleSpace(text[at]))
            ++at;
        else if (commentsToo && StartsWith(text, at, "/*"))
            at = PieceEnd(text, at);
        else
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsStyleSpace(text.front()))
        text.remove_prefix(1);
    // A space a backslash escapes belongs to the name before it.
    const auto escaped = [&text] {
        size_t backslashes = 0;
        while (backslashes + 1 < text.size() && text[text.size() - 2 - backslashes] == '\\')
            ++backslashes;
        return backslashes % 2 == 1;
    };
    while (!text.empty() && IsStyleSpace(text.back()) && !escaped())
        text.remove_suffix(1);
    return text;
}

// ---------------------------------------------------------------- selectors

// Whether the string that starts at `at` ends with its quote. One that the line or the
// text ends is no string: copied into a combined selector, it would run on into what
// follows, or end with another selector's quote.
bool IsClosedString(std::string_view text, size_t at) {
    const char quote = text[at++];
    while (at < text.size() && text[at] != quote && text[at] != '\n')
        at += text[at] == '\\' ? 2 : 1;
    return at < text.size() && text[at] == quote;
}

bool HoldsUnclosedString(std::string_view text) {
    for (size_t at = 0; at < text.size(); at = PieceEnd(text, at))
        if ((text[at] == '"' || text[at] == '\'') && !IsClosedString(text, at))
            return true;
    return false;
}

size_t NameEnd(std::string_view text, size_t at) {
    while (at < text.size() && (IsStyleNameCharacter(text[at]) || text[at] == '\\'))
        at += text[at] == '\\' ? 2 : 1;
    return std::min(at, text.size());
}

// The inside of an attribute selector: a name (with its namespace), and maybe a match
// and a value; a case flag after the value is what the parsers refuse.
bool IsReadableAttribute(std::string_view inside) {
    size_t at = SkipSpace(inside, 0, inside.size());
    const size_t nameBegin = at;
    while (at < inside.size() && (IsStyleNameCharacter(inside[at]) || inside[at] == '\\' || inside[at] == '*' ||
                                  (inside[at] == '|' && !StartsWith(inside, at, "|="))))
        at += inside[at] == '\\' ? 2 : 1;
    if (at == nameBegin)
        return false;
    at = SkipSpace(inside, at, inside.size());
    if (at >= inside.size())
        return true;
    if (std::string_view("~|^$*").find(inside[at]) != std::string_view::npos)
        ++at;
    if (at >= inside.size() || inside[at] != '=')
        return false;
    at = SkipSpace(inside, at + 1, inside.size());
    const size_t valueBegin = at;
    at = at < inside.size() && (inside[at] == '"' || inside[at] == '\'') ? PieceEnd(inside, at) : NameEnd(inside, at);
    return at != valueBegin && SkipSpace(inside, at, inside.size()) >= inside.size();
}

// The argument of a functional pseudo-class other than :not(): names, numbers and
// strings joined by white space, '+' and '-' (":nth-child(2n + 1)", ":lang(en)").
bool IsPlainArgument(std::string_view argument) {
    for (size_t at = 0; at < argument.size();) {
        const char ch = argument[at];
        const bool afterDigit = at > 0 && IsDigit(argument[at - 1]);
        if (ch == '"' || ch == '\'' || ch == '\\' || StartsWith(argument, at, "/*"))
            at = PieceEnd(argument, at);
        else if (IsStyleSpace(ch) || IsStyleNameCharacter(ch) || ch == '+' || (ch == '%' && afterDigit) ||
                 (ch == '.' && afterDigit && at + 1 < argument.size() && IsDigit(argument[at + 1])))
            ++at;
        else
            return false;
    }
    return true;
}

bool IsReadableSelector(std::string_view selector);

// One past the pseudo-class or pseudo-element at `at` (its colons, name and argument).
size_t PseudoEnd(std::string_view text, size_t at) {
    at += StartsWith(text, at, "::") ? 2 : 1;
    at = NameEnd(text, at);
    if (at < text.size() && text[at] == '(')
        at = std::min(FindOutsideBlocks(text, at + 1, text.size(), ")") + 1, text.size());
    return at;
}

// The argument of :not(): one simple selector.
bool IsSimpleSelector(std::string_view argument) {
    size_t at = SkipSpace(argument, 0, argument.size());
    if (at >= argument.size())
        return false;
    const char ch = argument[at];
    if (ch == '.' || ch == '#') {
        const size_t end = NameEnd(argument, at + 1);
        if (end == at + 1)
            return false;
        at = end;
    } else if (ch == '[') {
        const size_t close = FindOutsideBlocks(argument, at + 1, argument.size(), "]");
        if (close >= argument.size() || !IsReadableAttribute(argument.substr(at + 1, close - at - 1)))
            return false;
        at = close + 1;
    } else if (ch == ':') {
        const size_t end = PseudoEnd(argument, at);
        if (!IsReadableSelector(argument.substr(at, end - at)))
            return false;
        at = end;
    } else {
        // A type or universal selector, with or without a namespace.
        const size_t begin = at;
        for (int part = 0; part < 2 && at < argument.size(); ++part) {
            at = argument[at] == '*' ? at + 1 : NameEnd(argument, at);
            if (part == 1 || at >= argument.size() || argument[at] != '|')
                break;
            ++at;
        }
        if (at == begin)
            return false;
    }
    return SkipSpace(argument, at, argument.size()) >= argument.size();
}

// False where the selector (or list) holds what the parsers refuse.
bool IsReadableSelector(std::string_view selector) {
    for (size_t at = 0; at < selector.size();) {
        const char ch = selector[at];
        // A '}' or ';' stands in a selector only where a sheet has one too many (a '}'
        // written inside an at-rule would close it).
        if (ch == '&' || ch == '}' || ch == ';' || StartsWith(selector, at, "||"))
            return false;
        if (ch == '"' || ch == '\'') {
            if (!IsClosedString(selector, at))
                return false;
            at = PieceEnd(selector, at);
            continue;
        }
        if (ch == '[') {
            const size_t close = FindOutsideBlocks(selector, at + 1, selector.size(), "]");
            if (!IsReadableAttribute(selector.substr(at + 1, close - at - 1)))
                return false;
            at = std::min(close + 1, selector.size());
        } else if (ch == ':') {
            const size_t nameBegin = at + (StartsWith(selector, at, "::") ? 2 : 1);
            const size_t nameEnd = NameEnd(selector, nameBegin);
            const size_t end = PseudoEnd(selector, at);
            if (end > nameEnd) {
                const std::string_view argument =
                    selector.substr(nameEnd + 1, FindOutsideBlocks(selector, nameEnd + 1, selector.size(), ")") - nameEnd - 1);
                const bool isNot = leaf::ToLowerAscii(selector.substr(nameBegin, nameEnd - nameBegin)) == "not";
                if (!(isNot ? IsSimpleSelector(argument) : IsPlainArgument(argument)))
                    return false;
            }
            at = end;
        } else {
            at = PieceEnd(selector, at);
        }
    }
    return true;
}

// One selector of a list that is something, and nothing the parsers refuse.
bool IsReadableListItem(std::string_view selector) {
    return !HoldsOnlySpace(selector, true) && IsReadableSelector(selector);
}

// A nested selector that can be put after its parent's: one with a string the line ends
// would join the parent's text to its own.
bool CanCombine(std::string_view nested) { return !HoldsOnlySpace(nested, true) && !HoldsUnclosedString(nested); }

std::vector<std::string> SplitSelectorList(std::string_view list) {
    std::vector<std::string> selectors;
    for (size_t at = 0;;) {
        const size_t comma = FindOutsideBlocks(list, at, list.size(), ",");
        selectors.emplace_back(Trim(list.substr(at, comma - at)));
        if (comma >= list.size())
            return selectors;
        at = comma + 1;
    }
}

// A nested selector in the place of its parent's: "&" stands for the parent, and a
// selector without one is the parent's descendant (or, starting with a combinator, its
// child or sibling).
std::string Combine(std::string_view parent, std::string_view nested) {
    std::string combined;
    bool sawParent = false;
    for (size_t at = 0; at < nested.size();) {
        const size_t next = PieceEnd(nested, at);
        if (nested[at] == '&') {
            combined += parent;
            sawParent = true;
        } else {
            combined.append(nested, at, next - at);
        }
        at = next;
    }
    if (sawParent)
        return combined;
    return std::string(parent) + " " + combined;
}

std::string JoinSelectorList(const std::vector<std::string>& selectors) {
    std::string list;
    for (const std::string& selector : selectors)
        list += (list.empty() ? "" : ", ") + selector;
    return list;
}

// ---------------------------------------------------------------- rules

bool IsGroupRule(std::string_view name) {
    const std::string lower = leaf::ToLowerAscii(name);
    return lower == "media" || lower == "supports" || lower == "container" || lower == "layer" || lower == "scope" ||
           lower == "starting-style" || lower == "document" || lower == "-moz-document";
}

// What stands in a style rule's block besides declarations.
struct NestedItem {
    size_t begin = 0;  // its first character
    size_t open = 0;   // its '{', or the ';' or end of an at-rule without a block
    size_t close = 0;  // its '}' (or the block's end when unclosed)
    bool atRule = false;
    bool hasBlock = true;
};

class Flattener {
public:
    explicit Flattener(std::string_view css) : m_css(css) {}

    // Writes the rules of css[begin, end): the sheet, or a group at-rule's block.
    void WriteRuleList(size_t begin, size_t end, size_t depth);

    std::string& Written() { return m_out; }
    const FlatStyleRules& Result() const { return m_result; }

private:
    std::vector<NestedItem> ReadBlock(size_t begin, size_t end) const;
    std::string_view AtRuleName(size_t at) const { return m_css.substr(at + 1, NameEnd(m_css, at + 1) - at - 1); }
    void Copy(size_t begin, size_t end) { m_out.append(m_css, begin, end - begin); }
    // Writes a rule of `selectors` whose block is css[begin, end) flat.
    // `readableParents`: false under a parent whose selectors the parsers refuse.
    void WriteRule(const std::vector<std::string>& selectors, size_t begin, size_t end, size_t depth,
                   bool readableParents = true);
    void WriteDeclarations(const std::string& selectors, bool readable, size_t begin, size_t end);

    std::string_view m_css;
    std::string m_out;
    FlatStyleRules m_result;
};

void Flattener::WriteRuleList(size_t begin, size_t end, size_t depth) {
    size_t at = begin;
    while (at < end) {
        const size_t start = SkipSpace(m_css, at, end, true);
        Copy(at, start);
        at = start;
        if (at >= end)
            break;
        if (m_css[at] == '@') {
            const size_t stop = FindOutsideBlocks(m_css, at, end, ";{");
            if (stop >= end || m_css[stop] == ';') {
                at = std::min(stop + 1, end);
                Copy(start, at);
                continue;
            }
            const size_t close = FindOutsideBlocks(m_css, stop + 1, end, "}");
            if (IsGroupRule(AtRuleName(at)) && depth < kMaxDepth) {
                Copy(at, stop + 1);
                WriteRuleList(stop + 1, close, depth + 1);
                Copy(close, std::min(close + 1, end));
            } else {
                Copy(at, std::min(close + 1, end));
            }
            at = std::min(close + 1, end);
            continue;
        }
        const size_t open = FindOutsideBlocks(m_css, at, end, "{");
        if (open >= end) {  // text that is no rule: copied as it stands
            Copy(at, end);
            break;
        }
        const size_t close = FindOutsideBlocks(m_css, open + 1, end, "}");
        const std::vector<std::string> selectors = SplitSelectorList(m_css.substr(at, open - at));
        if (!ReadBlock(open + 1, close).empty())
            WriteRule(selectors, open + 1, close, 0);
        else if (std::all_of(selectors.begin(), selectors.end(), IsReadableListItem))
            Copy(at, std::min(close + 1, end));
        else
            ++m_result.leftOut;
        at = std::min(close + 1, end);
    }
}

std::vector<NestedItem> Flattener::ReadBlock(size_t begin, size_t end) const {
    std::vector<NestedItem> items;
    size_t at = begin;
    while ((at = SkipSpace(m_css, at, end)) < end) {
        NestedItem item;
        item.begin = at;
        item.atRule = m_css[at] == '@';
        // A custom property's value may hold a block: it is a declaration all the same.
        const bool customProperty = StartsWith(m_css, at, "--");
        item.open = FindOutsideBlocks(m_css, at, end, customProperty ? ";" : ";{");
        if (item.open >= end || m_css[item.open] == ';') {
            at = item.open + 1;
            if (!item.atRule)
                continue;  // a declaration
            item.hasBlock = false;
            item.close = item.open;
        } else {
            item.close = FindOutsideBlocks(m_css, item.open + 1, end, "}");
            at = item.close + 1;
        }
        items.push_back(item);
    }
    return items;
}

void Flattener::WriteRule(const std::vector<std::string>& selectors, size_t begin, size_t end, size_t depth,
                          bool readableParents) {
    const std::string list = JoinSelectorList(selectors);
    const bool readable = readableParents && std::all_of(selectors.begin(), selectors.end(), IsReadableListItem);
    size_t declarations = begin;
    for (const NestedItem& item : ReadBlock(begin, end)) {
        WriteDeclarations(list, readable, declarations, item.begin);
        declarations = std::min(item.close + 1, end);
        if (item.atRule && item.hasBlock && IsGroupRule(AtRuleName(item.begin)) && depth < kMaxDepth) {
            // The at-rule goes around the parent's selectors and what it held.
            ++m_result.flattened;
            m_out += Trim(m_css.substr(item.begin, item.open - item.begin));
            m_out += " {\n";
            WriteRule(selectors, item.open + 1, item.close, depth + 1, readable);
            m_out += "}\n";
            continue;
        }
        if (item.atRule || depth >= kMaxDepth) {  // no at-rule of another kind stands in a style rule
            ++m_result.leftOut;
            continue;
        }
        // Parent by parent, as the parents' list reads: "a, b { c, d {} }" gives "a c, a d, b c, b d".
        const std::vector<std::string> nestedSelectors =
            SplitSelectorList(m_css.substr(item.begin, item.open - item.begin));
        std::vector<std::string> combined;
        size_t size = 0;
        for (size_t parent = 0; parent < selectors.size() && size <= kMaxSelectorText; ++parent)
            for (size_t nested = 0; nested < nestedSelectors.size() && size <= kMaxSelectorText; ++nested) {
                combined.push_back(Combine(selectors[parent], nestedSelectors[nested]));
                size += combined.back().size() + 2;
            }
        if (size > kMaxSelectorText) {
            ++m_result.leftOut;
            continue;
        }
        ++m_result.flattened;
        WriteRule(combined, item.open + 1, item.close, depth + 1,
                  readable && std::all_of(nestedSelectors.begin(), nestedSelectors.end(), CanCombine));
    }
    WriteDeclarations(list, readable, declarations, end);
}

void Flattener::WriteDeclarations(const std::string& selectors, bool readable, size_t begin, size_t end) {
    const std::string_view declarations = m_css.substr(begin, end - begin);
    if (HoldsOnlySpace(declarations, false))
        return;
    if (HoldsOnlySpace(declarations, true)) {  // comments: kept between the rules
        m_out += Trim(declarations);
        m_out += '\n';
        return;
    }
    if (!readable) {
        ++m_result.leftOut;
        return;
    }
    m_out += selectors;
    m_out += " {";
    m_out += declarations;
    m_out += "}\n";
}

}  // namespace

FlatStyleRules FlattenStyleRules(std::string& css) {
    Flattener flattener(css);
    flattener.WriteRuleList(0, css.size(), 0);
    const FlatStyleRules result = flattener.Result();
    if (result.flattened + result.leftOut > 0)
        css = std::move(flattener.Written());
    return result;
}

}  // namespace litgen
