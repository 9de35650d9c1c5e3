#include "outside/fontembedder/FontUsageScanner.h"

#include <cctype>
#include <cstdint>

#include "markup/ByteOrderMark.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace fontembed {
namespace {

// Elements nested deeper than this take their parent's font without being tracked, so
// a page of unclosed tags costs linear time.
constexpr size_t kMaxOpenElements = 512;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.';
}

struct HtmlToken {
    enum class Type { StartTag, EndTag, Text, StyleText };
    Type type;
    std::string name;  // lower-cased tag name
    std::map<std::string, std::string> attributes;
    bool selfClosing = false;
    std::string text;
};

// The position of "</name" (any case) from `pos`, or the end.
size_t FindEndTag(std::string_view text, size_t pos, const std::string& name) {
    for (size_t at = text.find("</", pos); at != std::string_view::npos; at = text.find("</", at + 2)) {
        if (ToLowerAscii(text.substr(at + 2, name.size())) == name &&
            (at + 2 + name.size() >= text.size() || !IsNameChar(text[at + 2 + name.size()])))
            return at;
    }
    return text.size();
}

// Reads the attributes of a start tag from `pos` up to its '>'; returns the position
// after the '>'.
size_t ReadAttributes(std::string_view text, size_t pos, HtmlToken& token) {
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '>')
            return pos + 1;
        if (IsSpace(c)) {
            ++pos;
            continue;
        }
        if (c == '/') {
            token.selfClosing = pos + 1 < text.size() && text[pos + 1] == '>';
            ++pos;
            continue;
        }
        size_t nameStart = pos;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '=' && text[pos] != '>' && text[pos] != '/')
            ++pos;
        if (pos == nameStart) {
            ++pos;  // a stray '=' or quote
            continue;
        }
        std::string name = ToLowerAscii(text.substr(nameStart, pos - nameStart));
        size_t look = pos;
        while (look < text.size() && IsSpace(text[look]))
            ++look;
        std::string value;
        if (look < text.size() && text[look] == '=') {
            pos = look + 1;
            while (pos < text.size() && IsSpace(text[pos]))
                ++pos;
            if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
                size_t close = text.find(text[pos], pos + 1);
                if (close == std::string_view::npos)
                    close = text.size();
                value = std::string(text.substr(pos + 1, close - pos - 1));
                pos = close < text.size() ? close + 1 : close;
            } else {
                size_t valueStart = pos;
                while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '>')
                    ++pos;
                value = std::string(text.substr(valueStart, pos - valueStart));
            }
        }
        token.attributes.emplace(std::move(name), std::move(value));
    }
    return text.size();
}

std::vector<HtmlToken> TokenizeHtml(std::string_view text) {
    std::vector<HtmlToken> tokens;
    size_t pos = 0;
    auto addText = [&](std::string_view piece) {
        if (!tokens.empty() && tokens.back().type == HtmlToken::Type::Text)
            tokens.back().text.append(piece);
        else
            tokens.push_back({HtmlToken::Type::Text, {}, {}, false, std::string(piece)});
    };
    while (pos < text.size()) {
        if (text[pos] != '<') {
            size_t next = text.find('<', pos);
            if (next == std::string_view::npos)
                next = text.size();
            addText(text.substr(pos, next - pos));
            pos = next;
            continue;
        }
        if (text.substr(pos, 4) == "<!--") {
            size_t end = text.find("-->", pos + 4);
            pos = end == std::string_view::npos ? text.size() : end + 3;
            continue;
        }
        char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
        if (next == '!' || next == '?') {
            size_t end = text.find('>', pos);
            pos = end == std::string_view::npos ? text.size() : end + 1;
            continue;
        }
        bool endTag = next == '/';
        size_t nameStart = pos + (endTag ? 2 : 1);
        if (nameStart >= text.size() || !std::isalpha(static_cast<unsigned char>(text[nameStart]))) {
            addText("<");
            ++pos;
            continue;
        }
        size_t nameEnd = nameStart;
        while (nameEnd < text.size() && IsNameChar(text[nameEnd]))
            ++nameEnd;
        HtmlToken token{endTag ? HtmlToken::Type::EndTag : HtmlToken::Type::StartTag,
                        ToLowerAscii(text.substr(nameStart, nameEnd - nameStart)), {}, false, {}};
        if (endTag) {
            size_t end = text.find('>', nameEnd);
            pos = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            pos = ReadAttributes(text, nameEnd, token);
        }
        std::string name = token.name;
        bool raw = !endTag && !token.selfClosing && (name == "style" || name == "script" || name == "title");
        tokens.push_back(std::move(token));
        if (raw) {
            size_t end = FindEndTag(text, pos, name);
            if (name == "style")
                tokens.push_back({HtmlToken::Type::StyleText, name, {}, false, std::string(text.substr(pos, end - pos))});
            pos = end;
        }
    }
    return tokens;
}

std::u32string DecodeText(std::string_view bytes) {
    std::u16string units = leaf::Utf8ToUtf16(bytes);
    std::u32string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// Replaces the common character entities and numeric references; others stay as written.
std::u32string DecodeEntities(std::u32string_view text) {
    static const std::map<std::u32string, char32_t> kNamed = {
        {U"amp", U'&'}, {U"lt", U'<'}, {U"gt", U'>'}, {U"quot", U'"'}, {U"apos", U'\''}, {U"nbsp", 0xA0}};
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t semicolon = text[i] == U'&' ? text.find(U';', i + 1) : std::u32string_view::npos;
        if (semicolon == std::u32string_view::npos || semicolon - i > 10) {
            out.push_back(text[i]);
            continue;
        }
        std::u32string_view name = text.substr(i + 1, semicolon - i - 1);
        if (name.size() > 1 && name[0] == U'#') {
            bool hex = name[1] == U'x' || name[1] == U'X';
            std::uint32_t value = 0;
            bool valid = name.size() > (hex ? 2u : 1u);
            for (size_t k = hex ? 2 : 1; k < name.size() && valid; ++k) {
                char32_t d = name[k];
                int digit = d >= U'0' && d <= U'9' ? int(d - U'0')
                            : hex && d >= U'a' && d <= U'f' ? int(d - U'a' + 10)
                            : hex && d >= U'A' && d <= U'F' ? int(d - U'A' + 10)
                                                            : -1;
                valid = digit >= 0;
                value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
                if (value > 0x10FFFF)
                    valid = false;
            }
            if (valid) {
                out.push_back(static_cast<char32_t>(value));
                i = semicolon;
                continue;
            }
        } else if (auto found = kNamed.find(std::u32string(name)); found != kNamed.end()) {
            out.push_back(found->second);
            i = semicolon;
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

bool CountsAsCharacter(char32_t c) {
    return c > 0x20 && !(c >= 0x7F && c <= 0xA0) && c != 0xFEFF && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

// The last compound of a selector ("div.note > p.x:first-child" gives "p.x").
std::string_view LastCompound(std::string_view selector) {
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < selector.size(); ++i) {
        char c = selector[i];
        if (c == '[' || c == '(')
            ++depth;
        else if ((c == ']' || c == ')') && depth > 0)
            --depth;
        else if (depth == 0 && (IsSpace(c) || c == '>' || c == '+' || c == '~'))
            start = i + 1;
    }
    return selector.substr(start);
}

struct ElementFacts {
    const std::string& tag;
    std::vector<std::string> classes;
    std::string id;
};

bool SelectorMatches(std::string_view selector, const ElementFacts& element) {
    std::string_view compound = LastCompound(selector);
    if (compound.empty())
        return false;
    std::string tag;
    std::vector<std::string> classes;
    std::string id;
    size_t pos = 0;
    while (pos < compound.size() && (IsNameChar(compound[pos]) || compound[pos] == '*') && compound[pos] != '.' &&
           compound[pos] != ':')
        tag.push_back(compound[pos++]);
    while (pos < compound.size()) {
        char c = compound[pos];
        if (c == '.' || c == '#') {
            size_t end = pos + 1;
            while (end < compound.size() && IsNameChar(compound[end]) && compound[end] != '.' && compound[end] != ':')
                ++end;
            std::string part(compound.substr(pos + 1, end - pos - 1));
            if (c == '.')
                classes.push_back(std::move(part));
            else
                id = std::move(part);
            pos = end;
        } else if (c == '[') {
            size_t end = compound.find(']', pos);
            pos = end == std::string_view::npos ? compound.size() : end + 1;
        } else {
            break;  // a pseudo-class or pseudo-element: ignored
        }
    }
    if (!tag.empty() && tag != "*" && ToLowerAscii(tag) != element.tag)
        return false;
    if (!id.empty() && id != element.id)
        return false;
    for (const std::string& wanted : classes) {
        bool found = false;
        for (const std::string& have : element.classes)
            found = found || have == wanted;
        if (!found)
            return false;
    }
    return true;
}

std::vector<std::string> SplitClasses(const std::string& value) {
    std::vector<std::string> classes;
    size_t pos = 0;
    while (pos < value.size()) {
        while (pos < value.size() && IsSpace(value[pos]))
            ++pos;
        size_t end = pos;
        while (end < value.size() && !IsSpace(value[end]))
            ++end;
        if (end > pos)
            classes.emplace_back(value.substr(pos, end - pos));
        pos = end;
    }
    return classes;
}

bool IsVoidElement(const std::string& tag) {
    static const std::set<std::string> kVoid = {"area", "base", "br",   "col",   "embed",  "hr",    "img",
                                                "input", "link", "meta", "param", "source", "track", "wbr"};
    return kVoid.count(tag) != 0;
}

std::string SheetKey(const std::string& path) { return leaf::path::LexicallyNormal(leaf::path::Normalize(path)); }

// The style sheet a link names, as a path: relative links are taken from the page's
// folder; a fragment or query is dropped; URLs with a scheme name no file of the book.
std::string LinkedSheetPath(const std::string& pagePath, std::string href) {
    href = href.substr(0, href.find_first_of("?#"));
    size_t colon = href.find(':');
    if (href.empty() || (colon != std::string::npos && colon < href.find('/')))
        return {};
    return SheetKey(leaf::path::Join(leaf::path::FolderPart(leaf::path::Normalize(pagePath)),
                                     leaf::path::Normalize(href)));
}

}  // namespace

void CFontUsageScanner::AddStyleSheet(const std::string& path, std::string_view bytes) {
    std::vector<CssRule> rules = ParseCssRules(leaf::markup::SourceTextAsUtf8(bytes));
    RecordRules(rules);
    m_sheets[SheetKey(path)] = std::move(rules);
}

void CFontUsageScanner::ScanPage(const std::string& path, std::string_view bytes) {
    const std::string text = leaf::markup::SourceTextAsUtf8(bytes);
    std::vector<HtmlToken> tokens = TokenizeHtml(text);

    std::vector<CssRule> rules;
    for (const HtmlToken& token : tokens) {
        if (token.type == HtmlToken::Type::StyleText) {
            std::vector<CssRule> own = ParseCssRules(token.text);
            RecordRules(own);
            rules.insert(rules.end(), own.begin(), own.end());
        } else if (token.type == HtmlToken::Type::StartTag && token.name == "link") {
            auto rel = token.attributes.find("rel");
            auto href = token.attributes.find("href");
            if (rel == token.attributes.end() || href == token.attributes.end() ||
                ToLowerAscii(rel->second).find("stylesheet") == std::string::npos)
                continue;
            auto sheet = m_sheets.find(LinkedSheetPath(path, href->second));
            if (sheet != m_sheets.end())
                rules.insert(rules.end(), sheet->second.begin(), sheet->second.end());
        }
    }
    std::vector<std::pair<CssRule, FontSpec>> fontRules;
    for (CssRule& rule : rules) {
        FontSpec fontSpec = FontSpecFromDeclarations(rule.declarations);
        if (!rule.fontFace && (fontSpec.families || fontSpec.weight || fontSpec.italic))
            fontRules.emplace_back(std::move(rule), std::move(fontSpec));
    }

    auto apply = [](const FontSpec& fontSpec, FontState& state) {
        if (fontSpec.families)
            state.families = *fontSpec.families;
        if (fontSpec.weight)
            state.weight = *fontSpec.weight;
        if (fontSpec.italic)
            state.italic = *fontSpec.italic;
    };

    std::vector<std::pair<std::string, FontState>> open;
    const FontState base;
    for (const HtmlToken& token : tokens) {
        const FontState& current = open.empty() ? base : open.back().second;
        if (token.type == HtmlToken::Type::Text) {
            AddText(current, DecodeEntities(DecodeText(token.text)));
        } else if (token.type == HtmlToken::Type::EndTag) {
            for (size_t i = open.size(); i-- > 0;) {
                if (open[i].first == token.name) {
                    open.resize(i);
                    break;
                }
            }
        } else if (token.type == HtmlToken::Type::StartTag) {
            FontState state = current;
            const std::string& tag = token.name;
            if (tag == "b" || tag == "strong" || tag == "th" ||
                (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6'))
                state.weight = kWeightBold;
            if (tag == "i" || tag == "em" || tag == "cite" || tag == "var" || tag == "address")
                state.italic = true;
            auto attribute = [&](const char* name) {
                auto found = token.attributes.find(name);
                return found == token.attributes.end() ? std::string() : found->second;
            };
            ElementFacts facts{tag, SplitClasses(attribute("class")), attribute("id")};
            for (const auto& [rule, fontSpec] : fontRules) {
                for (const std::string& selector : rule.selectors) {
                    if (SelectorMatches(selector, facts)) {
                        apply(fontSpec, state);
                        break;
                    }
                }
            }
            FontSpec inlineSpec;
            if (tag == "font" && token.attributes.count("face"))
                inlineSpec.families = ParseFontFamilyList(attribute("face"));
            if (token.attributes.count("style")) {
                FontSpec styleSpec = FontSpecFromDeclarations(ParseCssDeclarations(attribute("style")));
                if (styleSpec.families)
                    inlineSpec.families = styleSpec.families;
                inlineSpec.weight = styleSpec.weight;
                inlineSpec.italic = styleSpec.italic;
            }
            apply(inlineSpec, state);
            if (inlineSpec.families)
                for (const std::string& family : *inlineSpec.families)
                    UsageFor(family, state.weight, state.italic);
            if (!token.selfClosing && !IsVoidElement(tag) && open.size() < kMaxOpenElements)
                open.emplace_back(tag, std::move(state));
        }
    }
}

void CFontUsageScanner::RecordRules(const std::vector<CssRule>& rules) {
    for (const CssRule& rule : rules) {
        FontSpec fontSpec = FontSpecFromDeclarations(rule.declarations);
        if (!fontSpec.families || fontSpec.families->empty())
            continue;
        LONG weight = fontSpec.weight.value_or(kWeightNormal);
        bool italic = fontSpec.italic.value_or(false);
        if (!rule.fontFace) {
            for (const std::string& family : *fontSpec.families)
                UsageFor(family, weight, italic);
            continue;
        }
        // @font-face: the family it declares comes from its own source.
        std::string url;
        for (const CssDeclaration& declaration : rule.declarations) {
            if (declaration.name != "src")
                continue;
            size_t start = ToLowerAscii(declaration.value).find("url(");
            if (start == std::string::npos)
                continue;
            size_t end = declaration.value.find(')', start);
            std::string_view inner = TrimCss(std::string_view(declaration.value).substr(start + 4, end - start - 4));
            if (inner.size() >= 2 && (inner.front() == '"' || inner.front() == '\'') && inner.back() == inner.front())
                inner = inner.substr(1, inner.size() - 2);
            url = std::string(inner);
        }
        if (!url.empty())
            m_external[ToLowerAscii(fontSpec.families->front())] = url;
        UsageFor(fontSpec.families->front(), weight, italic);
    }
}

FontUsage& CFontUsageScanner::UsageFor(const std::string& family, LONG weight, bool italic) {
    UsageKey key{ToLowerAscii(family), weight, italic};
    auto [found, inserted] = m_index.emplace(key, m_usages.size());
    if (inserted)
        m_usages.push_back(FontUsage{family, weight, italic, {}, {}});
    return m_usages[found->second];
}

void CFontUsageScanner::AddText(const FontState& state, std::u32string_view text) {
    if (state.families.empty())
        return;
    // Every entry is made before pointers are taken: making one may move the others.
    for (const std::string& family : state.families)
        UsageFor(family, state.weight, state.italic);
    std::vector<FontUsage*> targets;
    for (const std::string& family : state.families)
        targets.push_back(&UsageFor(family, state.weight, state.italic));
    for (char32_t c : text)
        if (CountsAsCharacter(c))
            for (FontUsage* usage : targets)
                usage->characters.insert(c);
}

std::vector<FontUsage> CFontUsageScanner::Usages() const {
    // A family that some text uses is listed with the weights and styles that text has;
    // the other combinations the sheets mention are left out, since nothing needs them.
    std::set<std::string> familiesWithText;
    for (const FontUsage& usage : m_usages)
        if (!usage.characters.empty())
            familiesWithText.insert(ToLowerAscii(usage.family));
    std::vector<FontUsage> result;
    for (const FontUsage& usage : m_usages) {
        std::string key = ToLowerAscii(usage.family);
        if (usage.characters.empty() && familiesWithText.count(key))
            continue;
        result.push_back(usage);
        if (auto external = m_external.find(key); external != m_external.end())
            result.back().externalUrl = external->second;
    }
    return result;
}

}  // namespace fontembed
