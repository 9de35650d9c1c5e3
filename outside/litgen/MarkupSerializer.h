#pragma once

// CMarkupSerializer: turns the element stream of one markup item back into text (UTF-8).
// Elements are written as they arrive, with their attributes in order and double-quoted;
// text is escaped, except inside style and script elements, whose content the reader
// takes as written. Text arrives one UTF-16 unit at a time, so it is collected and
// encoded at the next element boundary: a surrogate pair split over two calls stays one
// character.

#include <string>
#include <utility>
#include <vector>

class CMarkupSerializer {
public:
    using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;

    void StartElement(const std::u16string& name, const Attributes& attributes, bool hasContent);
    void WriteText(std::u16string_view text);
    void WriteComment(std::u16string_view text);
    // False when no element with content is open.
    bool EndElement();

    // The names of the elements still open, innermost last.
    const std::vector<std::u16string>& OpenElements() const { return m_open; }
    // The text so far (pending text included).
    const std::string& Text();

private:
    void FlushText();
    bool InRawTextElement() const;

    std::string m_text;
    std::u16string m_pendingText;
    std::vector<std::u16string> m_open;
};
