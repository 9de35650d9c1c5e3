#pragma once

// A scanner subclass for the tests: records every call-back as one line of text (UTF-8)
// and can be told to refuse at a chosen call.

#include <cstdio>
#include <string>
#include <vector>

#include "markup/MarkupParser.h"
#include "markup/MarkupParserW.h"
#include "platform/base/TextEncoding.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {

inline std::string ToUtf8(std::string_view text) { return std::string(text); }
inline std::string ToUtf8(std::u16string_view text) { return leaf::Utf16ToUtf8(text); }
inline std::string CharToUtf8(char ch) { return std::string(1, ch); }
inline std::string CharToUtf8(char16_t ch) { return leaf::Utf16ToUtf8(std::u16string(1, ch)); }

template <typename Base>
class RecordingParser : public Base {
public:
    using typename Base::StringView;
    using Ch = typename Base::Char;

    std::vector<std::string> events;  // words, tags and entities in order
    std::vector<std::string> words;   // the words alone
    std::string chars;                // every OnChar character
    std::string wordChars;            // every OnWordChar character
    std::string separators;           // every OnSeparator character
    std::vector<WORD> charStates;     // the state of each OnChar call
    bool recordCharEvents = false;    // also put "char X" lines into events

    // Refuse the n-th call (counted from 1) of one kind; 0 never refuses.
    int refuseWord = 0, refuseTag = 0, refuseEntity = 0, refuseChar = 0;
    int throwAtTag = 0;

    BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override {
        char details[160];
        std::snprintf(details, sizeof details, " state=%x line=%d para=%d n=%d start=%lld pos=%lld", state, line,
                      paragraph, wordNumber, static_cast<long long>(wordStart), static_cast<long long>(position));
        events.push_back("word " + ToUtf8(word) + details);
        words.push_back(ToUtf8(word));
        return ++m_words != refuseWord;
    }
    BOOL OnTag(StringView name, StringView attributes, BOOL endTag, int line) override {
        events.push_back(std::string("tag ") + (endTag ? "/" : "") + ToUtf8(name) + " [" + ToUtf8(attributes) +
                         "] line=" + std::to_string(line));
        ++m_tags;
        if (m_tags == throwAtTag) {
            throw std::runtime_error("handler failure");
        }
        return m_tags != refuseTag;
    }
    BOOL OnEntity(StringView entityText, int line) override {
        events.push_back("entity " + ToUtf8(entityText));
        return ++m_entities != refuseEntity;
    }
    BOOL OnChar(Ch ch, WORD state, int line) override {
        chars += CharToUtf8(ch);
        charStates.push_back(state);
        if (recordCharEvents) {
            events.push_back("char " + CharToUtf8(ch));
        }
        return ++m_chars != refuseChar;
    }
    void OnWordChar(Ch ch) override { wordChars += CharToUtf8(ch); }
    void OnSeparator(Ch ch) override { separators += CharToUtf8(ch); }

private:
    int m_words = 0, m_tags = 0, m_entities = 0, m_chars = 0;
};

using ByteRecorder = RecordingParser<CMarkupParser>;
using WideRecorder = RecordingParser<CMarkupParserW>;

// Writes the bytes to a file in the folder and parses it.
template <typename Parser>
int ParseText(Parser& parser, const TempFolder& folder, const std::string& bytes,
              const std::string& name = "page.htm") {
    return parser.ParseFile(folder.WriteFile(name, bytes));
}

}  // namespace leaf::test
