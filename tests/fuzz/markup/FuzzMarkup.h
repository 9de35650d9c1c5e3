#pragma once

// Shared body of the scanner fuzz targets: the input is written to a file and parsed
// by users that keep the default character handlers (so the scanner takes its bulk paths;
// one of them trims words itself) and by one that overrides them (every character through
// the general step), and by users that report (and translate) characters themselves and
// their counterparts through the general step. All must finish, keep the scanner's
// promises and see the same calls: the same words, tags and entities at the same positions,
// and the same characters in the same states.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "markup/MarkupAttributes.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace leaf::fuzz {

// The scratch file of this process.
inline std::string ScratchFile() {
    return ScratchFile("leaf-fuzz-markup", "page.htm");
}

inline void WriteScratch(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);
}


template <typename Base>
class CheckingParser : public Base {
public:
    using typename Base::StringView;
    using Ch = typename Base::Char;

    std::vector<std::basic_string<Ch>> events;

    bool TakesBulkPaths() const { return this->HasDefaultCharHandlers(); }

    BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override {
        Check(!word.empty());
        Check(line >= m_lastLine && paragraph >= 1 && wordNumber > m_lastWordNumber);
        m_lastWordNumber = wordNumber;
        if ((state & Base::stateCommentBlock) == 0) {
            // Words of text come in file order.
            Check(position >= m_lastPosition && wordStart <= position);
            m_lastPosition = position;
        }
        Record('w', word, state, line, paragraph, wordNumber, wordStart, position);
        return TRUE;
    }
    BOOL OnTag(StringView name, StringView attributes, BOOL endTag, int line) override {
        Check(!name.empty());
        Check(line >= m_lastLine);
        m_lastLine = line;
        leaf::markup::SplitAttributes(attributes, m_tokens);
        for (std::basic_string<Ch>& token : m_tokens) {
            leaf::markup::FoldPath(token);
        }
        Record(endTag ? 'e' : 't', name, 0, line, 0, 0, 0, 0);
        events.back().append(attributes);
        return TRUE;
    }
    BOOL OnEntity(StringView entityText, int line) override {
        Record('&', entityText, 0, line, 0, 0, 0, 0);
        return TRUE;
    }

    // Forgets what the checks have seen, for another parse.
    void Reset() {
        m_lastLine = 0;
        m_lastWordNumber = 0;
        m_lastPosition = 0;
        events.clear();
    }

protected:
    void Record(char kind, StringView text, WORD state, int line, int paragraph, int wordNumber, LONGLONG start,
                LONGLONG position) {
        std::basic_string<Ch> event(1, Ch(kind));
        for (long long number : {static_cast<long long>(state), static_cast<long long>(line),
                                 static_cast<long long>(paragraph), static_cast<long long>(wordNumber),
                                 static_cast<long long>(start), static_cast<long long>(position)}) {
            for (char digit : std::to_string(number) + ",") {
                event.push_back(Ch(digit));
            }
        }
        event.append(text);
        events.push_back(std::move(event));
    }

private:
    int m_lastLine = 0;
    int m_lastWordNumber = 0;
    LONGLONG m_lastPosition = 0;
    std::vector<std::basic_string<Ch>> m_tokens;
};

// The same checks with every character handler overridden.
template <typename Base>
class PerCharacterParser : public CheckingParser<Base> {
public:
    using Ch = typename Base::Char;
    BOOL OnChar(Ch ch, WORD state, int line) override { return TRUE; }
    void OnWordChar(Ch ch) override {}
    void OnSeparator(Ch ch) override {}
};

// The bulk paths with a TrimWord of the subclass's own (the base's, called through it).
template <typename Base>
class OwnTrimParser : public CheckingParser<Base> {
public:
    void TrimWord(typename Base::String& word) override { Base::TrimWord(word); }
};

// Reports every character itself (each one recorded among the words, tags and entities),
// keeping the character classes, OnWordChar and OnSeparator, as the build's scanners do:
// the scanner then takes its character-by-character runs. With OwnTranslation it also
// translates characters itself, leaving line feeds and tabs as they are.
template <typename Base, bool OwnTranslation>
class CharReportingParser : public CheckingParser<Base> {
public:
    using Ch = typename Base::Char;
    BOOL OnChar(Ch ch, WORD state, int line) override {
        this->Record('c', typename Base::StringView(&ch, 1), state, line, 0, 0, 0, 0);
        return TRUE;
    }
    Ch TranslateChar(Ch ch) override { return OwnTranslation ? ch : Base::TranslateChar(ch); }
};

// The same with OnWordChar and OnSeparator its own too: every character through the
// general step.
template <typename Base, bool OwnTranslation>
class GeneralStepParser : public CharReportingParser<Base, OwnTranslation> {
public:
    using Ch = typename Base::Char;
    void OnWordChar(Ch ch) override {}
    void OnSeparator(Ch ch) override {}
};

// Parses the scratch file with both and checks that they saw the same calls.
template <typename Runs, typename General>
void CheckSameCalls(Runs& runs, General& general) {
    Check(runs.ParseFile(ScratchFile()) == 0);
    Check(general.ParseFile(ScratchFile()) == 0);
    Check(runs.events == general.events);
    runs.Reset();
    general.Reset();
}

template <typename Parser>
int FuzzOneInput(const uint8_t* data, size_t size) {
    WriteScratch(data, size);
    CheckingParser<Parser> bulk;
    OwnTrimParser<Parser> ownTrim;
    PerCharacterParser<Parser> perCharacter;
    Check(bulk.TakesBulkPaths() && ownTrim.TakesBulkPaths() && !perCharacter.TakesBulkPaths());
    CharReportingParser<Parser, false> reporting;
    GeneralStepParser<Parser, false> generalStep;
    CharReportingParser<Parser, true> translating;
    GeneralStepParser<Parser, true> generalTranslating;
    // Nothing in the input may fail a parse. The second parse runs with the base folder
    // that a <base href> of the first one left behind.
    for (int pass = 0; pass < 2; ++pass) {
        Check(bulk.ParseFile(ScratchFile()) == 0);
        Check(ownTrim.ParseFile(ScratchFile()) == 0);
        Check(perCharacter.ParseFile(ScratchFile()) == 0);
        Check(bulk.events == perCharacter.events);
        Check(ownTrim.events == perCharacter.events);
        bulk.Reset();
        ownTrim.Reset();
        perCharacter.Reset();
        CheckSameCalls(reporting, generalStep);
        CheckSameCalls(translating, generalTranslating);
    }
    return 0;
}

}  // namespace leaf::fuzz
