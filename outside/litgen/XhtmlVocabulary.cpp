#include "outside/litgen/XhtmlVocabulary.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace litgen::xhtml {

namespace {

using C = Content;
using P = Place;

constexpr std::string_view kMedia = "src crossorigin preload autoplay loop muted controls";

// Source name -> rule. Sorted by source name for the binary search below.
struct Entry {
    std::string_view source;
    Element element;
};

constexpr Entry kElements[] = {
    {"a", {"a", P::Phrasing, C::Transparent, "", "", "href target download ping rel hreflang type referrerpolicy media name"}},
    {"abbr", {"abbr", P::Phrasing, C::Phrasing, "", "", ""}},
    {"acronym", {"abbr", P::Phrasing, C::Phrasing, "", "", ""}},
    {"address", {"address", P::Flow, C::Flow, "", "", ""}},
    {"applet", {"div", P::Flow, C::Flow, "", "", ""}},
    {"area", {"area", P::Phrasing, C::Empty, "", "", "alt coords shape href target download ping rel referrerpolicy"}},
    {"article", {"article", P::Flow, C::Flow, "", "", ""}},
    {"aside", {"aside", P::Flow, C::Flow, "", "", ""}},
    {"audio", {"audio", P::Phrasing, C::Transparent, "", "", kMedia}},
    {"b", {"b", P::Phrasing, C::Phrasing, "", "", ""}},
    {"base", {"base", P::Head, C::Empty, "", "", "href target"}},
    {"bdi", {"bdi", P::Phrasing, C::Phrasing, "", "", ""}},
    {"bdo", {"bdo", P::Phrasing, C::Phrasing, "", "", ""}},
    {"big", {"span", P::Phrasing, C::Phrasing, "font-size: larger", "", ""}},
    {"blink", {"span", P::Phrasing, C::Phrasing, "", "", ""}},
    {"blockquote", {"blockquote", P::Flow, C::Flow, "", "", "cite"}},
    {"body", {"body", P::Root, C::Flow, "", "", ""}},
    {"br", {"br", P::Phrasing, C::Empty, "", "", ""}},
    {"button", {"button", P::Phrasing, C::Phrasing, "", "", "autofocus disabled form formaction formenctype formmethod formnovalidate formtarget name type value"}},
    {"canvas", {"canvas", P::Phrasing, C::Transparent, "", "", "width height"}},
    {"caption", {"caption", P::Special, C::Flow, "", "table", ""}},
    {"center", {"div", P::Flow, C::Flow, "text-align: center", "", ""}},
    {"cite", {"cite", P::Phrasing, C::Phrasing, "", "", ""}},
    {"code", {"code", P::Phrasing, C::Phrasing, "", "", ""}},
    {"col", {"col", P::Special, C::Empty, "", "colgroup", "span"}},
    {"colgroup", {"colgroup", P::Special, C::ColumnGroup, "", "table", "span"}},
    {"data", {"data", P::Phrasing, C::Phrasing, "", "", "value"}},
    {"dd", {"dd", P::Special, C::Flow, "", "dl", ""}},
    {"del", {"del", P::Phrasing, C::Transparent, "", "", "cite datetime"}},
    {"details", {"details", P::Flow, C::Flow, "", "", "open"}},
    {"dfn", {"dfn", P::Phrasing, C::Phrasing, "", "", ""}},
    {"dialog", {"dialog", P::Flow, C::Flow, "", "", "open"}},
    {"dir", {"ul", P::Flow, C::List, "", "", ""}},
    {"div", {"div", P::Flow, C::Flow, "", "", ""}},
    {"dl", {"dl", P::Flow, C::DefinitionList, "", "", ""}},
    {"dt", {"dt", P::Special, C::Phrasing, "", "dl", ""}},
    {"em", {"em", P::Phrasing, C::Phrasing, "", "", ""}},
    {"embed", {"embed", P::Phrasing, C::Empty, "", "", "src type width height"}},
    {"fieldset", {"fieldset", P::Flow, C::Flow, "", "", "disabled form name"}},
    {"figcaption", {"figcaption", P::Special, C::Flow, "", "figure", ""}},
    {"figure", {"figure", P::Flow, C::Flow, "", "", ""}},
    {"font", {"span", P::Phrasing, C::Phrasing, "", "", ""}},
    {"footer", {"footer", P::Flow, C::Flow, "", "", ""}},
    {"form", {"form", P::Flow, C::Flow, "", "", "accept-charset action autocomplete enctype method name novalidate target"}},
    {"frame", {"div", P::Flow, C::Flow, "", "", ""}},
    {"frameset", {"div", P::Flow, C::Flow, "", "", ""}},
    {"h1", {"h1", P::Flow, C::Phrasing, "", "", ""}},
    {"h2", {"h2", P::Flow, C::Phrasing, "", "", ""}},
    {"h3", {"h3", P::Flow, C::Phrasing, "", "", ""}},
    {"h4", {"h4", P::Flow, C::Phrasing, "", "", ""}},
    {"h5", {"h5", P::Flow, C::Phrasing, "", "", ""}},
    {"h6", {"h6", P::Flow, C::Phrasing, "", "", ""}},
    {"head", {"head", P::Root, C::Flow, "", "", ""}},
    {"header", {"header", P::Flow, C::Flow, "", "", ""}},
    {"hgroup", {"hgroup", P::Flow, C::Flow, "", "", ""}},
    {"hr", {"hr", P::Flow, C::Empty, "", "", ""}},
    {"html", {"html", P::Root, C::Flow, "", "", ""}},
    {"i", {"i", P::Phrasing, C::Phrasing, "", "", ""}},
    {"iframe", {"iframe", P::Phrasing, C::Empty, "", "", "src srcdoc name sandbox allow allowfullscreen width height referrerpolicy loading"}},
    {"ilayer", {"div", P::Flow, C::Flow, "", "", ""}},
    {"image", {"img", P::Phrasing, C::Empty, "", "", "alt src srcset sizes crossorigin usemap ismap width height referrerpolicy decoding loading"}},
    {"img", {"img", P::Phrasing, C::Empty, "", "", "alt src srcset sizes crossorigin usemap ismap width height referrerpolicy decoding loading"}},
    {"input", {"input", P::Phrasing, C::Empty, "", "", "accept alt autocomplete autofocus checked dirname disabled form formaction formenctype formmethod formnovalidate formtarget list max maxlength min minlength multiple name pattern placeholder readonly required size src step type value width height"}},
    {"ins", {"ins", P::Phrasing, C::Transparent, "", "", "cite datetime"}},
    {"kbd", {"kbd", P::Phrasing, C::Phrasing, "", "", ""}},
    {"label", {"label", P::Phrasing, C::Phrasing, "", "", "for form"}},
    {"layer", {"div", P::Flow, C::Flow, "", "", ""}},
    {"legend", {"legend", P::Special, C::Phrasing, "", "fieldset", ""}},
    {"li", {"li", P::Special, C::Flow, "", "ul ol menu", "value"}},
    {"link", {"link", P::Head, C::Empty, "", "", "href crossorigin rel media hreflang type sizes referrerpolicy integrity as"}},
    {"listing", {"pre", P::Flow, C::Phrasing, "", "", ""}},
    {"main", {"main", P::Flow, C::Flow, "", "", ""}},
    {"map", {"map", P::Phrasing, C::Transparent, "", "", "name"}},
    {"mark", {"mark", P::Phrasing, C::Phrasing, "", "", ""}},
    {"marquee", {"div", P::Flow, C::Flow, "", "", ""}},
    {"menu", {"menu", P::Flow, C::List, "", "", ""}},
    {"meta", {"meta", P::Head, C::Empty, "", "", "name http-equiv content charset"}},
    {"meter", {"meter", P::Phrasing, C::Phrasing, "", "", "value min max low high optimum"}},
    {"multicol", {"div", P::Flow, C::Flow, "", "", ""}},
    {"nav", {"nav", P::Flow, C::Flow, "", "", ""}},
    {"nobr", {"span", P::Phrasing, C::Phrasing, "white-space: nowrap", "", ""}},
    {"noframes", {"div", P::Flow, C::Flow, "", "", ""}},
    {"noscript", {"div", P::Flow, C::Flow, "", "", ""}},
    {"object", {"object", P::Phrasing, C::Transparent, "", "", "data type name usemap form width height"}},
    {"ol", {"ol", P::Flow, C::List, "", "", "reversed start type"}},
    {"optgroup", {"optgroup", P::Special, C::Select, "", "select", "disabled label"}},
    {"option", {"option", P::Special, C::Text, "", "select optgroup datalist", "disabled label selected value"}},
    {"output", {"output", P::Phrasing, C::Phrasing, "", "", "for form name"}},
    {"p", {"p", P::Flow, C::Phrasing, "", "", ""}},
    {"param", {"param", P::Special, C::Empty, "", "object", "name value"}},
    {"plaintext", {"pre", P::Flow, C::Phrasing, "", "", ""}},
    {"pre", {"pre", P::Flow, C::Phrasing, "", "", ""}},
    {"progress", {"progress", P::Phrasing, C::Phrasing, "", "", "value max"}},
    {"q", {"q", P::Phrasing, C::Phrasing, "", "", "cite"}},
    {"rp", {"rp", P::Special, C::Text, "", "ruby", ""}},
    {"rt", {"rt", P::Special, C::Phrasing, "", "ruby", ""}},
    {"ruby", {"ruby", P::Phrasing, C::Phrasing, "", "", ""}},
    {"s", {"s", P::Phrasing, C::Phrasing, "", "", ""}},
    {"samp", {"samp", P::Phrasing, C::Phrasing, "", "", ""}},
    {"script", {"script", P::Phrasing, C::Text, "", "", "src type async defer crossorigin integrity nomodule referrerpolicy"}},
    {"section", {"section", P::Flow, C::Flow, "", "", ""}},
    {"select", {"select", P::Phrasing, C::Select, "", "", "autocomplete autofocus disabled form multiple name required size"}},
    {"small", {"small", P::Phrasing, C::Phrasing, "", "", ""}},
    {"source", {"source", P::Special, C::Empty, "", "audio video picture", "src type srcset sizes media"}},
    {"span", {"span", P::Phrasing, C::Phrasing, "", "", ""}},
    {"strike", {"s", P::Phrasing, C::Phrasing, "", "", ""}},
    {"strong", {"strong", P::Phrasing, C::Phrasing, "", "", ""}},
    {"style", {"style", P::Head, C::Text, "", "", "media"}},
    {"sub", {"sub", P::Phrasing, C::Phrasing, "", "", ""}},
    {"summary", {"summary", P::Special, C::Phrasing, "", "details", ""}},
    {"sup", {"sup", P::Phrasing, C::Phrasing, "", "", ""}},
    {"table", {"table", P::Flow, C::Table, "", "", "border"}},
    {"tbody", {"tbody", P::Special, C::RowGroup, "", "table", ""}},
    {"td", {"td", P::Special, C::Flow, "", "tr", "colspan rowspan headers"}},
    {"textarea", {"textarea", P::Phrasing, C::Text, "", "", "autocomplete autofocus cols dirname disabled form maxlength minlength name placeholder readonly required rows wrap"}},
    {"tfoot", {"tfoot", P::Special, C::RowGroup, "", "table", ""}},
    {"th", {"th", P::Special, C::Flow, "", "tr", "colspan rowspan headers scope abbr"}},
    {"thead", {"thead", P::Special, C::RowGroup, "", "table", ""}},
    {"time", {"time", P::Phrasing, C::Phrasing, "", "", "datetime"}},
    {"title", {"title", P::Head, C::Text, "", "", ""}},
    {"tr", {"tr", P::Special, C::Row, "", "table thead tbody tfoot", ""}},
    {"track", {"track", P::Special, C::Empty, "", "audio video", "default kind label src srclang"}},
    {"tt", {"span", P::Phrasing, C::Phrasing, "font-family: monospace", "", ""}},
    {"u", {"u", P::Phrasing, C::Phrasing, "", "", ""}},
    {"ul", {"ul", P::Flow, C::List, "", "", ""}},
    {"var", {"var", P::Phrasing, C::Phrasing, "", "", ""}},
    {"video", {"video", P::Phrasing, C::Transparent, "", "", "src crossorigin poster preload autoplay playsinline loop muted controls width height"}},
    {"wbr", {"wbr", P::Phrasing, C::Empty, "", "", ""}},
    {"xmp", {"pre", P::Flow, C::Phrasing, "", "", ""}},
};

constexpr std::string_view kDiscarded[] = {"basefont", "isindex", "keygen", "nextid", "spacer"};

constexpr std::string_view kGlobalAttributes =
    " id class style title lang dir tabindex accesskey hidden contenteditable draggable spellcheck translate"
    " role xml:lang xml:space xml:base epub:type ";

// The attributes that stand for "on" by being there; XHTML writes them with their own
// name as the value (checked="checked"), which is the only value besides the empty one
// that means it, whatever value the source gave.
constexpr std::string_view kBooleanAttributes =
    "allowfullscreen async autofocus autoplay checked controls default defer disabled formnovalidate hidden ismap "
    "loop multiple muted nomodule novalidate open playsinline readonly required reversed selected";

// The ARIA attributes (without "aria-"), which any element may carry.
constexpr std::string_view kAriaAttributes =
    "activedescendant atomic autocomplete busy checked colcount colindex colspan controls current describedby "
    "details disabled dropeffect errormessage expanded flowto grabbed haspopup hidden invalid keyshortcuts label "
    "labelledby level live modal multiline multiselectable orientation owns placeholder posinset pressed readonly "
    "relevant required roledescription rowcount rowindex rowspan selected setsize sort valuemax valuemin valuenow "
    "valuetext";

// The ARIA roles, one of which a role attribute names.
constexpr std::string_view kAriaRoles =
    "alert alertdialog application article banner button cell checkbox columnheader combobox complementary "
    "contentinfo definition dialog directory doc-abstract doc-acknowledgments doc-afterword doc-appendix "
    "doc-backlink doc-biblioentry doc-bibliography doc-biblioref doc-chapter doc-colophon doc-conclusion doc-cover "
    "doc-credit doc-credits doc-dedication doc-endnote doc-endnotes doc-epigraph doc-epilogue doc-errata "
    "doc-example doc-footnote doc-foreword doc-glossary doc-glossref doc-index doc-introduction doc-noteref "
    "doc-notice doc-pagebreak doc-pagelist doc-part doc-preface doc-prologue doc-pullquote doc-qna doc-subtitle "
    "doc-tip doc-toc document feed figure form graphics-document graphics-object graphics-symbol grid gridcell "
    "group heading img link list listbox listitem log main marquee math menu menubar menuitem menuitemcheckbox "
    "menuitemradio navigation none note option presentation progressbar radio radiogroup region row rowgroup "
    "rowheader scrollbar search searchbox separator slider spinbutton status switch tab table tablist tabpanel "
    "term textbox timer toolbar tooltip tree treegrid treeitem";

// The roles an element may take where it may not take every one (as epubcheck's schema
// of content documents allows them): the first rule for the element whose condition
// holds gives them (none: the element takes no role). The condition is empty (always),
// "href" (the element has one), "type: T..." (its type, without regard to case, is one
// of them; "-" stands for no type) or "in: P" (its parent is P). An element no rule is
// for takes any ARIA role. Roles that need states of their own (a checkbox's
// aria-checked) are allowed as the element allows them: the states are the source's.
struct RoleRule {
    std::string_view elements;
    std::string_view condition;
    std::string_view roles;
};

constexpr RoleRule kRoleRules[] = {
    {"a", "href",
     "button checkbox doc-backlink doc-biblioref doc-glossref doc-noteref link menuitem menuitemcheckbox "
     "menuitemradio option radio switch tab treeitem"},
    {"area", "", "link"},
    {"article", "", "application article document feed main none presentation region"},
    {"aside", "", "complementary doc-dedication doc-example doc-footnote doc-pullquote doc-tip feed none note "
                  "presentation region search"},
    {"audio video", "", "application"},
    {"body", "", "application document none presentation"},
    {"button", "type: submit", "button checkbox link menuitem menuitemcheckbox menuitemradio option radio tab"},
    {"button", "type: reset", "button checkbox link menuitem menuitemcheckbox menuitemradio option radio switch"},
    {"button", "", "button checkbox link menuitem menuitemcheckbox menuitemradio option radio switch tab"},
    {"dd", "", "definition"},
    {"details optgroup", "", "group"},
    {"dialog", "", "alertdialog"},
    {"dl", "", "group list none presentation"},
    {"dt", "", "listitem term"},
    {"embed iframe", "", "application document img none presentation"},
    {"fieldset", "", "group none presentation radiogroup"},
    {"figcaption", "", "group none presentation"},
    {"figure", "", "figure group none presentation"},
    {"footer", "", "contentinfo doc-footnote group none presentation"},
    {"form", "", "form none presentation search"},
    {"h1 h2 h3 h4 h5 h6", "", "doc-subtitle heading none presentation tab"},
    {"header", "", "banner doc-footnote group none presentation"},
    {"hr", "", "doc-pagebreak none presentation separator"},
    {"img", "",
     "button checkbox doc-cover img link menuitem menuitemcheckbox menuitemradio none option presentation "
     "progressbar scrollbar separator slider switch tab treeitem"},
    {"input", "type: -", "combobox searchbox slider spinbutton textbox"},
    {"input", "type: button", "button link menuitem menuitemcheckbox menuitemradio option radio switch tab"},
    {"input", "type: checkbox", "button checkbox menuitemcheckbox option switch"},
    {"input", "type: email tel url", "combobox textbox"},
    {"input", "type: image", "button link menuitem menuitemcheckbox menuitemradio radio switch"},
    {"input", "type: number", "spinbutton"},
    {"input", "type: radio", "menuitemradio radio"},
    {"input", "type: range", "slider"},
    {"input", "type: reset submit", "button"},
    {"input", "type: search", "searchbox"},
    {"input", "type: text", "combobox searchbox spinbutton textbox"},
    {"li", "in: menu", "listitem menuitem menuitemcheckbox menuitemradio none option presentation tab treeitem"},
    {"li", "",
     "doc-biblioentry doc-endnote listitem menuitem menuitemcheckbox menuitemradio none option presentation radio "
     "separator tab treeitem"},
    {"link", "", "link menuitem none presentation"},
    {"main", "", "main"},
    {"menu ol ul", "", "directory group list listbox menu menubar none presentation radiogroup tablist toolbar tree"},
    {"nav", "", "doc-index doc-pagelist doc-toc navigation"},
    {"object", "", "application document img"},
    {"option", "", "option"},
    {"progress", "", "progressbar"},
    {"section", "",
     "alert alertdialog application banner complementary contentinfo dialog doc-abstract doc-acknowledgments "
     "doc-afterword doc-appendix doc-bibliography doc-chapter doc-colophon doc-conclusion doc-credit doc-credits "
     "doc-dedication doc-endnotes doc-epigraph doc-epilogue doc-errata doc-example doc-foreword doc-glossary "
     "doc-index doc-introduction doc-notice doc-pagelist doc-part doc-preface doc-prologue doc-pullquote doc-qna "
     "doc-toc document feed log main marquee navigation none note presentation region search status tabpanel"},
    {"select", "", "combobox listbox menu"},
    {"summary", "", "button"},
    {"textarea", "", "textbox"},
    // Elements that take no role, inputs of the other types among them.
    {"caption col colgroup html input label legend map meta meter param script source style track", "", ""},
};

constexpr Element kGenericBlock{"div", P::Flow, C::Flow, "", "", ""};
constexpr Element kGenericInline{"span", P::Phrasing, C::Phrasing, "", "", ""};


bool IsDigits(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::string Trimmed(std::string_view value) {
    size_t start = value.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return {};
    size_t end = value.find_last_not_of(" \t\r\n");
    return std::string(value.substr(start, end - start + 1));
}

// A value as it may stand in a style property: what would end the declaration or the
// attribute's style rules is left out.
std::string CssValue(std::string_view value) {
    std::string text;
    for (char ch : Trimmed(value))
        if (ch != ';' && ch != '{' && ch != '}' && ch != '"' && ch != '\\' && ch != '<' && ch != '>')
            text += ch;
    return text;
}

// A length: digits are pixels, anything else is taken as a CSS length ("50%", "3em").
std::string CssLength(std::string_view value) {
    std::string text = CssValue(value);
    return IsDigits(text) ? text + "px" : text;
}

std::string FontSize(std::string_view value) {
    static constexpr std::string_view kSizes[] = {"x-small", "small", "medium", "large", "x-large", "xx-large", "xx-large"};
    std::string text = Trimmed(value);
    int size = 3;
    if (!text.empty() && (text[0] == '+' || text[0] == '-') && IsDigits(text.substr(1)) && text.size() < 4)
        size = 3 + (text[0] == '+' ? 1 : -1) * std::stoi(text.substr(1));
    else if (IsDigits(text) && text.size() < 3)
        size = std::stoi(text);
    else
        return "";
    size = std::clamp(size, 1, 7);
    return std::string(kSizes[size - 1]);
}

// The style declaration a presentational attribute stands for; empty when it has none.
std::string PresentationalStyle(std::string_view element, std::string_view name, std::string_view value) {
    const std::string css = CssValue(value);
    const std::string lower = [&] {
        std::string text = css;
        for (char& ch : text)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return text;
    }();
    if (css.empty() && name != "nowrap")
        return "";
    const bool floats = element == "img" || element == "table" || element == "object" || element == "iframe" ||
                        element == "embed";
    if (name == "align") {
        if (floats && (lower == "left" || lower == "right"))
            return "float: " + lower;
        if (element == "table" && lower == "center")
            return "margin-left: auto; margin-right: auto";
        if (element == "caption" && (lower == "top" || lower == "bottom"))
            return "caption-side: " + lower;
        if (lower == "top" || lower == "middle" || lower == "bottom" || lower == "baseline")
            return "vertical-align: " + lower;
        if (lower == "left" || lower == "right" || lower == "center" || lower == "justify")
            return "text-align: " + lower;
        return "";
    }
    if (name == "valign")
        return "vertical-align: " + lower;
    if (name == "bgcolor")
        return "background-color: " + css;
    if (name == "color" || (name == "text" && element == "body"))
        return "color: " + css;
    if (name == "face")
        return "font-family: " + css;
    if (name == "size" && element == "span") {
        std::string size = FontSize(value);
        return size.empty() ? "" : "font-size: " + size;
    }
    if (name == "width" || name == "height")
        return std::string(name) + ": " + CssLength(value);
    if (name == "nowrap")
        return "white-space: nowrap";
    if (name == "cellspacing")
        return "border-spacing: " + CssLength(value);
    if (name == "hspace")
        return "margin-left: " + CssLength(value) + "; margin-right: " + CssLength(value);
    if (name == "vspace")
        return "margin-top: " + CssLength(value) + "; margin-bottom: " + CssLength(value);
    if (name == "clear" && element == "br")
        return "clear: " + std::string(lower == "all" ? "both" : lower);
    if (name == "border")
        return IsDigits(css) && css != "0" ? "border: " + css + "px solid" : (IsDigits(css) ? "border: none" : "");
    if (name == "type" && (element == "ul" || element == "li" || element == "ol")) {
        static constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
            {"disc", "disc"}, {"circle", "circle"}, {"square", "square"}, {"1", "decimal"},
            {"a", "lower-alpha"}, {"i", "lower-roman"}};
        for (const auto& [key, style] : kTypes)
            if (css == key || lower == key)
                return "list-style-type: " + std::string(css == "A" ? "upper-alpha" : css == "I" ? "upper-roman" : style);
    }
    return "";
}

// Whether an element's own attribute has a value of the kind it needs; a value that does
// not fit is treated as presentational or kept as a data- attribute.
bool ValueFits(std::string_view element, std::string_view name, std::string_view value) {
    if (name == "width" || name == "height" || name == "colspan" || name == "rowspan" || name == "span" ||
        name == "start" || (name == "value" && element == "li"))
        return IsDigits(value) || (name == "start" && value.size() > 1 && value[0] == '-' && IsDigits(value.substr(1)));
    if (name == "border")
        return value.empty() || value == "1";
    if (name == "type" && element == "ol")
        return value == "1" || value == "a" || value == "A" || value == "i" || value == "I";
    if (name == "type" && (element == "a" || element == "link" || element == "object" || element == "embed" ||
                           element == "source" || element == "script" || element == "style"))
        return (element == "script" && value == "module") ||
               (value.find('/') != std::string_view::npos && value.find_first_of(" \t\r\n") == std::string_view::npos &&
                value.front() != '/' && value.back() != '/');
    if (name == "id" || (name == "name" && element == "a"))
        return !value.empty() && value.find_first_of(" \t\r\n\f") == std::string_view::npos;
    if (name == "tabindex")
        return IsDigits(value) || (value.size() > 1 && value[0] == '-' && IsDigits(value.substr(1)));
    if (name == "dir")
        return value == "ltr" || value == "rtl" || value == "auto";
    if (name == "target")
        return !value.empty();
    return true;
}

// Whether the condition of a role rule holds for an element with these attributes
// (names lower-cased) standing in `parent`.
bool RoleConditionHolds(std::string_view condition, const std::vector<Attribute>& attributes,
                        std::string_view parent) {
    const auto find = [&](std::string_view name) {
        return std::find_if(attributes.begin(), attributes.end(),
                            [&](const Attribute& attribute) { return attribute.first == name; });
    };
    if (condition.empty())
        return true;
    if (condition == "href")
        return find("href") != attributes.end();
    if (condition.starts_with("in: "))
        return parent == condition.substr(4);
    const auto type = find("type");
    std::string value = type == attributes.end() ? std::string("-") : Trimmed(type->second);
    for (char& ch : value)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ListHas(condition.substr(condition.find(' ') + 1), value);
}

// Whether a role attribute's value is one ARIA role that the element may take.
bool RoleFits(std::string_view element, std::string_view role, const std::vector<Attribute>& attributes,
              std::string_view parent) {
    if (!ListHas(kAriaRoles, role))
        return false;
    for (const RoleRule& rule : kRoleRules)
        if (ListHas(rule.elements, element) && RoleConditionHolds(rule.condition, attributes, parent))
            return ListHas(rule.roles, role);
    return true;
}

}  // namespace

bool ListHas(std::string_view list, std::string_view name) {
    size_t start = 0;
    while (start < list.size()) {
        while (start < list.size() && list[start] == ' ')
            ++start;
        size_t end = list.find(' ', start);
        if (end == std::string_view::npos)
            end = list.size();
        if (list.substr(start, end - start) == name)
            return true;
        start = end;
    }
    return false;
}

const Element* FindElement(std::string_view lowerName) {
    auto found = std::lower_bound(std::begin(kElements), std::end(kElements), lowerName,
                                  [](const Entry& entry, std::string_view name) { return entry.source < name; });
    return found != std::end(kElements) && found->source == lowerName ? &found->element : nullptr;
}

bool IsDiscarded(std::string_view lowerName) {
    return std::find(std::begin(kDiscarded), std::end(kDiscarded), lowerName) != std::end(kDiscarded);
}

const Element& GenericBlock() { return kGenericBlock; }
const Element& GenericInline() { return kGenericInline; }

std::string DataAttributeName(std::string_view name) {
    std::string text = "data-";
    for (char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        const char lower = static_cast<char>(std::tolower(byte));
        text += (std::isalnum(byte) && byte < 0x80) || ch == '-' || ch == '_' || ch == '.' ? lower : '-';
    }
    return text;
}

MappedAttributes MapAttributes(const Element& element, std::string_view sourceName,
                               const std::vector<Attribute>& attributes, std::string_view parent) {
    MappedAttributes mapped;
    std::string style(element.style);
    std::string ownStyle;
    const auto add = [&](std::string name, std::string value) {
        for (const Attribute& existing : mapped.attributes)
            if (existing.first == name)
                return false;
        mapped.attributes.emplace_back(std::move(name), std::move(value));
        return true;
    };
    const auto addStyle = [&](const std::string& declaration) {
        if (declaration.empty())
            return;
        if (!style.empty())
            style += "; ";
        style += declaration;
    };
    // A font's attributes are all presentational.
    const bool isFont = sourceName == "font";
    for (const auto& [name, value] : attributes) {
        if (name.empty())
            continue;
        if (name == "style") {
            ownStyle = Trimmed(value);
            continue;
        }
        if (name == "xmlns" || name.starts_with("xmlns:"))
            continue;  // the writer declares the namespaces the document uses
        const bool global = ListHas(kGlobalAttributes, name) ||
                            (name.starts_with("aria-") && ListHas(kAriaAttributes, name.substr(5))) ||
                            (name.starts_with("data-") && DataAttributeName(name.substr(5)) == name);
        const bool handler = name.size() > 2 && name.starts_with("on") &&
                             std::all_of(name.begin(), name.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
        const bool own = !isFont && ListHas(element.attributes, name);
        const bool fits = ValueFits(element.name, name, value) &&
                          (name != "role" || RoleFits(element.name, value, attributes, parent));
        if ((global || own) && fits) {
            if (!add(name, ListHas(kBooleanAttributes, name) ? name : value))
                ++mapped.renamed;
            continue;
        }
        if (handler) {
            mapped.scripted = true;
            add(name, value);
            continue;
        }
        std::string declaration = PresentationalStyle(isFont ? "span" : element.name, name, value);
        if (!declaration.empty()) {
            addStyle(declaration);
            continue;
        }
        // A name attribute of an element that has no such attribute any more names it: it
        // becomes its id, when it has none and the name can be one.
        if (name == "name" && ValueFits(element.name, "id", value) &&
            std::none_of(attributes.begin(), attributes.end(), [](const Attribute& a) { return a.first == "id"; })) {
            if (add("id", value))
                continue;
        }
        ++mapped.renamed;
        add(DataAttributeName(name), value);
    }
    if (!ownStyle.empty()) {
        // The source's own style comes last, so that it still wins over the mapped one.
        if (!style.empty())
            style += "; ";
        style += ownStyle;
    }
    if (!style.empty())
        mapped.attributes.emplace_back("style", style);
    return mapped;
}

}  // namespace litgen::xhtml
