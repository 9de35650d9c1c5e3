// What differs between the builds: UTF-16 files (of either byte order), 8-bit decoding,
// byte-order marks, non-ASCII word characters, references beyond U+FFFF and comment
// blocks.

#include <gtest/gtest.h>

#include "tests/markup/RecordingParser.h"

namespace {

using leaf::test::ByteRecorder;
using leaf::test::ParseText;
using leaf::test::TempFolder;
using leaf::test::WideRecorder;
using Strings = std::vector<std::string>;

std::string Utf16File(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

TEST(MarkupParserW, ReadsUtf16FilesCountingTwoBytesPerUnit) {
    TempFolder folder;
    WideRecorder parser;
    ASSERT_EQ(ParseText(parser, folder, Utf16File(u"H\u00E9 llo\r\nw\u00F6rld \n")), 0);
    EXPECT_TRUE(parser.IsUnicodeFile());
    EXPECT_EQ(parser.events, (Strings{"word H\u00E9 state=0 line=1 para=1 n=1 start=2 pos=6",
                                      "word llo state=0 line=1 para=1 n=2 start=8 pos=14",
                                      "word w\u00F6rld state=0 line=2 para=1 n=3 start=18 pos=28"}));
}

TEST(MarkupParserW, ReadsOtherFilesAsUtf8WithAWindows1252Fallback) {
    TempFolder folder;
    WideRecorder parser;
    ASSERT_EQ(ParseText(parser, folder, "Gr\u00FC\u00DFe an Zo\u00EB \ncaf\xE9 \x93q\x94 \n"), 0);
    EXPECT_FALSE(parser.IsUnicodeFile());
    EXPECT_EQ(parser.words, (Strings{"Gr\u00FC\u00DFe", "an", "Zo\u00EB", "caf\u00E9", "q"}));
    EXPECT_EQ(parser.separators, "     \u201C\u201D  ");
}

TEST(MarkupParserW, LettersOfEveryScriptMakeWords) {
    TempFolder folder;
    WideRecorder parser;
    ParseText(parser, folder, "na\u00EFve \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \u4E2D\u6587\u3002x \n");
    EXPECT_EQ(parser.words,
              (Strings{"na\u00EFve", "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", "\u4E2D\u6587", "x"}));
}

TEST(MarkupParserW, AReferenceBeyondTheBasicPlaneGivesASurrogatePairAndKeepsPositions) {
    TempFolder folder;
    WideRecorder parser;
    ParseText(parser, folder, "x&#x1F600;y z\n");
    EXPECT_EQ(parser.events, (Strings{"entity #x1F600;", "word x\U0001F600y state=0 line=1 para=1 n=1 start=0 pos=11",
                                      "word z state=0 line=1 para=1 n=2 start=12 pos=13"}));
}

TEST(MarkupParserW, UnicodeCommentBlockStartsWithTheYenSign) {
    TempFolder folder;
    WideRecorder parser;
    ParseText(parser, folder, Utf16File(u"<!--\u00A5 a-b' c>x \n"));
    EXPECT_EQ(parser.words, (Strings{"\u00A5", "ab", "c", "x"}));
    EXPECT_EQ(parser.events[2], "word c state=2 line=1 para=1 n=3 start=0 pos=0");
    EXPECT_EQ(parser.chars.substr(0, 6), "<!--\u00A5");
}

TEST(MarkupParser, CommentBlockDeliversItsWordsUpToTheNextAngleBracket) {
    TempFolder folder;
    ByteRecorder parser;
    ParseText(parser, folder, "<!--\xC2\xA5 note here>x \n");
    EXPECT_EQ(parser.events, (Strings{"word \u00A5 state=2 line=1 para=1 n=1 start=0 pos=6",
                                      "word note state=2 line=1 para=1 n=2 start=0 pos=11",
                                      "word here state=2 line=1 para=1 n=3 start=0 pos=0",
                                      "word x state=0 line=1 para=1 n=4 start=17 pos=18"}));
    EXPECT_EQ(parser.chars, "<!--\xC2\xA5 note here>x  ");
    EXPECT_EQ(parser.charStates[0], 0x0002);
}

TEST(MarkupParser, CommentBlockMarkerMayBeALegacyByteAfterOneSpace) {
    TempFolder folder;
    ByteRecorder parser;
    ParseText(parser, folder, "<!-- \xA5x <b>y>z \n");
    EXPECT_EQ(parser.words, (Strings{"\xA5x", "b", "y", "z"}));  // no tag inside the block
}

TEST(MarkupParser, PositionsOnTheFirstLineCountAUtf8Mark) {
    TempFolder folder;
    ByteRecorder parser;
    ParseText(parser, folder, "\xEF\xBB\xBFHello world\nagain \n");
    EXPECT_EQ(parser.events, (Strings{"word Hello state=0 line=1 para=1 n=1 start=3 pos=8",
                                      "word world state=0 line=1 para=1 n=2 start=9 pos=14",
                                      "word again state=0 line=2 para=1 n=3 start=15 pos=20"}));
}

TEST(MarkupParser, ReadsUtf16FilesOfEitherByteOrderAsUtf8) {
    TempFolder folder;
    const std::u16string text = u"<p title='\u00E9'>H\u00E9 llo\r\nw\u00F6rld \U0001F600 \n";
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        ByteRecorder parser;
        ASSERT_EQ(ParseText(parser, folder, Utf16File(text, bigEndian)), 0);
        // Positions count UTF-8 bytes from each line's start, the file's offset of the
        // line: 2 after the mark, 2 + 2 * 21 after the first line's 21 units.
        EXPECT_EQ(parser.events,
                  (Strings{"tag p [title='\u00E9'] line=1", "word H\u00E9 state=0 line=1 para=2 n=1 start=16 pos=19",
                           "word llo state=0 line=1 para=2 n=2 start=20 pos=23",
                           "word w\u00F6rld state=0 line=2 para=2 n=3 start=44 pos=50",
                           "word \U0001F600 state=0 line=2 para=2 n=4 start=51 pos=55"}));
    }
}

TEST(MarkupParser, PositionsNeverRunBackwardsWhereUtf8OutgrowsUtf16) {
    // Each of these characters takes three bytes in UTF-8 and two in the file.
    TempFolder folder;
    ByteRecorder parser;
    ASSERT_EQ(ParseText(parser, folder, Utf16File(u"\u4E2D\u6587\u4E2D\u6587\u4E2D\u6587 x\n y \n")), 0);
    EXPECT_EQ(parser.events, (Strings{"word \u4E2D\u6587\u4E2D\u6587\u4E2D\u6587 state=0 line=1 para=1 n=1 start=2 pos=20",
                                      "word x state=0 line=1 para=1 n=2 start=21 pos=22",
                                      "word y state=0 line=2 para=1 n=3 start=24 pos=25"}));
}

TEST(MarkupParser, ReferencesYieldUtf8Bytes) {
    TempFolder folder;
    ByteRecorder parser;
    ParseText(parser, folder, "caf&eacute; &#8212;&euro;&#150; \n");
    EXPECT_EQ(parser.words, (Strings{"caf\u00E9", "\u2014\u20AC\u2013"}));
    // Positions keep counting the file's bytes after multi-byte replacements.
    EXPECT_EQ(parser.events.back(), "word \u2014\u20AC\u2013 state=0 line=1 para=1 n=2 start=12 pos=31");
}

}  // namespace
