#pragma once

// CXhtmlSerializer: writes one HTML item of the e-book, as the control streams it element
// by element, as a well-formed XHTML content document: an XML declaration, the XHTML
// namespace, a head with a title (the page's own, else its first heading, else its file
// name) and the page's metadata, and a body with the rest.
//
// Element names are lower-cased and looked up in XhtmlVocabulary: presentational ones get
// the element and style that do their work, unknown ones become a div or a span. What may
// not stand where it stands is put right the way browsers read it: a block inside a
// paragraph ends the paragraph, a block inside phrasing becomes a span, a stray child of
// a list or table gets the item, row or cell it needs, head elements in the body move to
// the head. Text and attribute values are escaped and hold only characters XML allows.
// Links and sources that name no item of the e-book are kept as "data-" attributes, so
// readers do not follow them into nothing; links to items are written to the names the
// items have in the e-book, and a picture of a type that readers need not show becomes
// an object whose text is the picture's. Style text loses the declarations EPUB does not
// allow (direction, unicode-bidi); a style attribute's direction becomes the element's
// dir. What was changed is counted, so the writer can report it.

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "outside/litgen/DirectionDeclarations.h"
#include "outside/litgen/XhtmlVocabulary.h"

class CXhtmlSerializer {
public:
    using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;

    // What a local link names.
    enum class Target { Missing, ContentDocument, OtherItem };
    struct TargetInfo {
        Target kind = Target::Missing;
        std::string path;         // the item's own href, which may differ in letter case
        std::string archivePath;  // its name in the e-book, which links are written to
        std::string foreignPictureType;  // a picture readers need not show: its media type
    };
    using TargetLookup = std::function<TargetInfo(const std::string& path)>;

    // One link of the page to a place in the e-book: its target (resolved) and text.
    struct Link {
        std::string path;      // publication path of the document it names
        std::string fragment;  // empty when none
        std::string text;      // its text, white space collapsed
    };

    // A link to a place in a page (a fragment), as it was written, to be checked once
    // every page is known.
    struct FragmentLink {
        std::string path;      // the item it names
        std::string fragment;
        std::string written;   // the href value written
    };

    // Makes the link in `document` open its page without the fragment; the number of
    // links changed.
    static size_t DropFragment(std::string& document, const FragmentLink& link);

    // What making the page valid could not keep: the writer reports it. Presentational
    // markup written as the element and style that do its work, and the items, rows, cells
    // and terms that stray content gets, keep what the page meant and are not counted.
    struct Changes {
        size_t elements = 0;    // elements written as a plain div or span, or left out
        size_t attributes = 0;  // attributes kept only as data- attributes
        size_t links = 0;       // links and sources that name nothing in the e-book
        size_t characters = 0;  // characters XML does not allow, replaced
        size_t styles = 0;      // direction and unicode-bidi declarations whose effect is lost
        size_t styleRules = 0;  // style rules readers of EPUB cannot read, left out
        // Runs of text that came as the content of an element that holds none (the rest of
        // a page after an unclosed embed comes so): kept as text, markup in them included.
        size_t heldText = 0;
        size_t Total() const { return elements + attributes + links + characters + styles + styleRules + heldText; }
    };

    // documentPath: the item's href (publication path); archivePath: its name in the
    // e-book; lookup tells what a local link names.
    CXhtmlSerializer(std::string documentPath, std::string archivePath, TargetLookup lookup);

    void StartElement(const std::u16string& name, const Attributes& attributes, bool hasContent);
    void WriteText(std::u16string_view text);
    void WriteComment(std::u16string_view text);
    // False when no element with content is open.
    bool EndElement();
    size_t OpenElementCount() const { return m_inputDepth; }

    // The complete document; the serializer is spent afterwards.
    std::string Finish();

    const std::string& Title() const { return m_title.empty() ? m_heading : m_title; }
    bool HasScript() const { return m_scripted; }
    const std::vector<Link>& Links() const { return m_links; }
    // The ids of the page's elements: the places its fragments can name.
    const std::set<std::string>& Ids() const { return m_ids; }
    // Its links to places in other pages (those to places in this page are checked by
    // Finish: one to a place it does not hold is kept as a data- attribute).
    const std::vector<FragmentLink>& FragmentLinks() const { return m_fragmentLinks; }
    const Changes& GetChanges() const { return m_changes; }

private:
    enum class Section { Head, Body };
    // Where the next child goes: before any element, inside html, inside head, or in
    // the content of the innermost frame.
    enum class Level { Document, Html, Head, Content };

    struct Frame {
        const litgen::xhtml::Element* rule = nullptr;
        litgen::xhtml::Content content = litgen::xhtml::Content::Flow;  // for its children
        Section section = Section::Body;
        size_t owner = 0;        // the input depth that opened it; closed when that ends
        bool emitted = false;    // its tags are written (html, head and body frames are not)
        bool synthetic = false;  // opened to give a child the parent it needs
        bool link = false;       // an a element whose text is collected as a link's
        bool heading = false;
        bool sawTerm = false;    // a definition list that has a term (dt) already
        bool termOpen = false;   // a definition list whose last term (dt) has no definition yet
        bool heldByVoid = false; // the raw text a void element held, written after it
        bool sawRows = false;       // a table that holds rows directly
        bool sawRowGroups = false;  // a table that holds row groups
    };

    Level CurrentLevel() const;
    litgen::xhtml::Content CurrentContent() const;
    std::string& Buffer(Section section) { return section == Section::Head ? m_head : m_body; }
    std::string& CurrentBuffer();

    void FlushText();
    void WriteContentText(const std::string& text);
    // Makes the content level ready for a child of the given rule (nullptr: text): enters
    // the body, ends a paragraph a block may not stand in, opens the list item, row or
    // cell it needs. Returns the rule the child is written as (a div or span for one
    // that still does not fit).
    const litgen::xhtml::Element* Prepare(const litgen::xhtml::Element* rule);
    void EnterBody();
    void OpenSynthetic(std::string_view name);
    void PushFrame(const litgen::xhtml::Element* rule, bool emitted, bool synthetic, size_t owner);
    void CloseTop();

    std::string StartTag(const litgen::xhtml::Element& rule, const std::vector<litgen::xhtml::Attribute>& attributes,
                         bool empty);
    // What the check of an element's links and sources found.
    struct References {
        bool stands = true;              // false: an img whose picture is not in the e-book
        std::string foreignPictureType;  // an img whose picture readers need not show: its type
    };
    // Checks the links and sources of an element (its style attribute included).
    References CheckReferences(const litgen::xhtml::Element& rule, std::vector<litgen::xhtml::Attribute>& attributes);
    // Style text made fit for the e-book: url()s and imports of files not in it taken out
    // (counted with the links that name nothing), those of renamed files written to their
    // names, the declarations EPUB does not allow taken out, and nested rules written
    // flat (FlatStyleRules.h; the rules readers cannot read left out and counted).
    litgen::DirectionDeclarations MapStyle(std::string& css);
    // The same for an element's style attribute: the direction it set becomes the
    // element's dir, and a style left empty goes.
    void MapStyleAttribute(std::vector<litgen::xhtml::Attribute>& attributes);
    // Writes an img whose picture readers need not show as an object of that picture,
    // whose text (the picture's alternative, else its name) readers show in its place.
    void WriteForeignPicture(const std::vector<litgen::xhtml::Attribute>& attributes, const std::string& type);
    void StartHeadElement(const litgen::xhtml::Element& rule, std::string_view sourceName,
                          std::vector<litgen::xhtml::Attribute>& attributes, bool hasContent);
    bool InsideLink() const;
    // The innermost table being written (its frame holds what it has).
    Frame& TableFrame();
    bool InsideElement(std::string_view name) const;

    std::string m_documentPath;
    std::string m_archivePath;
    TargetLookup m_lookup;
    std::vector<Frame> m_frames;
    size_t m_inputDepth = 0;
    std::u16string m_pendingText;
    std::string m_head;
    std::string m_body;
    std::string m_htmlAttributes;  // written on the html start tag
    std::string m_bodyAttributes;
    bool m_sawHtml = false;
    bool m_sawBody = false;
    bool m_sawTitle = false;
    bool m_keptCharset = false;
    bool m_scripted = false;
    std::string m_title;
    std::string m_heading;  // the first heading's text
    bool m_headingDone = false;
    std::set<std::string> m_ids;
    std::vector<Link> m_links;
    std::vector<FragmentLink> m_fragmentLinks;
    Changes m_changes;
};
