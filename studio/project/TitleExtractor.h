#pragma once

// CTitleExtractor: reads the text of an HTML file's title element: its words joined by
// single spaces, at most 1022 characters. The scan stops at the first body word after the
// title, or at the first word beyond line 100 when no title came before it.

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

    static constexpr size_t kTitleLimit = 1022;

private:
    std::u16string m_buffer;
};
