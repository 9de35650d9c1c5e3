#include "outside/litgen/StyleReferences.h"

#include <cctype>

#include "common/StyleSheetUrls.h"
#include "outside/litgen/StyleText.h"
#include "outside/litgen/XmlText.h"

namespace litgen {
namespace {

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
    if (at + word.size() > text.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i])
            return false;
    return true;
}

// The end of the quoted string that starts at `at` (one past its closing quote, or the
// end of the text), its value with backslash escapes of single characters undone.
size_t ReadString(std::string_view text, size_t at, std::string& value) {
    const char quote = text[at++];
    while (at < text.size() && text[at] != quote) {
        if (text[at] == '\\' && at + 1 < text.size())
            ++at;
        value += text[at++];
    }
    return at < text.size() ? at + 1 : at;
}

// The position of the ')' that closes a function whose argument goes on at `at` (strings,
// comments and nested brackets passed over); the end of the text when none does.
size_t SkipToClose(std::string_view text, size_t at) {
    int depth = 0;
    while (at < text.size()) {
        const char ch = text[at];
        if (ch == '"' || ch == '\'') {
            std::string ignored;
            at = ReadString(text, at, ignored);
            continue;
        }
        if (ch == '/' && at + 1 < text.size() && text[at + 1] == '*') {
            const size_t close = text.find("*/", at + 2);
            at = close == std::string_view::npos ? text.size() : close + 2;
            continue;
        }
        if (ch == '\\') {
            at += 2;
            continue;
        }
        if (ch == '(')
            ++depth;
        else if (ch == ')' && depth-- == 0)
            return at;
        ++at;
    }
    return text.size();
}

// What a reference names in the publication; nothing (a web address, inline data, a
// place in the document itself) gives a target that is neither missing nor rewritten.
StyleReferenceTarget Look(const std::string& target, std::string_view documentPath, const StyleReferenceLookup& lookup,
                          std::string& fragment) {
    if (target.empty() || target[0] == '#')
        return {};
    const size_t colon = target.find(':');
    const size_t slash = target.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash))
        return {};  // a web address or inline data
    const LinkTarget resolved = ResolveLink(target, documentPath);
    if (!resolved.local)
        return {true, {}};  // climbs out of the publication
    if (resolved.path.empty())
        return {};
    if (resolved.hasFragment)
        fragment = "#" + EncodeHrefPath(resolved.fragment);
    return lookup(resolved.path);
}

}  // namespace

size_t MapStyleReferences(std::string& css, std::string_view documentPath, const StyleReferenceLookup& lookup,
                          std::vector<std::string>* dropped) {
    size_t count = 0;
    bool changed = false;
    std::string out;
    size_t copied = 0;  // css[copied, at) is not yet in out
    const auto replace = [&](size_t begin, size_t end, std::string_view replacement) {
        out.append(css, copied, begin - copied);
        out += replacement;
        copied = end;
        changed = true;
    };
    const auto takeOut = [&](size_t begin, size_t end, std::string_view replacement, const std::string& target) {
        replace(begin, end, replacement);
        ++count;
        if (dropped != nullptr)
            dropped->push_back(target);
    };
    size_t at = 0;
    while (at < css.size()) {
        const char ch = css[at];
        if (ch == '/' && at + 1 < css.size() && css[at + 1] == '*') {
            const size_t close = css.find("*/", at + 2);
            at = close == std::string::npos ? css.size() : close + 2;
        } else if (ch == '"' || ch == '\'') {
            std::string ignored;
            at = ReadString(css, at, ignored);
        } else if (ch == '\\') {
            at += 2;
        } else if ((ch == 'u' || ch == 'U') && StartsWithNoCase(css, at, "url(") &&
                   (at == 0 || !(std::isalnum(static_cast<unsigned char>(css[at - 1])) || css[at - 1] == '-'))) {
            size_t inner = at + 4;
            while (inner < css.size() && IsStyleSpace(css[inner]))
                ++inner;
            std::string target;
            const bool quoted = inner < css.size() && (css[inner] == '"' || css[inner] == '\'');
            if (quoted) {
                inner = ReadString(css, inner, target);
            } else {
                while (inner < css.size() && css[inner] != ')' && !IsStyleSpace(css[inner])) {
                    if (css[inner] == '\\' && inner + 1 < css.size())
                        ++inner;
                    target += css[inner++];
                }
            }
            while (inner < css.size() && IsStyleSpace(css[inner]))
                ++inner;
            if (inner < css.size() && css[inner] != ')') {
                if (!quoted) {
                    // A bare url that does not end where it should names nothing a reader
                    // loads; as a reader does, it is passed over up to its ')'.
                    const size_t close = css.find(')', inner);
                    at = close == std::string::npos ? css.size() : close + 1;
                    continue;
                }
                // A quoted url with more before its ')': the function runs on to it.
                inner = SkipToClose(css, inner);
            }
            const size_t end = inner < css.size() ? inner + 1 : css.size();
            std::string fragment;
            const StyleReferenceTarget found = Look(target, documentPath, lookup, fragment);
            if (!found.missing && !found.rewritten.empty()) {
                // The new name, quoted; a reference that ran on to the end of the text keeps it open.
                replace(at, end, "url(" + leaf::QuotedStyleSheetString(found.rewritten + fragment) + (end > inner ? ")" : ""));
            } else if (found.missing) {
                // "@import url(x);" goes whole, as an import of a quoted name does.
                size_t before = at;
                while (before > 0 && IsStyleSpace(css[before - 1]))
                    --before;
                const size_t semicolon = css.find(';', end);
                const size_t ruleEnd = semicolon == std::string::npos ? css.size() : semicolon + 1;
                if (before >= 7 && before - 7 >= copied && StartsWithNoCase(css, before - 7, "@import") &&
                    css.find_first_of("\"'\\({[/", end) >= ruleEnd) {
                    takeOut(before - 7, ruleEnd, " ", target);
                    at = ruleEnd;
                    continue;
                }
                // "none" must not run on into a name that follows ("noneurl(" is one word).
                const bool joins = end < css.size() && (std::isalnum(static_cast<unsigned char>(css[end])) ||
                                                        css[end] == '-' || css[end] == '_' || css[end] == '\\' ||
                                                        static_cast<unsigned char>(css[end]) >= 0x80);
                takeOut(at, end, joins ? "none " : "none", target);
            }
            at = end;
        } else if (ch == '@' && StartsWithNoCase(css, at, "@import")) {
            size_t inner = at + 7;
            while (inner < css.size() && IsStyleSpace(css[inner]))
                ++inner;
            if (inner < css.size() && (css[inner] == '"' || css[inner] == '\'')) {
                std::string target;
                const size_t afterName = ReadString(css, inner, target);
                const size_t semicolon = css.find(';', afterName);
                const size_t end = semicolon == std::string::npos ? css.size() : semicolon + 1;
                std::string fragment;
                const StyleReferenceTarget found = Look(target, documentPath, lookup, fragment);
                if (!found.missing && !found.rewritten.empty() && afterName > inner + 1 &&
                    css[afterName - 1] == css[inner]) {
                    replace(inner, afterName, leaf::QuotedStyleSheetString(found.rewritten + fragment));
                } else if (found.missing) {
                    // The rule goes whole when nothing in it could open a string or a
                    // block that later text depends on; else only the name is emptied.
                    const bool plain = css.find_first_of("\"'\\({[/", afterName) >= end;
                    // A space keeps the text around it apart ("a@import "x";url(" is not "aurl(").
                    if (plain)
                        takeOut(at, end, " ", target);
                    else
                        takeOut(inner, afterName, "\"\"", target);
                    at = plain ? end : afterName;
                    continue;
                }
                at = afterName;
                continue;
            }
            at += 7;  // "@import url(...)" is read as a url()
        } else {
            ++at;
        }
    }
    if (!changed)
        return 0;
    out.append(css, copied, std::string::npos);
    css = std::move(out);
    return count;
}

}  // namespace litgen
