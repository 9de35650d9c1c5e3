#include "outside/litgen/DirectionDeclarations.h"

#include <string_view>

#include "outside/litgen/StyleText.h"
#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"

namespace litgen {

namespace {

// Keeps count of the brackets a character opens or closes.
void CountBracket(char ch, int& depth) {
    if (ch == '(' || ch == '[')
        ++depth;
    else if ((ch == ')' || ch == ']') && depth > 0)
        --depth;
}

size_t SkipSpaceAndComments(std::string_view css, size_t at) {
    while (at < css.size()) {
        if (IsStyleSpace(css[at]))
            ++at;
        else if (css.compare(at, 2, "/*") == 0)
            at = StyleCommentOrStringEnd(css, at);
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
        const size_t skipped = StyleCommentOrStringEnd(css, at);
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
        const size_t skipped = StyleCommentOrStringEnd(value, at);
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

// What becomes of a declaration the walk meets: it stays, it goes (with its ';' and the
// space after it), or its value is written anew.
struct DeclarationEdit {
    enum class Kind { Keep, Remove, Rewrite } kind = Kind::Keep;
    std::string value;  // the new value of a rewritten declaration
};

// Walks the declarations of `css` (a sheet's rules or an attribute's declarations),
// outside comments, strings and brackets, handing each its lower-cased name and its value
// as written, and applies the edits `visit` answers. True when it changed the text.
template <class Visit>
bool EditDeclarations(std::string& css, Visit visit) {
    std::string out;
    bool edited = false;
    size_t copied = 0;  // css[copied, at) is not yet in out
    bool declarationStart = true;
    int depth = 0;  // of brackets: a declaration begins outside them
    size_t at = 0;
    while (at < css.size()) {
        const size_t skipped = StyleCommentOrStringEnd(css, at);
        if (skipped != at) {
            declarationStart = declarationStart && css[at] == '/';
            at = skipped;
            continue;
        }
        const char ch = css[at];
        if (IsStyleSpace(ch)) {
            ++at;
            continue;
        }
        if (ch == '\\') {
            declarationStart = false;
            at += 2;
            continue;
        }
        CountBracket(ch, depth);
        if (!declarationStart || depth > 0 || !IsStyleNameCharacter(ch)) {
            declarationStart = depth == 0 && (ch == '{' || ch == '}' || ch == ';');
            ++at;
            continue;
        }
        size_t nameEnd = at;
        while (nameEnd < css.size() && IsStyleNameCharacter(css[nameEnd]))
            ++nameEnd;
        const std::string name = leaf::ToLowerAscii(std::string_view(css).substr(at, nameEnd - at));
        const size_t colon = SkipSpaceAndComments(css, nameEnd);
        const size_t valueEnd = colon < css.size() && css[colon] == ':' ? ValueEnd(css, colon + 1) : std::string::npos;
        if (valueEnd == std::string::npos) {
            declarationStart = false;
            at = nameEnd;
            continue;
        }
        const DeclarationEdit edit = visit(name, std::string_view(css).substr(colon + 1, valueEnd - colon - 1));
        if (edit.kind == DeclarationEdit::Kind::Keep) {
            declarationStart = false;
            at = valueEnd;
            continue;
        }
        edited = true;
        if (edit.kind == DeclarationEdit::Kind::Rewrite) {
            out.append(css, copied, colon + 1 - copied);
            out += edit.value;
            copied = valueEnd;
            at = valueEnd;
            declarationStart = false;
            continue;
        }
        size_t end = valueEnd < css.size() && css[valueEnd] == ';' ? valueEnd + 1 : valueEnd;
        while (end < css.size() && IsStyleSpace(css[end]))
            ++end;
        out.append(css, copied, at - copied);
        copied = end;
        at = end;
        declarationStart = true;
    }
    if (edited) {
        out.append(css, copied, std::string::npos);
        css = std::move(out);
    }
    return edited;
}

// The number a value is, where it is a plain number and nothing else ("12", " 10.5 ",
// "9 !important"): where the number ends in the value; npos otherwise.
size_t PlainNumberEnd(std::string_view value) {
    size_t at = 0;
    while (at < value.size() && IsStyleSpace(value[at]))
        ++at;
    const size_t start = at;
    bool digits = false;
    bool point = false;
    for (; at < value.size(); ++at) {
        if (value[at] >= '0' && value[at] <= '9')
            digits = true;
        else if (value[at] == '.' && !point)
            point = true;
        else
            break;
    }
    if (!digits || at == start)
        return std::string_view::npos;
    const size_t numberEnd = at;
    while (at < value.size() && IsStyleSpace(value[at]))
        ++at;
    if (at < value.size() && Keyword(value.substr(at)) != "")
        return std::string_view::npos;  // more than a number: kept as it is
    return numberEnd;
}

}  // namespace

DirectionDeclarations RemoveDirectionDeclarations(std::string& css) {
    DirectionDeclarations result;
    EditDeclarations(css, [&](const std::string& name, std::string_view written) {
        if (name != "direction" && name != "unicode-bidi")
            return DeclarationEdit{};
        const std::string value = Keyword(written);
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
        return DeclarationEdit{DeclarationEdit::Kind::Remove, {}};
    });
    return result;
}

size_t GiveFontSizesTheirUnit(std::string& css) {
    size_t given = 0;
    EditDeclarations(css, [&](const std::string& name, std::string_view written) {
        if (name != "font-size")
            return DeclarationEdit{};
        const size_t numberEnd = PlainNumberEnd(written);
        if (numberEnd == std::string_view::npos)
            return DeclarationEdit{};
        const std::string_view number = written.substr(0, numberEnd);
        if (number.find_first_of("123456789") == std::string_view::npos)
            return DeclarationEdit{};  // zero needs no unit
        ++given;
        std::string value(number);
        value += "px";
        value += written.substr(numberEnd);
        return DeclarationEdit{DeclarationEdit::Kind::Rewrite, std::move(value)};
    });
    return given;
}

}  // namespace litgen
