// What differs between the builds: UTF-16 files, 8-bit decoding, non-ASCII word
// characters, references beyond U+FFFF and comment blocks.

#include <gtest/gtest.h>

#include "tests/markup/RecordingParser.h"

namespace {

using leaf::test::ByteRecorder;
using leaf::test::ParseText;
using leaf::test::TempFolder;
using leaf::test::WideRecorder;
using Strings = std::vector<std::string>;

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
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

TEST(MarkupParser, ReferencesYieldUtf8Bytes) {
    TempFolder folder;
    ByteRecorder parser;
    ParseText(parser, folder, "caf&eacute; &#8212;&euro;&#150; \n");
    EXPECT_EQ(parser.words, (Strings{"caf\u00E9", "\u2014\u20AC\u2013"}));
    // Positions keep counting the file's bytes after multi-byte replacements.
    EXPECT_EQ(parser.events.back(), "word \u2014\u20AC\u2013 state=0 line=1 para=1 n=2 start=12 pos=31");
}

}  // namespace
