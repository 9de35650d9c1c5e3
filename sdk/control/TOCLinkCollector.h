#pragma once

// CTocLinkCollector: collects the links of a table-of-contents page in document order,
// each with the text it shows (at most 50 characters, then "...") and its href as the
// page means it (its character references decoded, its "%XX" escapes kept). It is the
// UTF-16 markup scanner with characters kept as they are: punctuation stays and entity
// references in text are not decoded, so a link's text reads as the page wrote it,
// except that its white space (line ends and tabs included) collapses to single spaces
// between words, as the page shows it.

#include <string>
#include <string_view>
#include <vector>

#include "markup/MarkupParserW.h"
#include "platform/base/Types.h"

struct CTocLink {
    std::u16string title;
    std::u16string href;
};

class CTocLinkCollector : public CMarkupParserW {
public:
    // Told how many more bytes of the file have been read; FALSE stops the parse.
    using ProgressCallback = BOOL (*)(LONG units, void* context);

    static constexpr size_t kMaxTitleLength = 50;

    explicit CTocLinkCollector(ProgressCallback progress = nullptr, void* context = nullptr);
    ~CTocLinkCollector() override;

    // Parses the page and appends its links to `links`; returns the scanner's result.
    int ParseFile(std::string_view path, std::vector<CTocLink>& links);
    // The scanner's parse without a list to fill (the links are dropped).
    int ParseFile(std::string_view path) override;

    BOOL OnWord(std::u16string_view word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override;
    BOOL OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int line) override;
    BOOL OnChar(char16_t ch, WORD state, int line) override;
    char16_t TranslateChar(char16_t ch) override;
    int GetCharClass(char16_t ch) override;
    BOOL DecodeEntity(std::u16string_view text, std::u16string& entityText, std::u16string& replacement) override;

private:
    void ForgetLink();

    ProgressCallback m_progress;
    void* m_context;
    std::vector<CTocLink>* m_links = nullptr;
    std::u16string m_text;
    bool m_pendingSpace = false;  // white space after the text so far
    std::u16string m_href;
    BOOL m_inLink = FALSE;
    LONGLONG m_reportedPosition = 0;
};
