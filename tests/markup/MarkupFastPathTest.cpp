// A scanner user that keeps the default character handlers gets runs of characters
// handled in bulk; one that overrides them gets every call. Both must see the same words,
// tags and entities at the same positions. A user that only reports or translates
// characters itself gets runs taken a character at a time without the general step's
// other work, and must see the same calls as through the general step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "tests/markup/RecordingParser.h"

namespace {

using leaf::test::ParseText;
using leaf::test::TempFolder;
using leaf::test::ToUtf8;
using Strings = std::vector<std::string>;

// Records words, tags and entities only, so the scanner may take its bulk paths.
template <typename Base>
class LightRecorder : public Base {
public:
    using typename Base::StringView;
    Strings events;

    bool TakesBulkPaths() const { return this->HasDefaultCharHandlers() && this->HasDefaultTagHandlers(); }

    BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override {
        char details[160];
        std::snprintf(details, sizeof details, " state=%x line=%d para=%d n=%d start=%lld pos=%lld", state, line,
                      paragraph, wordNumber, static_cast<long long>(wordStart), static_cast<long long>(position));
        events.push_back("word " + ToUtf8(word) + details);
        return TRUE;
    }
    BOOL OnTag(StringView name, StringView attributes, BOOL endTag, int line) override {
        events.push_back(std::string("tag ") + (endTag ? "/" : "") + ToUtf8(name) + " [" + ToUtf8(attributes) +
                         "] line=" + std::to_string(line));
        return TRUE;
    }
    BOOL OnEntity(StringView entityText, int line) override {
        events.push_back("entity " + ToUtf8(entityText));
        return TRUE;
    }
};

// Reports characters itself (as the build's scanners do), keeping the character classes,
// OnWordChar and OnSeparator: the scanner takes its character-by-character runs.
template <typename Base>
class CharRecorder : public LightRecorder<Base> {
public:
    using Ch = typename Base::Char;
    int refuseChar = 0;  // refuse the n-th character (counted from 1); 0 never refuses

    bool TakesCharRuns() const { return !this->HasDefaultOnChar() && this->HasDefaultClassHandlers(); }
    BOOL OnChar(Ch ch, WORD state, int line) override {
        char details[64];
        std::snprintf(details, sizeof details, " state=%x line=%d", state, line);
        this->events.push_back("char " + leaf::test::CharToUtf8(ch) + details);
        return ++m_chars != refuseChar;
    }

private:
    int m_chars = 0;
};

// Translates characters itself too, leaving them as they are.
template <typename Base>
class TranslatingCharRecorder : public CharRecorder<Base> {
public:
    using Ch = typename Base::Char;
    Ch TranslateChar(Ch ch) override { return ch; }
};

// The same with every per-character handler its own: each character through the general
// step, which the runs must match call for call.
template <typename Recorder>
class GeneralStepRecorder : public Recorder {
public:
    using Ch = typename Recorder::Char;
    void OnWordChar(Ch) override {}
    void OnSeparator(Ch) override {}
};

const char* const kFragments[] = {
    "<p>", "</p>", "<P CLASS=x>", "&amp;", "&#233;", "&eacute;", "&lt", "&bogus;", "<title>", "</title>",
    "<head>", "</head>", "<script>", "</script>", "<style>", "</style>", "<del>", "</del>", "<!-- ", " -->",
    "<!--\xC2\xA5", ">", "<", "don't", "word", "caf\xC3\xA9", "\xE2\x80\x94", " ", " ", " ", "\n", "\t", "\r\n",
    "'", "-", "_x_", "<a href=\"x.htm\" title='a > b'>", "</a>", "<br>", "<b>", "</b>", "<img src=a.gif alt=''>",
    "<head><base href=\"/b/\"></head>", "<object>", "</object>", "<!DOCTYPE html>", "<<", "<a\nb=1>", "123",
    // Words and runs longer than the blocks text is classified in, so that words cross
    // block ends; letters outside ASCII and the UTF-16 build's word-internal characters.
    "Pneumonoultramicroscopic", "abcdefghijklmnopqrstuvwxyz0123456789", "a b c d e f g h i j k l m n o p",
    "\xCE\xB1\xCE\xB2\xCE\xB3", "\xE4\xB8\xAD\xE6\x96\x87", "it\xE2\x80\x99s", "\xC2\xB4x", "x\xC2\xB4",
    "\xE2\x80\x98", "\xF0\x9F\x98\x80", "--", "x--", "_x", "a-b-c-d-e-f-g-h-i-j-k-l-m-n-o-p-q",
    // Tags the text loop takes whole, and ones it leaves to the general step.
    "<-p>", "< p>", "<em\tclass=a>", "<p\n", "<a  href=x>", "<a -x>", "<br/>", "</ em>", "<a b=\"<\">", "<a b=&amp;>",
    "<title>t&amp;t</title>", "<style>s</style>", "<a\x00b>", "<", "</", "<!", "x&", "&#x",
    // Runs of text longer than the 64 characters classified at a time, with words across
    // their ends, and tags whose attributes hold tabs and line feeds.
    "Honorificabilitudinitatibus-Floccinaucinihilipilification-Antidisestablishmentarianism'",
    "one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen",
    "<img\tsrc=a.gif\talt='x\ny'>", "<p title=\"a\tb\">",
};

std::string RandomDocument(std::uint32_t& seed) {
    std::string document;
    const int pieces = 1 + static_cast<int>(seed % 90);
    for (int i = 0; i < pieces; ++i) {
        seed = seed * 1664525u + 1013904223u;
        document += kFragments[(seed >> 8) % std::size(kFragments)];
    }
    return document;
}

template <typename Parser>
class MarkupFastPath : public testing::Test {};
using Builds = testing::Types<CMarkupParser, CMarkupParserW>;
TYPED_TEST_SUITE(MarkupFastPath, Builds);

TYPED_TEST(MarkupFastPath, BulkAndPerCharacterPathsAgree) {
    TempFolder folder;
    {
        LightRecorder<TypeParam> light;
        leaf::test::RecordingParser<TypeParam> full;
        ASSERT_TRUE(light.TakesBulkPaths());
        ParseText(light, folder, "x\n");
        ParseText(full, folder, "x\n");
    }
    std::uint32_t seed = 12345;
    for (int round = 0; round < 1500; ++round) {
        const std::string document = RandomDocument(seed);
        LightRecorder<TypeParam> light;
        leaf::test::RecordingParser<TypeParam> full;
        ASSERT_EQ(ParseText(light, folder, document), 0);
        ASSERT_EQ(ParseText(full, folder, document), 0);
        ASSERT_EQ(light.events, full.events) << document;
    }
}

TYPED_TEST(MarkupFastPath, AnOverriddenTrimWordSeesEachWordOnItsOwn) {
    // Keeps the default character handlers, so the scanner takes its bulk paths, but
    // trims words itself: each word must still reach it alone, as on the per-character path.
    struct OwnTrim : LightRecorder<TypeParam> {
        void TrimWord(typename TypeParam::String& word) override { TypeParam::TrimWord(word); }
    };
    TempFolder folder;
    {
        OwnTrim parser;
        ASSERT_TRUE(parser.TakesBulkPaths());
        ASSERT_EQ(ParseText(parser, folder, "one two- three\n"), 0);
        EXPECT_EQ(parser.events, (Strings{"word one state=0 line=1 para=1 n=1 start=0 pos=3",
                                          "word two state=0 line=1 para=1 n=2 start=4 pos=8",
                                          "word three state=0 line=1 para=1 n=3 start=9 pos=14"}));
    }
    std::uint32_t seed = 777;
    for (int round = 0; round < 300; ++round) {
        const std::string document = RandomDocument(seed);
        OwnTrim light;
        leaf::test::RecordingParser<TypeParam> full;
        ASSERT_EQ(ParseText(light, folder, document), 0);
        ASSERT_EQ(ParseText(full, folder, document), 0);
        ASSERT_EQ(light.events, full.events) << document;
    }
}

template <typename Recorder>
void ExpectCharRunsMatchTheGeneralStep() {
    TempFolder folder;
    std::uint32_t seed = 4242;
    int stopped = 0;
    constexpr int kRounds = 400;
    for (int round = 0; round < kRounds; ++round) {
        const std::string document = RandomDocument(seed);
        Recorder runs;
        GeneralStepRecorder<Recorder> general;
        ASSERT_TRUE(runs.TakesCharRuns());
        ASSERT_FALSE(general.TakesCharRuns());
        ASSERT_EQ(ParseText(runs, folder, document), 0);
        ASSERT_EQ(ParseText(general, folder, document), 0);
        ASSERT_EQ(runs.events, general.events) << document;
        // A refusal of a character ends both parses alike, at the same call.
        const auto chars = std::count_if(runs.events.begin(), runs.events.end(),
                                         [](const std::string& event) { return event.rfind("char ", 0) == 0; });
        if (chars > 0) {
            Recorder refusingRuns;
            GeneralStepRecorder<Recorder> refusingGeneral;
            refusingRuns.refuseChar = refusingGeneral.refuseChar = 1 + static_cast<int>(seed % chars);
            const int result = ParseText(refusingGeneral, folder, document);
            ASSERT_EQ(ParseText(refusingRuns, folder, document), result) << document;
            ASSERT_EQ(refusingRuns.events, refusingGeneral.events) << document;
            stopped += result == 6 ? 1 : 0;
        }
    }
    EXPECT_GT(stopped, kRounds / 2);  // most refusals fall on characters whose refusal stops the parse
}

TYPED_TEST(MarkupFastPath, SubclassesThatReportCharactersSeeWhatTheGeneralStepGives) {
    ExpectCharRunsMatchTheGeneralStep<CharRecorder<TypeParam>>();
}

TYPED_TEST(MarkupFastPath, SubclassesThatAlsoTranslateCharactersSeeWhatTheGeneralStepGives) {
    ExpectCharRunsMatchTheGeneralStep<TranslatingCharRecorder<TypeParam>>();
}

TYPED_TEST(MarkupFastPath, AHandlerRefusalStopsTheBulkPathToo) {
    struct Refusing : LightRecorder<TypeParam> {
        BOOL OnWord(typename TypeParam::StringView word, WORD state, int line, int paragraph, int wordNumber,
                    LONGLONG wordStart, LONGLONG position) override {
            LightRecorder<TypeParam>::OnWord(word, state, line, paragraph, wordNumber, wordStart, position);
            return this->events.size() < 2;
        }
    } parser;
    TempFolder folder;
    EXPECT_EQ(ParseText(parser, folder, "one two three four\n"), 3);
    EXPECT_EQ(parser.events.size(), 2u);
}

}  // namespace
