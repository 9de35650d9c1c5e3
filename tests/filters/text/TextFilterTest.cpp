// The plain-text filter (plainintake.so) through its COM object: the page it writes for
// byte and UTF-16 files, tab expansion across blocks, escaping, progress and abort, sizes,
// failures and the tab stop read from the profile.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "filters/text/TextFilterIds.h"
#include "platform/registry/Profile.h"
#include "platform/registry/RegistryKey.h"
#include "tests/filters/text/FilterTestHost.h"

namespace filtertest {
namespace {

constexpr std::string_view kHead = "<html><body><pre>\n";
constexpr std::string_view kTail = "</pre></body></html>";

class TextFilterTest : public testing::Test {
protected:
    void SetUp() override {
        filter = CreateFilter("plainintake.so", CLSID_TextFilter);
        ASSERT_NE(nullptr, filter.Get());
        ASSERT_EQ(S_OK, filter->Initialize());
    }

    // Converts a source holding `text`; the page's bytes (empty when Convert failed).
    std::string Convert(const std::string& text, HRESULT expected = S_OK) {
        const std::string source = folder.WriteFile("src.txt", text);
        const std::string destination = folder / "out.htm";
        EXPECT_EQ(expected, filter->Convert(U16(source).c_str(), U16(destination).c_str(), 1, &host));
        return ReadBytes(destination);
    }
    // The part of a byte-mode page between its head and tail.
    std::string Body(const std::string& text) {
        std::string page = Convert(text);
        EXPECT_TRUE(page.starts_with(kHead) && page.ends_with(kTail)) << page;
        if (page.size() < kHead.size() + kTail.size())
            return {};
        return page.substr(kHead.size(), page.size() - kHead.size() - kTail.size());
    }

    leaf::test::TempFolder folder;
    leaf::ComPtr<IInputFilter> filter;
    RecordingHost host;
};

struct BodyCase {
    const char* name;
    std::string text;
    std::string body;
};

TEST_F(TextFilterTest, ByteModeBodies) {
    const std::string e = "\xC3\xA9";        // é in UTF-8
    const std::string bom = "\xEF\xBB\xBF";  // UTF-8 byte-order mark
    const BodyCase cases[] = {
        {"tab after one column", "a\tb", "a   b"},
        {"tab at a stop", "abcd\tx", "abcd    x"},
        {"tab at line start after CR LF", "ab\r\n\tc", "ab\r\n    c"},
        {"tab after a lone CR", "abc\r\tc", "abc\r    c"},
        {"markup escaped", "x < y & z > w", "x &lt; y &amp; z &gt; w"},
        {"quotes kept", "\"a\" 'b'", "\"a\" 'b'"},
        {"escaped characters take one column", "&\tx", "&amp;   x"},
        {"UTF-8 character takes one column", e + "\tx", e + "   x"},
        {"UTF-8 byte-order mark kept, no column", bom + "\tx", bom + "    x"},
        {"broken UTF-8 bytes kept, one column each", "\xE9\xE8\tx", "\xE9\xE8  x"},
        {"cut sequence: lead and next byte", "\xE2\x82" "a\tx", "\xE2\x82" "a x"},
        {"Windows-1252 text kept", "caf\xE9 \x93q\x94", "caf\xE9 \x93q\x94"},
        {"no line end at the end", "last", "last"},
    };
    for (const BodyCase& c : cases)
        EXPECT_EQ(c.body, Body(c.text)) << c.name;
}

TEST_F(TextFilterTest, EmptyFileGivesAnEmptyBlock) {
    EXPECT_EQ("<html><body><pre>\n</pre></body></html>", Convert(""));
    EXPECT_TRUE(host.steps.empty());
}

TEST_F(TextFilterTest, UnicodeFileStaysUnicode) {
    const std::string text = std::string("\xFF\xFE", 2) + Utf16Bytes("a\t<b>") + std::string("\x3A\xD8\x00\xDC", 4) +
                             Utf16Bytes("\tx\r\n&");
    const std::string page = Convert(text);
    // A surrogate pair (U+1E800 here) is one column: the tab after it stands at column 8.
    const std::string expected = std::string("\xFF\xFE", 2) + Utf16Bytes(kHead) + Utf16Bytes("a   &lt;b&gt;") +
                                 std::string("\x3A\xD8\x00\xDC", 4) + Utf16Bytes("    x\r\n&amp;") + Utf16Bytes(kTail);
    EXPECT_EQ(expected, page);
    // The byte-order mark is not work of the text.
    EXPECT_EQ(static_cast<LONG>(text.size() - 2), host.steps.at(0));
}

TEST_F(TextFilterTest, BigEndianUnicodeFileGivesTheSameLittleEndianPage) {
    const auto bigEndian = [](const std::string& littleEndian) {
        std::string swapped = littleEndian;
        for (size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        return swapped;
    };
    const std::string text = Utf16Bytes("a\t<b>") + std::string("\x3A\xD8\x00\xDC\xE9\x00", 6) + Utf16Bytes("\tx\r\n&");
    const std::string little = Convert(std::string("\xFF\xFE", 2) + text);
    EXPECT_EQ(little, Convert(std::string("\xFE\xFF", 2) + bigEndian(text)));
    EXPECT_NE(little.find(std::string("\x3A\xD8\x00\xDC\xE9\x00", 6) + Utf16Bytes("   x")), std::string::npos);
    // The lone last byte of a big-endian file is the high half of a unit that never came.
    EXPECT_EQ(std::string("\xFF\xFE", 2) + Utf16Bytes(kHead) + Utf16Bytes("ab") + "\xFD\xFF" + Utf16Bytes(kTail),
              Convert(std::string("\xFE\xFF", 2) + bigEndian(Utf16Bytes("ab")) + "c"));
}

TEST_F(TextFilterTest, UnicodeFileWithALoneLastByte) {
    const std::string text = std::string("\xFF\xFE", 2) + Utf16Bytes("ab") + "c";
    EXPECT_EQ(std::string("\xFF\xFE", 2) + Utf16Bytes(kHead) + Utf16Bytes("ab") + "\xFD\xFF" + Utf16Bytes(kTail),
              Convert(text));
}

TEST_F(TextFilterTest, LongLinesConvertInBlocksWithTheTrueColumn) {
    // A line of 10242 characters, a tab just after the 10240th byte and more text: the
    // tab is expanded from column 10242 (10242 mod 4 = 2, so two blanks).
    std::string line(10242, 'x');
    const std::string text = line + "\ty" + "\n" + std::string(30000, 'z') + "<";
    const std::string body = Body(text);
    EXPECT_EQ(line + "  y\n" + std::string(30000, 'z') + "&lt;", body);
    EXPECT_EQ((std::vector<LONG>{10240, 10240, 10240, static_cast<LONG>(text.size() - 30720)}), host.steps);
}

TEST_F(TextFilterTest, ColumnsCountCharactersAcrossBlockEnds) {
    // A two-byte character cut by the block end still counts as one column.
    const std::string text = std::string(10239, 'x') + "\xC3\xA9" + "\tq";
    // 10239 + 1 = 10240 columns, at a stop: four blanks.
    EXPECT_EQ(std::string(10239, 'x') + "\xC3\xA9" + "    q", Body(text));
}

TEST_F(TextFilterTest, AbortStopsTheConversion) {
    host.abortAtStep = 1;
    Convert(std::string(25000, 'a'), E_ABORT);
    EXPECT_EQ(2u, host.steps.size());
}

TEST_F(TextFilterTest, FailuresAndSizes) {
    RecordingHost* none = nullptr;
    const std::u16string missing = U16(folder / "missing.txt");
    const std::u16string out = U16(folder / "out.htm");
    EXPECT_EQ(E_POINTER, filter->Convert(nullptr, out.c_str(), 0, &host));
    EXPECT_EQ(E_POINTER, filter->Convert(missing.c_str(), out.c_str(), 0, none));
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->Convert(missing.c_str(), out.c_str(), 0, &host));

    const std::string source = folder.WriteFile("a.txt", "12345");
    const std::u16string unwritable = U16(folder / "no-such-folder/out.htm");
    EXPECT_EQ(static_cast<HRESULT>(0x80040214), filter->Convert(U16(source).c_str(), unwritable.c_str(), 0, &host));

    LONG units = -1;
    EXPECT_EQ(S_OK, filter->GetSize(U16(source).c_str(), 1, &units));
    EXPECT_EQ(5, units);
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->GetSize(missing.c_str(), 0, &units));
    EXPECT_EQ(0, units);
    units = -1;
    EXPECT_EQ(S_OK, filter->GetSize(missing.c_str(), 0x10001, &units));  // the dependency scan
    EXPECT_EQ(0, units);
    EXPECT_EQ(E_POINTER, filter->GetSize(source.empty() ? nullptr : U16(source).c_str(), 0, nullptr));

    EXPECT_EQ(S_OK, filter->Prepare(U16(source).c_str(), nullptr, &host));
    EXPECT_TRUE(host.dependencies.empty());
    EXPECT_EQ(E_POINTER, filter->Prepare(U16(source).c_str(), nullptr, none));
    EXPECT_TRUE(host.errorDetails.empty());
}

TEST_F(TextFilterTest, TabStopComesFromTheProfile) {
    leaf::Profile profile("Tallbrook Systems, Inc.", "Leafcraft");
    const struct {
        int stored;
        std::string body;
    } cases[] = {{8, "a       b"}, {1, "a b"}, {64, "a" + std::string(63, ' ') + "b"}, {0, "a   b"},
                 {65, "a   b"},   {-3, "a   b"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(profile.WriteProfileInt("Text Filter", "TabStop", c.stored));
        ASSERT_EQ(S_OK, filter->Initialize());
        EXPECT_EQ(c.body, Body("a\tb")) << c.stored;
    }
}

TEST_F(TextFilterTest, RegistersTheTextExtension) {
    leaf::RegistryKey key = leaf::RegistryKey::Open(
        HKEY_USERS, ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\.txt");
    EXPECT_EQ(std::optional<std::string>("Leafcraft.TextFilter"), key.ReadString());
}

// A page is never created over its own source, whichever name leads there; two files
// whose names differ only in case are two files.
TEST_F(TextFilterTest, ConvertingAFileOntoItselfIsRefused) {
    const std::string source = folder.WriteFile("Notes.txt", "keep me");
    const std::string hardLink = folder / "link.txt";
    ASSERT_EQ(0, link(source.c_str(), hardLink.c_str()));
    for (const std::string& destination : {source, folder / "NOTES.TXT", folder / "./Notes.txt", hardLink}) {
        EXPECT_EQ(static_cast<HRESULT>(0x80040214),
                  filter->Convert(U16(source).c_str(), U16(destination).c_str(), 1, &host))
            << destination;
        EXPECT_EQ("keep me", ReadBytes(source)) << destination;
    }

    const std::string other = folder.WriteFile("notes.txt", "other file");
    EXPECT_EQ(S_OK, filter->Convert(U16(source).c_str(), U16(other).c_str(), 1, &host));
    EXPECT_EQ("keep me", ReadBytes(source));
    EXPECT_EQ(std::string(kHead) + "keep me" + std::string(kTail), ReadBytes(other));
}

// A FIFO as the source or the page is refused at once (its open would wait for a
// writer); a writer is held open here so that a filter that does open it cannot hang.
TEST_F(TextFilterTest, SpecialFilesAreRefused) {
    const std::string fifo = folder / "pipe.txt";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_LE(0, writer);
    const std::string out = folder / "out.htm";
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->Convert(U16(fifo).c_str(), U16(out).c_str(), 1, &host));
    LONG units = -1;
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->GetSize(U16(fifo).c_str(), 1, &units));
    const std::string source = folder.WriteFile("a.txt", "text");
    EXPECT_EQ(static_cast<HRESULT>(0x80040214), filter->Convert(U16(source).c_str(), U16(fifo).c_str(), 1, &host));
    char buffer[16];
    EXPECT_EQ(-1, ::read(writer, buffer, sizeof buffer)) << "nothing was written into the FIFO";
    ::close(writer);
}

}  // namespace
}  // namespace filtertest
