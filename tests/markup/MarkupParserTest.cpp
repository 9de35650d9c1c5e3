// The parse loop: call sequences, positions, state bits and results, in both builds
// (ASCII input reads the same in each).

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/markup/RecordingParser.h"

namespace {

using leaf::test::ParseText;
using leaf::test::TempFolder;
using Strings = std::vector<std::string>;

template <typename Recorder>
class MarkupParse : public testing::Test {
protected:
    // Parses the text and returns the events.
    Strings Parse(const std::string& text, int expectedResult = 0) {
        EXPECT_EQ(ParseText(parser, folder, text), expectedResult) << text;
        return parser.events;
    }

    TempFolder folder;
    Recorder parser;
};
using Recorders = testing::Types<leaf::test::ByteRecorder, leaf::test::WideRecorder>;
TYPED_TEST_SUITE(MarkupParse, Recorders);

TYPED_TEST(MarkupParse, WordsCarryPositionsLineParagraphAndNumber) {
    EXPECT_EQ(this->Parse("Hello world\n"),
              (Strings{"word Hello state=0 line=1 para=1 n=1 start=0 pos=5",
                       "word world state=0 line=1 para=1 n=2 start=6 pos=11"}));
    EXPECT_EQ(this->parser.chars, "Hello world ");  // the line feed reads as a space
    EXPECT_EQ(this->parser.wordChars, "Helloworld");
    EXPECT_EQ(this->parser.separators, "  ");
}

TYPED_TEST(MarkupParse, PositionsCountTheCarriageReturnThatTheReaderDrops) {
    EXPECT_EQ(this->Parse("ab\r\ncd \n"),
              (Strings{"word ab state=0 line=1 para=1 n=1 start=0 pos=2",
                       "word cd state=0 line=2 para=1 n=2 start=4 pos=6"}));
}

TYPED_TEST(MarkupParse, TheLastWordOfAFileWithoutLineFeedIsNotDelivered) {
    EXPECT_EQ(this->Parse("one two"), (Strings{"word one state=0 line=1 para=1 n=1 start=0 pos=3"}));
}

TYPED_TEST(MarkupParse, EntityIsReportedThenItsCharacterEndsTheWord) {
    EXPECT_EQ(this->Parse("a&amp;b\n"),
              (Strings{"entity amp;", "word a state=0 line=1 para=1 n=1 start=0 pos=1",
                       "word b state=0 line=1 para=1 n=2 start=6 pos=7"}));
    EXPECT_EQ(this->parser.chars, "a&b ");
}

TYPED_TEST(MarkupParse, EscapedMarkupIsTextNeverATag) {
    EXPECT_EQ(this->Parse("&lt;b&gt; x\n"),
              (Strings{"entity lt;", "entity gt;", "word b state=0 line=1 para=1 n=1 start=4 pos=5",
                       "word x state=0 line=1 para=1 n=2 start=10 pos=11"}));
    EXPECT_EQ(this->parser.chars, "<b> x ");
}

TYPED_TEST(MarkupParse, EntitiesInsideTagsStayAsWritten) {
    EXPECT_EQ(this->Parse("<a title=\"x&amp;y\">z \n"),
              (Strings{"tag a [title=\"x&amp;y\"] line=1", "word z state=0 line=1 para=1 n=1 start=19 pos=20"}));
}

TYPED_TEST(MarkupParse, ADoubledAngleBracketIsACharacter) {
    EXPECT_EQ(this->Parse("<<b>x \n"), (Strings{"tag b [] line=1", "word x state=0 line=1 para=1 n=1 start=4 pos=5"}));
    EXPECT_EQ(this->parser.chars, "<bx  ");
}

TYPED_TEST(MarkupParse, DeclarationEndsOnlyAtDashAngleBracket) {
    EXPECT_EQ(this->Parse("<!-- a -- >b\nc -->d e\n"),
              (Strings{"word d state=0 line=2 para=1 n=1 start=18 pos=19",
                       "word e state=0 line=2 para=1 n=2 start=20 pos=21"}));
    EXPECT_EQ(this->parser.chars, "<!-- a -- >b c -->d e ");
    EXPECT_EQ(this->parser.charStates.front(), 0x0100);
    EXPECT_EQ(this->parser.charStates[17], 0x0100);  // the closing '>'
    EXPECT_EQ(this->parser.charStates[18], 0x0000);
}

TYPED_TEST(MarkupParse, DoctypeAndCdataAreTags) {
    EXPECT_EQ(this->Parse("<!DOCTYPE html><![CDATA[x]]><?xml version=1?>\n"),
              (Strings{"tag !DOCTYPE [html] line=1", "tag ![CDATA[x]] [] line=1", "tag ?xml [version=1?] line=1"}));
}

TYPED_TEST(MarkupParse, SlashesInTagNames) {
    EXPECT_EQ(this->Parse("<br/><br /></p >\n"),
              (Strings{"tag br/ [] line=1", "tag br [/] line=1", "tag /p [] line=1"}));
}

TYPED_TEST(MarkupParse, TheFirstAngleBracketEndsATagEvenInsideQuotes) {
    EXPECT_EQ(this->Parse("<a title=\"x>y\">\n"),
              (Strings{"tag a [title=\"x] line=1", "word y state=0 line=1 para=1 n=1 start=12 pos=13"}));
}

TYPED_TEST(MarkupParse, RawContentEndsOnlyAtItsOwnEndTag) {
    EXPECT_EQ(this->Parse("<script>if (a<b) x();</SCRIPT>after \n"),
              (Strings{"tag script [] line=1", "tag /SCRIPT [] line=1",
                       "word after state=0 line=1 para=1 n=1 start=30 pos=35"}));
    EXPECT_EQ(this->parser.wordChars, "after");  // nothing is collected inside the script
    EXPECT_EQ(this->parser.chars, "scriptif (a<b) x();SCRIPTafter  ");
}

TYPED_TEST(MarkupParse, HeadAndStyleWordsAreCollectedButNotDelivered) {
    this->Parse("<head><style>p {}</style>h</head>x \n");
    EXPECT_EQ(this->parser.words, (Strings{"x"}));
    EXPECT_EQ(this->parser.wordChars, "phx");
}

TYPED_TEST(MarkupParse, TitleWordsCarryTheTitleBit) {
    this->Parse("<head><title>My <b>Book</title></head>Body\n");
    EXPECT_EQ(this->parser.events,
              (Strings{"tag head [] line=1", "tag title [] line=1",
                       "word My state=5 line=1 para=2 n=1 start=13 pos=15",
                       "word b state=5 line=1 para=2 n=2 start=17 pos=18",  // no tag inside the title
                       "word Book state=5 line=1 para=2 n=3 start=19 pos=23", "tag /title [] line=1",
                       "tag /head [] line=1", "word Body state=0 line=1 para=2 n=4 start=38 pos=42"}));
}

TYPED_TEST(MarkupParse, NothingIsCollectedInScriptObjectCommentOrDeletedText) {
    this->Parse("<del>gone</del><object>o</object><comment>c <b> d</comment>kept \n");
    EXPECT_EQ(this->parser.words, (Strings{"kept"}));
    EXPECT_EQ(this->parser.wordChars, "kept");
    EXPECT_EQ(this->parser.events.size(), 7u);  // del, /del, object, /object, comment, /comment, kept
}

TYPED_TEST(MarkupParse, BlockStartTagsRaiseTheParagraph) {
    this->Parse("<p>a <p>b </p>c <BR>d \n");
    EXPECT_EQ(this->parser.events,
              (Strings{"tag p [] line=1", "word a state=0 line=1 para=2 n=1 start=3 pos=4", "tag p [] line=1",
                       "word b state=0 line=1 para=3 n=2 start=8 pos=9", "tag /p [] line=1",
                       "word c state=0 line=1 para=3 n=3 start=14 pos=15", "tag BR [] line=1",
                       "word d state=0 line=1 para=4 n=4 start=20 pos=21"}));
}

TYPED_TEST(MarkupParse, WordBreakTagsEndWordsInlineTagsDoNot) {
    EXPECT_EQ(this->Parse("ab<br>cd <b>e</b>f \n"),
              (Strings{"word ab state=0 line=1 para=1 n=1 start=0 pos=2", "tag br [] line=1",
                       "word cd state=0 line=1 para=2 n=2 start=6 pos=8", "tag b [] line=1", "tag /b [] line=1",
                       "word ef state=0 line=1 para=2 n=3 start=12 pos=18"}));
}

TYPED_TEST(MarkupParse, ALoneAngleBracketOpensANamelessTagThatIsDropped) {
    EXPECT_EQ(this->Parse("a < b>c \n"), (Strings{"word a state=0 line=1 para=1 n=1 start=0 pos=1",
                                                  "word c state=0 line=1 para=1 n=2 start=6 pos=7"}));
    EXPECT_EQ(this->parser.chars, "a  bc  ");  // the space and 'b' inside the tag are still seen
    EXPECT_EQ(this->parser.charStates[2], 0x0400);
    EXPECT_EQ(this->parser.charStates[3], 0x0C00);
}

TYPED_TEST(MarkupParse, TagCharactersCarryTheTagBits) {
    this->Parse("<a b>\n");
    EXPECT_EQ(this->parser.chars, "a b ");
    EXPECT_EQ(this->parser.charStates, (std::vector<WORD>{0x0400, 0x0400, 0x0C00, 0}));
}

TYPED_TEST(MarkupParse, TagsAndDeclarationsSpanLines) {
    EXPECT_EQ(this->Parse("<img\nsrc=a.gif\nalt=x>\n"), (Strings{"tag img [src=a.gif alt=x] line=3"}));
}

TYPED_TEST(MarkupParse, WordInternalCharactersAreTrimmed) {
    this->Parse("-don't- it's_ 'x' \n");
    EXPECT_EQ(this->parser.words, (Strings{"don't", "it's", "x"}));
    EXPECT_EQ(this->parser.separators, "-  '  ");  // class-2 characters before a word, then the ends
}

TYPED_TEST(MarkupParse, EmptyAndMissingFiles) {
    EXPECT_EQ(this->Parse(""), Strings{});
    EXPECT_TRUE(this->parser.chars.empty());
    EXPECT_EQ(this->parser.ParseFile(this->folder / "missing.htm"), 1);
}

TYPED_TEST(MarkupParse, APathWithANulIsNotOpenedAtItsPrefix) {
    const std::string page = this->folder.WriteFile("page.htm", "word \n");
    EXPECT_EQ(this->parser.ParseFile(page + std::string("\0.bak", 5)), 1);
    EXPECT_TRUE(this->parser.events.empty());
    EXPECT_EQ(this->parser.ParseFile(page), 0);
    EXPECT_EQ(this->parser.words, Strings{"word"});
}

TYPED_TEST(MarkupParse, AFalseFromAHandlerStopsAtOnce) {
    this->parser.refuseWord = 2;
    this->Parse("a b c d\n", 3);
    EXPECT_EQ(this->parser.words, (Strings{"a", "b"}));
    EXPECT_EQ(this->parser.chars, "a b ");

    TypeParam tags;
    tags.refuseTag = 1;
    EXPECT_EQ(ParseText(tags, this->folder, "<a><b>\n"), 4);
    EXPECT_EQ(tags.events.size(), 1u);

    TypeParam entities;
    entities.refuseEntity = 1;
    EXPECT_EQ(ParseText(entities, this->folder, "x &amp; y\n"), 5);
    EXPECT_EQ(entities.chars, "x ");

    TypeParam chars;
    chars.refuseChar = 3;
    EXPECT_EQ(ParseText(chars, this->folder, "abcdef\n"), 6);
    EXPECT_EQ(chars.chars, "abc");

    TypeParam throwing;
    throwing.throwAtTag = 1;
    EXPECT_EQ(ParseText(throwing, this->folder, "<a>\n"), 2);
}

TYPED_TEST(MarkupParse, ARunOfDigitsAtTheVeryEndKeepsItsLastDigit) {
    EXPECT_EQ(this->Parse("x &#65"), (Strings{"word x state=0 line=1 para=1 n=1 start=0 pos=1", "entity #65"}));
    EXPECT_EQ(this->parser.chars, "x A");
}

TYPED_TEST(MarkupParse, PositionsStayTrueAfterManyEntities) {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "&#x41;&amp;";
    }
    text += "end \n";
    this->Parse(text);
    ASSERT_FALSE(this->parser.words.empty());
    EXPECT_EQ(this->parser.events.back(), "word end state=0 line=1 para=1 n=1001 start=11000 pos=11003");
}

TYPED_TEST(MarkupParse, HugeTokensAndLinesSurviveIntact) {
    const std::string value(1 << 20, 'v');
    const std::string word(1 << 20, 'w');
    this->Parse("<img alt=\"" + value + "\">" + word + " tail \n");
    ASSERT_EQ(this->parser.events.size(), 3u);
    EXPECT_EQ(this->parser.events[0], "tag img [alt=\"" + value + "\"] line=1");
    EXPECT_EQ(this->parser.words[0], word);
    EXPECT_EQ(this->parser.words[1], "tail");
}

TYPED_TEST(MarkupParse, NulIsAnOrdinaryCharacter) {
    using namespace std::string_literals;
    this->Parse("a\0b <x t=\"1\0\">\n"s);
    EXPECT_EQ(this->parser.words, (Strings{"a", "b"}));
    EXPECT_EQ(this->parser.events.back(), "tag x [t=\"1\0\"] line=1"s);
}

TYPED_TEST(MarkupParse, ObjectsCanParseFromInsideEachOthersCallBacks) {
    struct Nesting : TypeParam {
        TempFolder* folder = nullptr;
        TypeParam inner;
        BOOL OnTag(typename TypeParam::StringView name, typename TypeParam::StringView attributes, BOOL endTag,
                   int line) override {
            ParseText(inner, *folder, "<inner>word \n", "inner.htm");
            return TypeParam::OnTag(name, attributes, endTag, line);
        }
    } outer;
    outer.folder = &this->folder;
    EXPECT_EQ(ParseText(outer, this->folder, "before <outer x=1> after \n"), 0);
    EXPECT_EQ(outer.words, (Strings{"before", "after"}));
    EXPECT_EQ(outer.events[1], "tag outer [x=1] line=1");
    EXPECT_EQ(outer.inner.words, (Strings{"word"}));
}

TYPED_TEST(MarkupParse, AParseStartedFromItsOwnCallBackIsRefused) {
    struct Reentering : TypeParam {
        std::string otherPage;
        std::vector<int> nestedResults;
        BOOL OnTag(typename TypeParam::StringView name, typename TypeParam::StringView attributes, BOOL endTag,
                   int line) override {
            nestedResults.push_back(this->ParseFile(otherPage));
            return TypeParam::OnTag(name, attributes, endTag, line);
        }
    } parser;
    parser.otherPage = this->folder.WriteFile("other.htm", "x\n");
    EXPECT_EQ(ParseText(parser, this->folder, "first <b> second third \n"), 0);
    EXPECT_EQ(parser.words, (Strings{"first", "second", "third"}));
    EXPECT_EQ(parser.nestedResults, std::vector<int>{1});
    // Once the parse is over the object parses again.
    EXPECT_EQ(parser.ParseFile(parser.otherPage), 0);
}

// A subclass of the kind that keeps line feeds and tabs and takes everything but a space
// for a word character.
template <typename Base>
struct RawTextRecorder : Base {
    using Ch = typename Base::Char;
    Ch TranslateChar(Ch ch) override { return ch; }
    int GetCharClass(Ch ch) override { return ch == ' ' ? leaf::markup::kSeparator : leaf::markup::kWordChar; }
};

TYPED_TEST(MarkupParse, WhiteSpaceEndsTheTagNameWhateverTheCharacterClasses) {
    RawTextRecorder<TypeParam> parser;
    EXPECT_EQ(ParseText(parser, this->folder, "<a\thref=x><b\r\nc=1>\n"), 0);
    EXPECT_EQ(parser.events, (Strings{"tag a [href=x] line=1", "tag b [c=1] line=2"}));
}

TYPED_TEST(MarkupParse, ASubclassReplacementLongerThanItsReferenceIsSplicedIn) {
    struct Expanding : TypeParam {
        BOOL DecodeEntity(typename TypeParam::StringView text, typename TypeParam::String& entityText,
                          typename TypeParam::String& replacement) override {
            if (text.substr(0, 2) != typename TypeParam::StringView(typename TypeParam::String{'x', ';'})) {
                return FALSE;
            }
            entityText = {'x', ';'};
            replacement = {'L', 'O', 'N', 'G', ' ', 'T', 'E', 'X', 'T'};
            return TRUE;
        }
    } parser;
    EXPECT_EQ(ParseText(parser, this->folder, "a&x;b \n"), 0);
    EXPECT_EQ(parser.chars, "aLONG TEXTb  ");
    EXPECT_EQ(parser.words, (Strings{"aLONG", "TEXTb"}));
}

}  // namespace
