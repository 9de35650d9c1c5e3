#pragma once

// CTitleExtractor: reads the text of an HTML file's title element as the file has it,
// punctuation and character references (decoded) included, with its white space
// collapsed: runs of spaces, tabs and line ends become one space and none is left at
// either end. A title longer than 1022 characters ends with the last whole word within
// them. The scan stops at the first body word after the title, or at the first word
// beyond line 100 when no title came before it.

#include <string>

#include "markup/MarkupParserW.h"
#include "platform/base/CString.h"

class CTitleExtractor : public CMarkupParserW {
public:
    CTitleExtractor() = default;
    ~CTitleExtractor() override = default;

    // Sets title to the file's title when one is found; leaves it unchanged otherwise.
    void GetTitle(const CString& path, CString& title);

    BOOL OnWord(std::u16string_view word, WORD state, int line, int paragraph, int wordNumber,
                LONGLONG wordStart, LONGLONG position) override;
    BOOL OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int line) override;
    BOOL OnChar(char16_t ch, WORD state, int line) override;

    static constexpr size_t kTitleLimit = 1022;

private:
    std::u16string m_buffer;
    // White space read after the text so far, written as one space before the next character.
    bool m_pendingSpace = false;
};
