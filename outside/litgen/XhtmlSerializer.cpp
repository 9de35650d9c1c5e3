#include "outside/litgen/XhtmlSerializer.h"

#include <algorithm>

#include "markup/MarkupTables.h"
#include "outside/litgen/FlatStyleRules.h"
#include "outside/litgen/StyleReferences.h"
#include "outside/litgen/XmlText.h"
#include "platform/base/CString.h"
#include "platform/base/TextEncoding.h"

using litgen::xhtml::Attribute;
using litgen::xhtml::Content;
using litgen::xhtml::Element;
using litgen::xhtml::Place;

namespace {

// The frames the writer opens itself: the document's parts, and a rule for elements it
// leaves out.
constexpr Element kHtml{"html", Place::Root, Content::Flow, "", "", ""};
constexpr Element kHead{"head", Place::Root, Content::Flow, "", "", ""};
constexpr Element kBody{"body", Place::Root, Content::Flow, "", "", ""};
constexpr Element kLeftOut{"", Place::Special, Content::Empty, "", "", ""};
constexpr Element kLineBreak{"br", Place::Phrasing, Content::Empty, "", "", ""};

// Children of a void element that came with content, and of text-only elements, are
// not elements of their own.
constexpr Element kVoidContent{"", Place::Special, Content::Text, "", "", ""};

// A void element whose content the pages' markup scanner reads as raw text (embed,
// object, applet) takes the rest of its page as text, markup included, when left open. The
// content other void elements come with (an input the page's converter took for a
// container) is markup, which follows the element as every HTML reader puts it.
bool HoldsRawText(std::string_view source) { return leaf::markup::IsRawContentTag(source); }

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\f") == std::string_view::npos;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string FileStem(const std::string& path) {
    std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Raw text (style, script) as XML character data: a CDATA section when it holds what
// XML would read as markup.
std::string RawText(const std::string& text, size_t& replaced) {
    std::string safe;
    // Only the characters XML allows: escape and undo the three XML escapes again.
    const std::string escaped = litgen::EscapeXmlText(text, &replaced);
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped.compare(i, 5, "&amp;") == 0) {
            safe += '&';
            i += 4;
        } else if (escaped.compare(i, 4, "&lt;") == 0) {
            safe += '<';
            i += 3;
        } else if (escaped.compare(i, 4, "&gt;") == 0) {
            safe += '>';
            i += 3;
        } else {
            safe += escaped[i];
        }
    }
    if (safe.find_first_of("<&") == std::string::npos)
        return safe;
    std::string section = "<![CDATA[";
    for (size_t at = 0;;) {
        const size_t end = safe.find("]]>", at);
        if (end == std::string::npos) {
            section.append(safe, at);
            break;
        }
        section.append(safe, at, end + 2 - at);
        section += "]]><![CDATA[";
        at = end + 2;
    }
    return section + "]]>";
}

std::string CommentText(std::u16string_view text, size_t& replaced) {
    std::string comment = litgen::EscapeXmlText(leaf::Utf16ToUtf8(text), &replaced);
    // "--" may not appear in a comment, nor may it end with "-".
    for (size_t at = comment.find("--"); at != std::string::npos; at = comment.find("--", at))
        comment.insert(at + 1, " ");
    if (!comment.empty() && comment.back() == '-')
        comment += ' ';
    return comment;
}

}  // namespace

CXhtmlSerializer::CXhtmlSerializer(std::string documentPath, std::string archivePath, TargetLookup lookup)
    : m_documentPath(std::move(documentPath)), m_archivePath(std::move(archivePath)), m_lookup(std::move(lookup)) {}

CXhtmlSerializer::Level CXhtmlSerializer::CurrentLevel() const {
    if (m_frames.empty())
        return Level::Document;
    const Frame& top = m_frames.back();
    if (top.rule == &kHtml)
        return Level::Html;
    if (top.rule == &kHead)
        return Level::Head;
    return Level::Content;
}

Content CXhtmlSerializer::CurrentContent() const {
    for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
        if (frame->content != Content::Transparent)
            return frame->content;
    return Content::Flow;
}

std::string& CXhtmlSerializer::CurrentBuffer() {
    return m_frames.empty() ? m_body : Buffer(m_frames.back().section);
}

bool CXhtmlSerializer::InsideElement(std::string_view name) const {
    return std::any_of(m_frames.begin(), m_frames.end(),
                       [&](const Frame& frame) { return frame.emitted && frame.rule->name == name; });
}

CXhtmlSerializer::Frame& CXhtmlSerializer::TableFrame() {
    for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
        if (frame->emitted && frame->rule->content == Content::Table)
            return *frame;
    return m_frames.back();
}

bool CXhtmlSerializer::InsideLink() const {
    return std::any_of(m_frames.begin(), m_frames.end(),
                       [](const Frame& frame) { return frame.emitted && frame.rule->name == "a"; });
}

void CXhtmlSerializer::PushFrame(const Element* rule, bool emitted, bool synthetic, size_t owner) {
    Frame frame;
    frame.rule = rule;
    frame.content = rule->content == Content::Empty ? Content::Text : rule->content;
    frame.section = rule->place == Place::Head || rule == &kHead ? Section::Head : Section::Body;
    if (!m_frames.empty() && rule->place != Place::Head && rule != &kHead && rule != &kBody)
        frame.section = m_frames.back().section;
    if (rule == &kBody)
        frame.section = Section::Body;
    frame.owner = owner;
    frame.emitted = emitted;
    frame.synthetic = synthetic;
    frame.heading = rule->name.size() == 2 && rule->name[0] == 'h' && rule->name[1] >= '1' && rule->name[1] <= '6';
    m_frames.push_back(frame);
}

void CXhtmlSerializer::CloseTop() {
    const Frame frame = m_frames.back();
    m_frames.pop_back();
    if (frame.emitted) {
        std::string& buffer = Buffer(frame.section);
        // Every group of terms needs a definition: a list whose last terms have none (a
        // contents list of terms only) gets an empty one.
        if (frame.content == Content::DefinitionList && frame.termOpen)
            buffer += "<dd></dd>";
        buffer += "</";
        buffer += frame.rule->name;
        buffer += '>';
    }
    if (frame.heading && !m_heading.empty())
        m_headingDone = true;
}

void CXhtmlSerializer::EnterBody() {
    PushFrame(&kBody, false, true, m_inputDepth);
    m_sawBody = true;
}

void CXhtmlSerializer::OpenSynthetic(std::string_view name) {
    const Element* rule = litgen::xhtml::FindElement(name);
    CurrentBuffer() += "<" + std::string(name) + ">";
    PushFrame(rule, true, true, m_inputDepth);
}

const Element* CXhtmlSerializer::Prepare(const Element* rule) {
    for (int guard = 0; guard < 16; ++guard) {
        if (CurrentLevel() != Level::Content) {
            EnterBody();
            continue;
        }
        // A special child after stray content: the wrappers opened for that content end,
        // so that it stands in its proper parent (an li after text in a list). A wrapper
        // that is a proper parent itself (a row group opened for rows) stays.
        if (rule && rule->place == Place::Special && m_frames.back().synthetic &&
            !litgen::xhtml::ListHas(rule->parents, m_frames.back().rule->name)) {
            size_t keep = m_frames.size();
            bool found = false;
            while (keep > 0 && m_frames[keep - 1].synthetic && m_frames[keep - 1].rule != &kBody) {
                --keep;
                if (keep > 0 && litgen::xhtml::ListHas(rule->parents, m_frames[keep - 1].rule->name)) {
                    found = true;
                    break;
                }
            }
            if (found) {
                while (m_frames.size() > keep)
                    CloseTop();
                continue;
            }
        }
        const Frame& top = m_frames.back();
        const std::string_view name = rule ? rule->name : std::string_view();
        switch (CurrentContent()) {
        case Content::Text:
        case Content::Empty:
            return rule ? &kLeftOut : nullptr;
        case Content::List:
            if (name == "li" || name == "script")
                return rule;
            OpenSynthetic("li");
            continue;
        case Content::DefinitionList: {
            if (name == "dt" || name == "div" || name == "script") {
                m_frames.back().sawTerm = m_frames.back().sawTerm || name == "dt";
                if (name == "dt" && m_frames.back().content == Content::DefinitionList)
                    m_frames.back().termOpen = true;
                return rule;
            }
            // A definition needs a term before it: an empty one where the list has none yet.
            if (m_frames.back().content == Content::DefinitionList && !m_frames.back().sawTerm) {
                CurrentBuffer() += "<dt></dt>";
                m_frames.back().sawTerm = true;
            }
            if (m_frames.back().content == Content::DefinitionList)
                m_frames.back().termOpen = false;
            if (name == "dd")
                return rule;
            OpenSynthetic("dd");
            continue;
        }
        case Content::Table: {
            // XHTML holds a table's columns in column groups, and its rows either in row
            // groups or directly, never both: a column gets its group, rows after a row
            // group get one, and a row group after rows leaves its rows to the table.
            Frame& table = TableFrame();
            if (name == "col") {
                OpenSynthetic("colgroup");
                continue;
            }
            if (IsOneOf(name, {"thead", "tbody", "tfoot"})) {
                if (!table.sawRows) {
                    table.sawRowGroups = true;
                    return rule;
                }
                ++m_changes.elements;
                return &kLeftOut;
            }
            if (IsOneOf(name, {"caption", "colgroup", "script"}))
                return rule;
            if (table.sawRowGroups) {
                OpenSynthetic("tbody");
                continue;
            }
            table.sawRows = true;
            if (name == "tr")
                return rule;
            OpenSynthetic("tr");
            continue;
        }
        case Content::RowGroup:
            if (name == "tr" || name == "script")
                return rule;
            OpenSynthetic("tr");
            continue;
        case Content::Row:
            if (name == "td" || name == "th" || name == "script")
                return rule;
            OpenSynthetic("td");
            continue;
        case Content::ColumnGroup:
        case Content::Select:
            if (IsOneOf(name, {"col", "option", "optgroup", "script"}) && rule->place == Place::Special &&
                litgen::xhtml::ListHas(rule->parents, top.rule->name))
                return rule;
            // Anything else ends the column group or the choice list (one this writer
            // opened itself ends without loss).
            if (!top.synthetic)
                ++m_changes.elements;
            CloseTop();
            continue;
        case Content::Flow:
        case Content::Phrasing:
        case Content::Transparent:
            break;
        }
        if (rule == nullptr)
            return nullptr;
        const bool phrasingOnly = CurrentContent() == Content::Phrasing;
        if (rule->place == Place::Special) {
            // A frame that is not emitted (a void element's content) names no parent.
            const Frame* parent = &m_frames.back();
            for (auto frame = m_frames.rbegin(); frame != m_frames.rend(); ++frame)
                if (frame->emitted || frame->rule == &kBody) {
                    parent = &*frame;
                    break;
                }
            if (litgen::xhtml::ListHas(rule->parents, parent->rule->name))
                return rule;
            ++m_changes.elements;
            if (rule->content == Content::Empty)
                return &kLeftOut;
            const bool block = rule->content == Content::Flow || rule->content == Content::RowGroup ||
                               rule->content == Content::Row;
            return block && !phrasingOnly ? &litgen::xhtml::GenericBlock() : &litgen::xhtml::GenericInline();
        }
        if (rule->place == Place::Flow && phrasingOnly) {
            // A block ends the paragraph it would stand in, as browsers read it.
            if (top.emitted && !top.synthetic && top.rule->name == "p") {
                CloseTop();
                continue;
            }
            ++m_changes.elements;
            return rule->content == Content::Empty ? &kLineBreak : &litgen::xhtml::GenericInline();
        }
        // Nothing interactive may stand inside a link; an area only inside a map.
        if ((InsideLink() && IsOneOf(rule->name, {"a", "button", "details", "embed", "iframe", "input", "label",
                                                  "select", "textarea", "audio", "video"})) ||
            (rule->name == "area" && !InsideElement("map"))) {
            ++m_changes.elements;
            return rule->content == Content::Empty ? &kLeftOut : &litgen::xhtml::GenericInline();
        }
        return rule;
    }
    return rule ? &kLeftOut : nullptr;
}

std::string CXhtmlSerializer::StartTag(const Element& rule, const std::vector<Attribute>& attributes, bool empty) {
    std::string tag = "<" + std::string(rule.name);
    std::string lang;
    for (const auto& [name, value] : attributes)
        if (name == "lang")
            lang = value;
    for (const auto& [name, value] : attributes) {
        tag += ' ';
        tag += name;
        tag += "=\"";
        // xml:lang and lang must agree.
        tag += litgen::EscapeXmlAttribute(name == "xml:lang" && !lang.empty() ? lang : value, &m_changes.characters);
        tag += '"';
    }
    tag += empty ? " />" : ">";
    return tag;
}

litgen::DirectionDeclarations CXhtmlSerializer::MapStyle(std::string& css) {
    // Without a lookup nothing tells which files the e-book holds: references stay.
    if (m_lookup)
        m_changes.links += litgen::MapStyleReferences(css, m_documentPath, [this](const std::string& path) {
            const TargetInfo found = m_lookup(path);
            litgen::StyleReferenceTarget target;
            target.missing = found.kind == Target::Missing;
            // Written anew where the name or the place it is named from is not as written.
            if (!target.missing && (found.archivePath != path || m_archivePath != m_documentPath))
                target.rewritten = litgen::RelativeHref(m_archivePath, found.archivePath);
            return target;
        });
    const litgen::DirectionDeclarations removed = litgen::RemoveDirectionDeclarations(css);
    litgen::GiveFontSizesTheirUnit(css);  // read in pixels before and after: nothing to report
    m_changes.styleRules += litgen::FlattenStyleRules(css).leftOut;
    return removed;
}

void CXhtmlSerializer::MapStyleAttribute(std::vector<Attribute>& attributes) {
    const auto style = std::find_if(attributes.begin(), attributes.end(),
                                    [](const Attribute& attribute) { return attribute.first == "style"; });
    if (style == attributes.end())
        return;
    const litgen::DirectionDeclarations removed = MapStyle(style->second);
    m_changes.styles += removed.overrides;
    if (IsBlank(style->second))
        attributes.erase(style);
    if (removed.direction.empty())
        return;
    // The direction a style attribute set is the element's own: its dir says it.
    const auto dir = std::find_if(attributes.begin(), attributes.end(),
                                  [](const Attribute& attribute) { return attribute.first == "dir"; });
    if (dir != attributes.end())
        dir->second = removed.direction;
    else
        attributes.emplace_back("dir", removed.direction);
}

void CXhtmlSerializer::WriteForeignPicture(const std::vector<Attribute>& attributes, const std::string& type) {
    std::vector<Attribute> kept;
    std::string source;
    std::string alternative;
    for (const auto& [name, value] : attributes) {
        if (name == "src")
            source = value;
        else if (name == "alt")
            alternative = litgen::CollapseWhiteSpace(value);
        else if (name == "id")
            kept.emplace_back(m_ids.insert(value).second ? "id" : "data-id", value);  // a place links may name
        else if (IsOneOf(name, {"class", "style", "title", "lang", "xml:lang", "dir", "width", "height"}) ||
                 name.starts_with("data-"))
            kept.emplace_back(name, value);
    }
    kept.insert(kept.begin(), {{"data", source}, {"type", type}});
    if (alternative.empty())
        alternative = litgen::DecodePercent(source.substr(source.rfind('/') == std::string::npos ? 0 : source.rfind('/') + 1));
    CurrentBuffer() += StartTag(*litgen::xhtml::FindElement("object"), kept, false);
    litgen::AppendEscapedXmlText(CurrentBuffer(), alternative, &m_changes.characters);
    CurrentBuffer() += "</object>";
}

CXhtmlSerializer::References CXhtmlSerializer::CheckReferences(const Element& rule, std::vector<Attribute>& attributes) {
    References references;
    MapStyleAttribute(attributes);
    const std::string_view element = rule.name;
    bool turnedOff = false;
    for (auto& [name, value] : attributes) {
        const bool hyperlink = name == "href" && (element == "a" || element == "area");
        const bool resource = name == "src" || (name == "href" && element == "link") ||
                              (name == "poster" && element == "video") || (name == "data" && element == "object");
        if (!hyperlink && !resource)
            continue;
        const litgen::LinkTarget target = litgen::ResolveLink(value, m_documentPath);
        bool sound = true;
        if (!target.local) {
            // Links out of the book stay; a resource must be inside it (a data: URL is).
            const std::string lower = leaf::ToLowerAscii(value);
            const bool external = lower.find(':') != std::string::npos && !lower.starts_with("file:");
            sound = resource ? lower.starts_with("data:") : external;
            if (sound) {
                // Spaces are not allowed in a URL.
                std::string escaped;
                for (char ch : value)
                    escaped += ch == ' ' ? std::string("%20") : std::string(1, ch);
                value = escaped;
            }
        } else if (target.path.empty()) {
            value = target.hasFragment ? "#" + litgen::EncodeHrefPath(target.fragment) : std::string();
            sound = hyperlink && target.hasFragment;
            if (sound && !target.fragment.empty())
                m_fragmentLinks.push_back({m_documentPath, target.fragment, value});
        } else {
            const TargetInfo found = m_lookup ? m_lookup(target.path) : TargetInfo();
            sound = hyperlink ? found.kind == Target::ContentDocument : found.kind != Target::Missing;
            if (sound) {
                value = litgen::RelativeHref(m_archivePath, found.archivePath);
                if (name == "src" && element == "img")
                    references.foreignPictureType = found.foreignPictureType;
                if (hyperlink && !target.fragment.empty()) {
                    value += "#" + litgen::EncodeHrefPath(target.fragment);
                    m_fragmentLinks.push_back({found.path, target.fragment, value});
                }
                if (hyperlink && element == "a")
                    m_links.push_back({found.path, target.fragment, std::string()});
            }
        }
        if (sound)
            continue;
        ++m_changes.links;
        if (rule.name == "img" || rule.name == "link") {
            references.stands = false;
            return references;
        }
        name = litgen::xhtml::DataAttributeName(name);
        turnedOff = turnedOff || hyperlink;
    }
    // A link without its href may not say where or how it leads.
    if (turnedOff)
        for (auto& [name, value] : attributes)
            if (IsOneOf(name, {"rel", "target", "download", "hreflang", "type", "ping", "media", "referrerpolicy"}))
                name = litgen::xhtml::DataAttributeName(name);
    return references;
}

void CXhtmlSerializer::StartHeadElement(const Element& rule, std::string_view sourceName,
                                        std::vector<Attribute>& attributes, bool hasContent) {
    const std::string_view name = rule.name;
    const size_t owner = m_inputDepth + 1;
    const auto attribute = [&](std::string_view key) -> const std::string* {
        for (const auto& [attributeName, value] : attributes)
            if (attributeName == key)
                return &value;
        return nullptr;
    };
    bool written = false;
    if (name == "title") {
        m_sawTitle = true;
        if (hasContent)
            PushFrame(&rule, false, false, owner);
        written = hasContent;
    } else if (name == "meta") {
        const std::string* equiv = attribute("http-equiv");
        if (attribute("charset") || (equiv && leaf::EqualsNoCase(*equiv, "content-type"))) {
            m_keptCharset = true;  // the document is written in UTF-8 and says so
        } else if (attribute("content") && (attribute("name") || equiv)) {
            std::vector<Attribute> kept;
            // A meta of a kind HTML has no http-equiv for is kept by name.
            const bool knownEquiv =
                equiv && (leaf::EqualsNoCase(*equiv, "default-style") || leaf::EqualsNoCase(*equiv, "refresh"));
            for (const Attribute& entry : attributes)
                if (entry.first != "http-equiv" || knownEquiv)
                    kept.push_back(entry);
            if (equiv && !knownEquiv && !attribute("name")) {
                kept.insert(kept.begin(), {"name", leaf::ToLowerAscii(*equiv)});
                ++m_changes.attributes;
            }
            m_head += StartTag(rule, kept, true);
        } else {
            ++m_changes.elements;
        }
    } else if (name == "link") {
        if (attribute("rel") && attribute("href") && CheckReferences(rule, attributes).stands)
            m_head += StartTag(rule, attributes, true);
        else
            ++m_changes.elements;
    } else if (name == "base") {
        // The links of the page are checked against the e-book, not against another base.
        ++m_changes.elements;
    } else {  // style
        m_head += StartTag(rule, attributes, !hasContent);
        if (hasContent)
            PushFrame(&rule, true, false, owner);
        written = hasContent;
    }
    if (hasContent) {
        if (!written)
            PushFrame(&kVoidContent, false, false, owner);
        m_frames.back().section = Section::Head;
        ++m_inputDepth;
    }
}

void CXhtmlSerializer::StartElement(const std::u16string& name, const Attributes& attributes, bool hasContent) {
    FlushText();
    const size_t owner = m_inputDepth + 1;
    const auto enter = [&] {
        if (hasContent)
            ++m_inputDepth;
    };
    const std::string source = leaf::ToLowerAscii(leaf::Utf16ToUtf8(name));
    std::vector<Attribute> sourceAttributes;
    sourceAttributes.reserve(attributes.size());
    for (const auto& [attributeName, value] : attributes)
        sourceAttributes.emplace_back(leaf::ToLowerAscii(leaf::Utf16ToUtf8(attributeName)),
                                      litgen::DecodeCharacterReferences(leaf::Utf16ToUtf8(value)));

    // Inside text-only elements, tags are no elements.
    if (CurrentLevel() == Level::Content && CurrentContent() == Content::Text) {
        ++m_changes.elements;
        enter();
        return;
    }
    if (litgen::xhtml::IsDiscarded(source)) {
        ++m_changes.elements;
        enter();
        return;
    }
    const Element* rule = litgen::xhtml::FindElement(source);
    if (rule && rule->place == Place::Root) {
        const Level level = CurrentLevel();
        const Element* frame = nullptr;
        if (rule->name == "html" && !m_sawHtml && m_frames.empty()) {
            m_sawHtml = true;
            frame = &kHtml;
            auto mapped = litgen::xhtml::MapAttributes(*rule, source, sourceAttributes);
            m_changes.attributes += mapped.renamed;
            MapStyleAttribute(mapped.attributes);
            m_htmlAttributes = StartTag(kHtml, mapped.attributes, false);
            m_htmlAttributes = m_htmlAttributes.substr(5, m_htmlAttributes.size() - 6);
        } else if (rule->name == "head" && (level == Level::Document || level == Level::Html) && !m_sawBody) {
            frame = &kHead;
        } else if (rule->name == "body" && level != Level::Content) {
            frame = &kBody;
            m_sawBody = true;
        } else if (rule->name == "body" && m_frames.back().rule == &kBody && m_bodyAttributes.empty()) {
            frame = &kBody;  // the body after content that came before it
        }
        if (rule->name == "body" && frame && m_bodyAttributes.empty()) {
            auto mapped = litgen::xhtml::MapAttributes(*rule, source, sourceAttributes);
            m_changes.attributes += mapped.renamed;
            m_scripted = m_scripted || mapped.scripted;
            MapStyleAttribute(mapped.attributes);
            m_bodyAttributes = StartTag(kBody, mapped.attributes, false);
            m_bodyAttributes = m_bodyAttributes.substr(5, m_bodyAttributes.size() - 6);
        }
        if (frame == nullptr)
            ++m_changes.elements;
        else if (hasContent)
            PushFrame(frame, false, false, owner);
        enter();
        return;
    }
    if (rule && rule->place == Place::Head && !(rule->name == "title" && m_sawTitle)) {
        auto mapped = litgen::xhtml::MapAttributes(*rule, source, sourceAttributes);
        m_changes.attributes += mapped.renamed;
        StartHeadElement(*rule, source, mapped.attributes, hasContent);
        return;
    }
    if (rule == nullptr || rule->name == "title") {
        // An unknown element, or a second title: a div where blocks may stand, else a span.
        ++m_changes.elements;
        Prepare(nullptr);
        rule = CurrentContent() == Content::Phrasing ? &litgen::xhtml::GenericInline() : &litgen::xhtml::GenericBlock();
    }
    const Element* written = Prepare(rule);
    if (written == nullptr || written == &kLeftOut) {
        if (hasContent)
            PushFrame(&kVoidContent, false, false, owner);
        if (hasContent)
            m_frames.back().content = CurrentContent() == Content::Text && m_frames.size() > 1
                                          ? m_frames[m_frames.size() - 2].content
                                          : m_frames.back().content;
        enter();
        return;
    }
    // Some elements' roles depend on the element they stand in (an li's on its list).
    const std::string_view parent = m_frames.empty() ? std::string_view() : m_frames.back().rule->name;
    auto mapped = litgen::xhtml::MapAttributes(*written, source, sourceAttributes, parent);
    const auto has = [&](std::string_view key) {
        return std::any_of(mapped.attributes.begin(), mapped.attributes.end(),
                           [&](const Attribute& attribute) { return attribute.first == key; });
    };
    // Elements that cannot stand without an attribute they lack do the work of a span or div.
    if ((written->name == "map" && !has("name")) || (written->name == "object" && !has("data") && !has("type"))) {
        ++m_changes.elements;
        written = CurrentContent() == Content::Phrasing ? &litgen::xhtml::GenericInline() : &litgen::xhtml::GenericBlock();
        mapped = litgen::xhtml::MapAttributes(*written, source, sourceAttributes, parent);
    }
    m_changes.attributes += mapped.renamed;
    m_scripted = m_scripted || mapped.scripted || written->name == "script";
    const size_t linksBefore = m_links.size();
    const bool pictureless = written->name == "img" && !has("src");
    if (pictureless)
        ++m_changes.links;
    const References references = pictureless ? References{false, {}} : CheckReferences(*written, mapped.attributes);
    if (!references.stands || !references.foreignPictureType.empty()) {
        // A picture that is not in the e-book: its text alternative stands in its place.
        if (references.stands) {
            WriteForeignPicture(mapped.attributes, references.foreignPictureType);
        } else {
            // A picture that is not in the e-book: its text alternative stands in its place.
            std::string alternative;
            for (const auto& [attributeName, value] : mapped.attributes)
                if (attributeName == "alt")
                    alternative = value;
            CurrentBuffer() += "<span>" + litgen::EscapeXmlText(alternative, &m_changes.characters) + "</span>";
        }
        if (hasContent) {
            PushFrame(&kVoidContent, false, false, owner);
            m_frames.back().content = m_frames[m_frames.size() - 2].content;
            m_frames.back().heldByVoid = HoldsRawText(source);
        }
        enter();
        return;
    }
    // An anchor named the old way (<a name="x">) is a place that links point to; readers
    // look for places by id, so it gets the id its name gives when it has none.
    if (written->name == "a") {
        auto& attributes = mapped.attributes;
        const auto named = std::find_if(attributes.begin(), attributes.end(),
                                        [](const auto& attribute) { return attribute.first == "name"; });
        const bool hasId = std::any_of(attributes.begin(), attributes.end(),
                                       [](const auto& attribute) { return attribute.first == "id"; });
        if (named != attributes.end() && !hasId && !m_ids.contains(named->second))
            attributes.emplace_back("id", named->second);
    }
    for (auto& [attributeName, value] : mapped.attributes) {
        if (attributeName != "id")
            continue;
        if (!m_ids.insert(value).second) {
            attributeName = "data-id";  // an id already taken in this page
            ++m_changes.attributes;
        }
    }
    const bool isVoid = written->content == Content::Empty;
    // An iframe holds nothing, but HTML readers need its end tag.
    const bool endTag = isVoid && written->name == "iframe";
    CurrentBuffer() += StartTag(*written, mapped.attributes, isVoid && !endTag);
    if (endTag)
        CurrentBuffer() += "</iframe>";
    if (!isVoid && !hasContent) {
        CurrentBuffer() += "</" + std::string(written->name) + ">";
    } else if (isVoid && hasContent) {
        // Whatever a void element held follows it.
        const Content parent = CurrentContent();
        PushFrame(&kVoidContent, false, false, owner);
        m_frames.back().content = parent;
        m_frames.back().heldByVoid = HoldsRawText(source);
    } else if (hasContent) {
        PushFrame(written, true, false, owner);
        m_frames.back().link = m_links.size() > linksBefore;
    }
    if (m_links.size() > linksBefore && !(hasContent && !isVoid))
        m_links.pop_back();  // an empty link has no text to show
    enter();
}

void CXhtmlSerializer::WriteText(std::u16string_view text) { m_pendingText += text; }

void CXhtmlSerializer::WriteComment(std::u16string_view text) {
    FlushText();
    if (CurrentLevel() == Level::Content && CurrentContent() == Content::Text)
        return;
    CurrentBuffer() += "<!--" + CommentText(text, m_changes.characters) + "-->";
}

void CXhtmlSerializer::FlushText() {
    if (m_pendingText.empty())
        return;
    const std::string text = leaf::Utf16ToUtf8(m_pendingText);
    m_pendingText.clear();
    const bool blank = IsBlank(text);
    if (CurrentLevel() != Level::Content) {
        if (blank)
            return;
    } else {
        const Frame& top = m_frames.back();
        const Content content = CurrentContent();
        if (content == Content::Text) {
            if (top.rule->name == "title")
                m_title += text;
            else if (top.rule->name == "style") {
                std::string css = text;
                const litgen::DirectionDeclarations removed = MapStyle(css);
                m_changes.styles += removed.rightToLeft + removed.overrides;
                Buffer(top.section) += RawText(css, m_changes.characters);
            } else if (top.rule->name == "script")
                Buffer(top.section) += RawText(text, m_changes.characters);
            else if (top.emitted)
                Buffer(top.section) += litgen::EscapeXmlText(text, &m_changes.characters);
            else if (!blank)
                ++m_changes.elements;  // text inside a void element's or meta's content
            return;
        }
        if (blank && content != Content::Flow && content != Content::Phrasing) {
            CurrentBuffer() += text;
            return;
        }
        if (!blank && std::any_of(m_frames.begin(), m_frames.end(), [](const Frame& frame) { return frame.heldByVoid; }))
            ++m_changes.heldText;
    }
    Prepare(nullptr);
    WriteContentText(text);
}

void CXhtmlSerializer::WriteContentText(const std::string& text) {
    litgen::AppendEscapedXmlText(CurrentBuffer(), text, &m_changes.characters);
    for (const Frame& frame : m_frames) {
        if (frame.link && !m_links.empty() && m_links.back().text.size() < 400)
            m_links.back().text += text;
        if (frame.heading && !m_headingDone && m_heading.size() < 400)
            m_heading += text;
    }
}

bool CXhtmlSerializer::EndElement() {
    FlushText();
    if (m_inputDepth == 0)
        return false;
    while (!m_frames.empty() && m_frames.back().owner >= m_inputDepth)
        CloseTop();
    --m_inputDepth;
    return true;
}

size_t CXhtmlSerializer::DropFragment(std::string& document, const FragmentLink& link) {
    const std::string written = " href=\"" + litgen::EscapeXmlAttribute(link.written) + "\"";
    const std::string page = link.written.substr(0, link.written.find('#'));
    // A link into its own page keeps its target as data; one into another page opens it.
    const std::string repaired = page.empty() ? " data-href=\"" + litgen::EscapeXmlAttribute(link.written) + "\""
                                              : " href=\"" + litgen::EscapeXmlAttribute(page) + "\"";
    size_t count = 0;
    for (size_t at = document.find(written); at != std::string::npos; at = document.find(written, at)) {
        document.replace(at, written.size(), repaired);
        at += repaired.size();
        ++count;
    }
    return count;
}

std::string CXhtmlSerializer::Finish() {
    FlushText();
    while (!m_frames.empty())
        CloseTop();
    m_inputDepth = 0;
    // Links to places this page does not hold.
    std::vector<FragmentLink> others;
    std::set<std::string> repaired;
    for (FragmentLink& link : m_fragmentLinks) {
        if (link.path != m_documentPath)
            others.push_back(std::move(link));
        else if (!m_ids.contains(link.fragment) && repaired.insert(link.written).second)
            m_changes.links += DropFragment(m_body, link);
    }
    m_fragmentLinks = std::move(others);
    for (Link& link : m_links)
        link.text = litgen::CollapseWhiteSpace(link.text);
    m_title = litgen::CollapseWhiteSpace(m_title);
    m_heading = litgen::CollapseWhiteSpace(m_heading);
    std::string title = Title();
    if (title.empty())
        title = FileStem(m_documentPath);
    std::string document;
    document.reserve(m_head.size() + m_body.size() + 512);
    document += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n";
    document += "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\"";
    document += m_htmlAttributes;
    document += ">\n<head>\n";
    if (m_keptCharset)
        document += "<meta charset=\"utf-8\" />\n";
    document += "<title>" + litgen::EscapeXmlText(title, &m_changes.characters) + "</title>\n";
    document += m_head;
    if (!m_head.empty())
        document += '\n';
    document += "</head>\n<body";
    document += m_bodyAttributes;
    document += ">";
    document += m_body;
    document += "</body>\n</html>\n";
    std::string().swap(m_head);
    std::string().swap(m_body);
    return document;
}
