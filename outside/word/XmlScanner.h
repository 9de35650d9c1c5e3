#pragma once

// A small forward-only reader of XML text, enough for the parts of a Word document
// package: elements with their attributes, character data (entities and character
// references decoded, CDATA sections kept), end tags. Declarations, processing
// instructions and comments are skipped. Malformed input never overruns: the scanner
// stops with an error at the first thing it cannot read.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace wordstub {

class XmlScanner {
public:
    enum class Token { StartElement, EndElement, Text, End, Error };

    explicit XmlScanner(std::string_view text) : m_text(text) {}

    // The next token. An empty element (<a/>) gives StartElement then EndElement.
    Token Next();

    // For StartElement and EndElement: the qualified name ("w:t").
    const std::string& Name() const { return m_name; }
    // The name after its prefix ("t" for "w:t").
    std::string_view LocalName() const;
    // For StartElement: the attributes, values decoded.
    const std::vector<std::pair<std::string, std::string>>& Attributes() const { return m_attributes; }
    // The value of the attribute of that qualified name, or of that local name when
    // `name` holds no prefix; empty when missing.
    std::string Attribute(std::string_view name) const;
    // For Text: the decoded characters.
    const std::string& Text() const { return m_textValue; }
    // Elements open around the current position (a start tag counts once it is read).
    int Depth() const { return m_depth; }

private:
    Token ReadMarkup();
    Token ReadStartTag();
    Token ReadEndTag();
    Token ReadText();
    bool SkipPast(std::string_view terminator);
    bool ReadName(std::string& name);
    void SkipSpace();
    bool AppendDecoded(std::string_view raw, std::string& out) const;

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_depth = 0;
    bool m_pendingEnd = false;
    std::string m_name;
    std::string m_textValue;
    std::vector<std::pair<std::string, std::string>> m_attributes;
};

}  // namespace wordstub
