#pragma once

// Text helpers of the e-book writer: XML escaping of text and attribute values (only the
// characters XML allows survive), undoing character references, and the hrefs of a
// publication (resolving a link against the page it stands in, percent-escaping a path
// so that it is a valid URL).

#include <string>
#include <string_view>

namespace litgen {

// Whether a code point may appear in an XML document.
bool IsXmlCharacter(char32_t ch);

// UTF-8 text (valid UTF-8, as this system encodes it) made safe for XML character data: '&', '<' and '>' escaped, characters XML
// does not allow replaced by U+FFFD. `replaced`, when given, counts the replacements.
std::string EscapeXmlText(std::string_view text, size_t* replaced = nullptr);
// EscapeXmlText appended to `out`.
void AppendEscapedXmlText(std::string& out, std::string_view text, size_t* replaced = nullptr);
// The same for a double-quoted attribute value ('"' escaped as well; tabs and line ends
// written as references so that they read back as themselves).
std::string EscapeXmlAttribute(std::string_view text, size_t* replaced = nullptr);

// Undoes the character references of a value as it was written in a source: the XML
// ones, the HTML entity names and numeric references. An '&' that begins none stays.
std::string DecodeCharacterReferences(std::string_view value);

// Undoes percent escapes ("%20" -> ' '); a '%' not followed by two hex digits stays.
std::string DecodePercent(std::string_view value);
// A path as a URL: bytes other than letters, digits and "-._~/!$&'()*+,;=:@" escaped,
// "%" included.
std::string EncodeHrefPath(std::string_view path);

// A link as it stands in a document, taken apart.
struct LinkTarget {
    bool local = false;    // a relative reference (no scheme, no authority, not absolute)
    std::string path;      // local: the publication path it names (resolved, decoded); empty
                           // for a reference to the same document
    std::string fragment;  // after '#', decoded; empty when none
    bool hasFragment = false;
};
// Resolves `href` (as written, percent escapes not yet undone) against the folder of the
// document at `documentPath` (a publication path, '/' separated). A path that climbs above
// the publication's root is not local.
LinkTarget ResolveLink(std::string_view href, std::string_view documentPath);

// The href from the document at `fromPath` to the publication path `toPath` (both
// '/' separated), percent-escaped: "../" for each folder to leave, then the rest.
std::string RelativeHref(std::string_view fromPath, std::string_view toPath);

// Text with every run of white space made one space and the ends trimmed.
std::string CollapseWhiteSpace(std::string_view text);

}  // namespace litgen
