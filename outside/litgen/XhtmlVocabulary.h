#pragma once

// XhtmlVocabulary: what a content document of the e-book may hold. Each element name a
// source may use is looked up here: the elements of XHTML keep their name, the old
// presentational ones (font, center, big, tt, strike, ...) get the element that does
// their work and the style that keeps their look, and unknown names are left to the
// writer (a div or a span, whichever the place allows). Attributes an element may not
// carry become style properties where they were presentational (align, bgcolor,
// width, ...), else "data-" attributes, so no value of the source is lost; so does a role
// the element may not take (an ARIA role that its kind of element does not allow, or a
// value that is not one ARIA role).

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace litgen::xhtml {

// Where an element may stand and what its children may be.
enum class Content {
    Flow,        // blocks and phrasing (div, li, td, body)
    Phrasing,    // phrasing only (p, span, h1, em)
    Transparent, // what its parent allows (a, ins, del, object)
    List,        // li children (ul, ol, menu)
    DefinitionList,  // dt and dd children
    Table,       // caption, colgroup, row groups and rows
    RowGroup,    // rows (thead, tbody, tfoot)
    Row,         // cells
    ColumnGroup, // col children
    Select,      // option and optgroup children
    Text,        // text only (title, style, script, textarea, option)
    Empty,       // no children: a void element, or an iframe (written with an end tag)
};

enum class Place {
    Phrasing,  // may stand in phrasing content (and in flow content)
    Flow,      // only in flow content
    Head,      // document metadata: title, meta, link, style, base
    Special,   // only inside a particular parent (li, tr, td, dt, option, ...)
    Root,      // html, head, body
};

struct Element {
    std::string_view name;      // the XHTML name written
    Place place;
    Content content;
    std::string_view style;     // style that keeps a presentational element's look
    std::string_view parents;   // Special: the parents it may stand in, space separated
    std::string_view attributes;  // its own attributes besides the global ones
};

// The rule for a source element name (lower-cased); nullptr for a name unknown here,
// and for the few that carry nothing (basefont, spacer, ...: see IsDiscarded).
const Element* FindElement(std::string_view lowerName);
// Names of empty presentational elements whose whole meaning is style that no longer
// applies (basefont, spacer, nextid, isindex): they are left out.
bool IsDiscarded(std::string_view lowerName);

// The generic elements for a name that is not known: a div where blocks may stand, else a span.
const Element& GenericBlock();
const Element& GenericInline();

// One attribute as it will be written.
using Attribute = std::pair<std::string, std::string>;

struct MappedAttributes {
    std::vector<Attribute> attributes;  // in source order, names unique, "style" last
    size_t renamed = 0;                  // attributes kept only as "data-" ones (their work is lost)
    bool scripted = false;               // an event handler attribute is present
};

// Maps the source attributes (names lower-cased by the caller, values decoded) of an
// element written as `element`; `sourceName` is the element's own name in the source
// (for the style of presentational elements), `parent` the name of the element it is
// written in (the roles of some elements depend on it). A role the element may not take
// is kept as a "data-" attribute, as is any attribute it may not carry.
MappedAttributes MapAttributes(const Element& element, std::string_view sourceName,
                               const std::vector<Attribute>& attributes, std::string_view parent = {});

// Whether a space-separated list of the vocabulary (an element's parents, a rule's
// elements or roles) holds the name.
bool ListHas(std::string_view list, std::string_view name);

// Whether a name is an XML name that data- attribute names may use; otherwise it is
// rewritten by DataAttributeName.
std::string DataAttributeName(std::string_view name);

}  // namespace litgen::xhtml
