// The line readers of both builds.

#include <gtest/gtest.h>

#include <cstdint>

#include "markup/MarkupFile.h"
#include "markup/MarkupFileW.h"
#include "platform/base/TextEncoding.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf16Bytes.h"

namespace {

using leaf::test::TempFolder;
using leaf::test::Utf16Bytes;
using namespace std::string_literals;

constexpr UINT kReadFlags = CFile::modeRead | CFile::shareDenyNone;
constexpr size_t kBlock = 64 * 1024;  // the readers' block size

std::vector<std::string> ReadAll(CMarkupFile& file, std::vector<ULONGLONG>* positions = nullptr) {
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line)) {
        lines.push_back(line);
        if (positions) positions->push_back(file.GetPosition());
        if (lines.size() > 100) break;
    }
    return lines;
}

std::vector<std::u16string> ReadAll(CMarkupFileW& file, std::vector<ULONGLONG>* positions = nullptr) {
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.ReadLine(line)) {
        lines.push_back(line);
        if (positions) positions->push_back(file.GetPosition());
        if (lines.size() > 100) break;
    }
    return lines;
}

TEST(MarkupFile, DeliversLinesThenOneEmptyLineThenEnd) {
    TempFolder folder;
    CMarkupFile file;
    ASSERT_TRUE(file.Open(folder.WriteFile("a.htm", "a\r\nb").c_str(), kReadFlags));
    std::vector<ULONGLONG> positions;
    EXPECT_EQ(ReadAll(file, &positions), (std::vector<std::string>{"a\n", "b", ""}));
    EXPECT_EQ(positions, (std::vector<ULONGLONG>{3, 4, 4}));

    ASSERT_TRUE(file.Open(folder.WriteFile("empty.htm", "").c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{""}));
    ASSERT_TRUE(file.Open(folder.WriteFile("lf.htm", "a\n\nb\rc\n").c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"a\n", "\n", "b\rc\n", ""}));
    EXPECT_FALSE(file.Open((folder / "missing.htm").c_str(), kReadFlags));
}

TEST(MarkupFile, LinesOfAnyLengthAndCarriageReturnsAcrossBlocksAreWhole) {
    TempFolder folder;
    const std::string longLine(3 * kBlock + 17, 'x');
    const std::string first(kBlock - 1, 'y');  // its "\r\n" straddles the first block's end
    CMarkupFile file;
    ASSERT_TRUE(file.Open(folder.WriteFile("a.htm", first + "\r\n" + longLine + "\nz").c_str(), kReadFlags));
    std::vector<ULONGLONG> positions;
    const auto lines = ReadAll(file, &positions);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], first + "\n");
    EXPECT_EQ(lines[1], longLine + "\n");
    EXPECT_EQ(lines[2], "z");
    EXPECT_EQ(positions[0], kBlock + 1);
    EXPECT_EQ(positions[2], kBlock + 1 + longLine.size() + 2);
}

TEST(MarkupFile, AUtf8MarkIsPassedOverAndCountedOnlyAtTheStart) {
    TempFolder folder;
    CMarkupFile file;
    ASSERT_TRUE(file.Open(folder.WriteFile("bom.htm", "\xEF\xBB\xBF<p>a\n").c_str(), kReadFlags));
    std::vector<ULONGLONG> positions;
    EXPECT_EQ(ReadAll(file, &positions), (std::vector<std::string>{"<p>a\n", ""}));
    EXPECT_EQ(positions, (std::vector<ULONGLONG>{8, 8}));
    // Only the whole mark at the very start; a mark later on, or a part of one, is text.
    ASSERT_TRUE(file.Open(folder.WriteFile("late.htm", "x\xEF\xBB\xBF").c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"x\xEF\xBB\xBF", ""}));
    ASSERT_TRUE(file.Open(folder.WriteFile("part.htm", "\xEF\xBB").c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"\xEF\xBB", ""}));
    ASSERT_TRUE(file.Open(folder.WriteFile("only.htm", "\xEF\xBB\xBF").c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{""}));
}

TEST(MarkupFile, Utf16FilesOfEitherByteOrderAreHandedOutAsUtf8) {
    TempFolder folder;
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        CMarkupFile file;
        // A lone surrogate reads as U+FFFD, so does the odd last byte.
        const std::string bytes = Utf16Bytes(u"<p>\u00E9\r\n\U0001F600\xD800x\n", bigEndian) + "\x01";
        ASSERT_TRUE(file.Open(folder.WriteFile("u.htm", bytes).c_str(), kReadFlags));
        EXPECT_TRUE(file.IsUtf16());
        EXPECT_EQ(file.GetPosition(), 2u);
        std::vector<ULONGLONG> positions;
        EXPECT_EQ(ReadAll(file, &positions), (std::vector<std::string>{"<p>\xC3\xA9\n", "\xF0\x9F\x98\x80\xEF\xBF\xBDx\n",
                                                                       "\xEF\xBF\xBD", ""}));
        EXPECT_EQ(positions, (std::vector<ULONGLONG>{14, 24, 25, 25}));
    }
    // A UTF-16 file without its mark is bytes like any other.
    CMarkupFile file;
    ASSERT_TRUE(file.Open(folder.WriteFile("n.htm", std::string("a\0\n\0", 4)).c_str(), kReadFlags));
    EXPECT_FALSE(file.IsUtf16());
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{std::string("a\0\n", 3), std::string("\0", 1), ""}));
}

TEST(MarkupFile, ASurrogatePairAcrossABlockEndIsConvertedWhole) {
    TempFolder folder;
    // The first block holds the units after the mark: the 'a's and the pair's first half.
    const std::u16string text = std::u16string(kBlock / 2 - 1, u'a') + u"\U0001F600\n";
    CMarkupFile file;
    ASSERT_TRUE(file.Open(folder.WriteFile("s.htm", Utf16Bytes(text, true)).c_str(), kReadFlags));
    const auto lines = ReadAll(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(kBlock / 2 - 1, 'a') + "\xF0\x9F\x98\x80\n");
}

TEST(MarkupFileW, BigEndianUtf16ReadsAsLittleEndianDoes) {
    TempFolder folder;
    CMarkupFileW file;
    ASSERT_TRUE(file.Open(folder.WriteFile("b.htm", Utf16Bytes(u"a\r\n\u4E2Db", true) + "\x01").c_str(), kReadFlags));
    EXPECT_TRUE(file.IsUnicode());
    EXPECT_TRUE(file.IsBigEndian());
    std::vector<ULONGLONG> positions;
    EXPECT_EQ(ReadAll(file, &positions), (std::vector<std::u16string>{u"a\n", u"\u4E2Db\uFFFD", u""}));
    EXPECT_EQ(positions, (std::vector<ULONGLONG>{8, 13, 13}));
    // The UTF-8 mark is no UTF-16 mark: this build keeps it as a character.
    ASSERT_TRUE(file.Open(folder.WriteFile("m.htm", "\xEF\xBB\xBFx").c_str(), kReadFlags));
    EXPECT_FALSE(file.IsUnicode());
    EXPECT_FALSE(file.IsBigEndian());
    EXPECT_EQ(ReadAll(file), (std::vector<std::u16string>{u"\uFEFFx", u""}));
}

TEST(MarkupFileW, Utf16FileWithMarkCountsTwoBytesPerUnitFromTwo) {
    TempFolder folder;
    CMarkupFileW file;
    const std::string bytes("\xFF\xFE" "a\0\r\0\n\0b\0\x01", 11);  // the odd last byte is not a unit
    ASSERT_TRUE(file.Open(folder.WriteFile("u.htm", bytes).c_str(), kReadFlags));
    EXPECT_TRUE(file.IsUnicode());
    EXPECT_EQ(file.GetPosition(), 2u);
    std::vector<ULONGLONG> positions;
    EXPECT_EQ(ReadAll(file, &positions), (std::vector<std::u16string>{u"a\n", u"b\uFFFD", u""}));
    EXPECT_EQ(positions, (std::vector<ULONGLONG>{8, 11, 11}));
}

TEST(MarkupFileW, OtherFilesAreUtf8WithWindows1252FallbackCountingBytes) {
    TempFolder folder;
    CMarkupFileW file;
    ASSERT_TRUE(file.Open(folder.WriteFile("b.htm", "\xC3\xA9\r\n\x93x\x94\na\0b"s).c_str(), kReadFlags));
    EXPECT_FALSE(file.IsUnicode());
    std::vector<ULONGLONG> positions;
    EXPECT_EQ(ReadAll(file, &positions),
              (std::vector<std::u16string>{u"\u00E9\n", u"\u201Cx\u201D\n", u"a\0b"s, u""}));
    EXPECT_EQ(positions, (std::vector<ULONGLONG>{4, 8, 11, 11}));

    // UTF-16 without the mark reads as bytes, one unit per byte.
    ASSERT_TRUE(file.Open(folder.WriteFile("n.htm", std::string("a\0b\0", 4)).c_str(), kReadFlags));
    EXPECT_EQ(ReadAll(file), (std::vector<std::u16string>{std::u16string(u"a\0b\0", 4), u""}));
}

TEST(MarkupFileW, SequencesAcrossBlockEndsAreNeverSplit) {
    TempFolder folder;
    const std::string head(kBlock - 1, 'a');  // the two bytes of U+00E9 straddle the block end
    CMarkupFileW file;
    ASSERT_TRUE(file.Open(folder.WriteFile("s.htm", head + "\xC3\xA9\n").c_str(), kReadFlags));
    const auto lines = ReadAll(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::u16string(head.begin(), head.end()) + u"\u00E9\n");

    // Unicode mode: the unit that fills a block and the line feed in the next.
    std::string bytes = "\xFF\xFE";
    for (size_t i = 0; i < kBlock / 2; ++i) bytes += std::string("b\0", 2);
    bytes += std::string("\x4E\x2D\n\0", 4);
    ASSERT_TRUE(file.Open(folder.WriteFile("u.htm", bytes).c_str(), kReadFlags));
    const auto units = ReadAll(file);
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0], std::u16string(kBlock / 2, u'b') + u"\u2D4E\n");
}

// The 8-bit reader decodes short UTF-8 sequences itself and leaves the rest to the
// decoder; every line must read as the decoder reads it whole: valid sequences as their
// characters, anything else byte by byte as Windows-1252.
TEST(MarkupFileW, LinesDecodeAsTheWholeLineDecodes) {
    const std::string pieces[] = {
        "a",         "Z",            " ",        "<p>",        "\xC3\xA9",       "\xC2\xA5",    "\xDF\xBF",
        "\xE2\x80\x94", "\xEF\xBB\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xED\xA0\x80",  // surrogate: not UTF-8
        "\xE0\x9F\xBF", "\xC0\xAF",     "\xC1\xBF",  "\x80",         "\xBF",          "\xC3",       "\xE2\x80",
        "\xF0\x9F\x98\x80", "\xF4\x90\x80\x80", "\x93",  "\xFF",         "\xFE",
    };
    TempFolder folder;
    CMarkupFileW file;
    std::uint32_t seed = 7;
    for (int round = 0; round < 300; ++round) {
        std::string line = "x";  // no byte-order mark at the start of the file
        const int count = 1 + static_cast<int>(seed % 40);
        for (int i = 0; i < count; ++i) {
            seed = seed * 1664525u + 1013904223u;
            line += pieces[(seed >> 8) % std::size(pieces)];
        }
        // ASCII runs long enough for the sixteen-byte widening, on either side.
        if (round % 3 == 0) {
            line = std::string(19, 'q') + line + std::string(33, 'r');
        }
        ASSERT_TRUE(file.Open(folder.WriteFile("d.htm", line + "\n").c_str(), kReadFlags));
        std::u16string read;
        ASSERT_TRUE(file.ReadLine(read));
        EXPECT_EQ(read, leaf::Utf8ToUtf16(line + "\n")) << "round " << round;
    }
}

}  // namespace
