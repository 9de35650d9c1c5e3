#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "platform/base/File.h"
#include "studio/project/HeadingAnchorer.h"
#include "tests/support/TempFolder.h"

namespace {

struct Entry {
    int level;
    std::string text;
    std::string id;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "(" << e.level << ", \"" << e.text << "\", \"" << e.id << "\")";
}

struct Recorder {
    std::vector<Entry> entries;
    std::vector<LONGLONG> progress;
    int refuseEntryAt = -1;   // index of the entry answered FALSE
    int refuseProgressAt = -1;

    static BOOL OnEntry(int level, const CString& text, const CString& id, void* context) {
        auto* self = static_cast<Recorder*>(context);
        self->entries.push_back({level, text.str(), id.str()});
        return static_cast<int>(self->entries.size()) - 1 != self->refuseEntryAt;
    }
    static BOOL OnProgress(LONGLONG units, void* context) {
        auto* self = static_cast<Recorder*>(context);
        self->progress.push_back(units);
        return static_cast<int>(self->progress.size()) - 1 != self->refuseProgressAt;
    }
};

std::string ReadAll(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
    return contents;
}

const std::vector<CString> kDefaultTags{"<h1>", "<h2>", "<h3>"};

class HeadingAnchorerTest : public testing::Test {
protected:
    BOOL Anchor(const std::string& path, const std::vector<CString>& tags = kDefaultTags, int levelBase = 1,
                const char* base = "TOC") {
        CHeadingAnchorer anchorer(&Recorder::OnEntry, &Recorder::OnProgress, &recorder);
        const BOOL result = anchorer.AnchorHeadings(path.c_str(), levelBase, tags, base);
        error = anchorer.GetErrorText().str();
        temporary = anchorer.GetTemporaryPath().str();
        return result;
    }
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder.Path()),
                                                 std::filesystem::directory_iterator()));
    }

    leaf::test::TempFolder folder;
    Recorder recorder;
    std::string error;
    std::string temporary;
};

}  // namespace

TEST_F(HeadingAnchorerTest, HeadingsGetNumberedIdsAndAreReportedInDocumentOrder) {
    const std::string path = folder.WriteFile("ch1.htm",
                                              "<html><body>\n<H1>One</H1>\n<p>Text &amp; more</p>\n"
                                              "<h2 class=\"x\">Two\tparts</h2><h4>Four</h4>\n<h1>Three</h1></body></html>\n");
    ASSERT_TRUE(Anchor(path, kDefaultTags, 2)) << error;
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{2, "One", "_LCTOC-1"}, {3, "Two\tparts", "_LCTOC-2"},
                                                    {2, "Three", "_LCTOC-3"}}));
    EXPECT_EQ(ReadAll(path),
              "<html><body>\r\n<h1 id=\"_LCTOC-1\">One</H1>\r\n<p>Text &amp; more</p>\r\n"
              "<h2 class=\"x\" id=\"_LCTOC-2\">Two\tparts</h2><h4>Four</h4>\r\n<h1 id=\"_LCTOC-3\">Three</h1></body>"
              "</html>\r\n");
    EXPECT_FALSE(std::filesystem::exists(temporary));
    EXPECT_EQ(FileCount(), 1u);
    // The previous version went to the trash.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(dataHome, nullptr);
    const std::string trashed = std::string(dataHome) + "/Trash/files/ch1.htm";
    ASSERT_TRUE(std::filesystem::exists(trashed));
    EXPECT_EQ(ReadAll(trashed).rfind("<html><body>\n<H1>One</H1>", 0), 0u);
}

TEST_F(HeadingAnchorerTest, ASecondRunRemovesItsOwnIdsAndNumbersAfresh) {
    const std::string path =
        folder.WriteFile("a.htm", "<h2>B</h2><h1 id=\"_LCTOC-7\">A</h1><p id=\"_LCTOC-9\" class=c>x</p>\n");
    ASSERT_TRUE(Anchor(path));
    const std::string first = ReadAll(path);
    EXPECT_EQ(first, "<h2 id=\"_LCTOC-1\">B</h2><h1 id=\"_LCTOC-2\">A</h1><p class=\"c\">x</p>\r\n");
    recorder.entries.clear();
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(ReadAll(path), first);
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{2, "B", "_LCTOC-1"}, {1, "A", "_LCTOC-2"}}));
}

TEST_F(HeadingAnchorerTest, AHeadingWithItsOwnIdKeepsItAndItsTag) {
    const std::string path = folder.WriteFile("a.htm", "<H1 Id='intro'  class=big>Intro</H1>\n<h1>Next</h1>\n");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "Intro", "intro"}, {1, "Next", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<H1 Id='intro'  class=big>Intro</H1>\r\n<h1 id=\"_LCTOC-1\">Next</h1>\r\n");
}

TEST_F(HeadingAnchorerTest, ARebuiltTagReadsBackAsTheSameAttributes) {
    // Quoted text that holds "id=" is no id of the heading; rebuilt, it must not become one
    // for the next run (nor for a browser, which takes the first id of a tag).
    const std::string path = folder.WriteFile(
        "a.htm", "<h1 x)\"a id=\"b 'say \"hi\"' title=c\\ alt=\"it's\">One</h1>\n");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "One", "_LCTOC-1"}}));
    const std::string first = ReadAll(path);
    EXPECT_EQ(first, "<h1 x) \"a id=\"\"b\" 'say \"hi\"' title=c\\ alt=\"it's\" id=\"_LCTOC-1\">One</h1>\r\n");
    for (int run = 0; run < 2; ++run) {
        recorder.entries.clear();
        ASSERT_TRUE(Anchor(path));
        EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "One", "_LCTOC-1"}}));
        EXPECT_EQ(ReadAll(path), first);
    }
}

TEST_F(HeadingAnchorerTest, AnotherIdBaseNameLeavesTheOtherPrefixAlone) {
    const std::string path = folder.WriteFile("a.htm", "<h1 id=\"_LCTOC-1\">A</h1><h2>B</h2>");
    ASSERT_TRUE(Anchor(path, kDefaultTags, 1, "Book"));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "A", "_LCTOC-1"}, {2, "B", "_LCBook-1"}}));
}

TEST_F(HeadingAnchorerTest, AFileWithoutHeadingsIsNotReplaced) {
    const std::string original = "<p id=\"x\">no headings\nhere</p>\n<h1></h1>\n";
    const std::string path = folder.WriteFile("a.htm", original);
    ASSERT_TRUE(Anchor(path));
    EXPECT_TRUE(recorder.entries.empty());
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(HeadingAnchorerTest, AnEmptyHeadingGetsAnIdButNoEntry) {
    const std::string path = folder.WriteFile("a.htm", "<h1></h1><h1><img src=a.gif></h1><h1>Real</h1>");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "Real", "_LCTOC-3"}}));
    EXPECT_EQ(ReadAll(path),
              "<h1 id=\"_LCTOC-1\"></h1><h1 id=\"_LCTOC-2\"><img src=a.gif></h1><h1 id=\"_LCTOC-3\">Real</h1>");
}

TEST_F(HeadingAnchorerTest, RulesWithAttributesMatchWithoutRegardToCaseAndAllowMore) {
    const std::string path = folder.WriteFile(
        "a.htm", "<p>plain</p><P CLASS=heading1 id=own>Styled</P><p class=\"Heading1\" style=\"x\">Second</p>");
    ASSERT_TRUE(Anchor(path, {"< p class=Heading1 >"}));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "Styled", "own"}, {1, "Second", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<p>plain</p><P CLASS=heading1 id=own>Styled</P>"
                             "<p class=\"Heading1\" style=\"x\" id=\"_LCTOC-1\">Second</p>");
}

TEST_F(HeadingAnchorerTest, SelfClosingTagsNeitherOpenNorCloseAHeading) {
    const std::string path = folder.WriteFile("a.htm", "<h1 />x<h1>A<h1/>B</h1>");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "AB", "_LCTOC-1"}}));
}

TEST_F(HeadingAnchorerTest, ANewHeadingStartReplacesAnOpenOne) {
    const std::string path = folder.WriteFile("a.htm", "<h1>Lost<h2>Kept</h2></h1>");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{2, "Kept", "_LCTOC-2"}}));
}

TEST_F(HeadingAnchorerTest, AUtf16SourceStaysUtf16WithItsByteOrderMark) {
    std::string bytes = "\xFF\xFE";
    for (char16_t ch : std::u16string(u"<h1>\u00C9t\u00E9 \U0001F600</h1>\n")) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>(ch >> 8);
    }
    const std::string path = folder.WriteFile("u.htm", bytes);
    ASSERT_TRUE(Anchor(path)) << error;
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].text, "\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80");
    std::string expected = "\xFF\xFE";
    for (char16_t ch : std::u16string(u"<h1 id=\"_LCTOC-1\">\u00C9t\u00E9 \U0001F600</h1>\r\n")) {
        expected += static_cast<char>(ch & 0xFF);
        expected += static_cast<char>(ch >> 8);
    }
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(HeadingAnchorerTest, ABigEndianUtf16SourceStaysBigEndianWithItsByteOrderMark) {
    const auto bigEndian = [](std::u16string_view text) {
        std::string bytes = "\xFE\xFF";
        for (char16_t ch : text) {
            bytes += static_cast<char>(ch >> 8);
            bytes += static_cast<char>(ch & 0xFF);
        }
        return bytes;
    };
    const std::string path = folder.WriteFile("b.htm", bigEndian(u"<h1>\u00C9t\u00E9</h1>\n<h2 id=own>\u4E2D</h2>"));
    ASSERT_TRUE(Anchor(path)) << error;
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "\xC3\x89t\xC3\xA9", "_LCTOC-1"}, {2, "\xE4\xB8\xAD", "own"}}));
    EXPECT_EQ(ReadAll(path), bigEndian(u"<h1 id=\"_LCTOC-1\">\u00C9t\u00E9</h1>\r\n<h2 id=own>\u4E2D</h2>"));
}

TEST_F(HeadingAnchorerTest, TagsWithMegabytesOfAttributesAreAnchoredWhole) {
    // A page with a picture inline: one attribute of two megabytes, in a heading's tag
    // (rebuilt, since it gets an id) and in a tag inside the heading (copied as read).
    const std::string picture(2 * 1024 * 1024, 'Q');
    const std::string path = folder.WriteFile(
        "p.htm", "<h1 title=\"" + picture + "\">One<img src=\"data:image/png;base64," + picture + "\"></h1>\n");
    ASSERT_TRUE(Anchor(path)) << error;
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "One", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<h1 title=\"" + picture + "\" id=\"_LCTOC-1\">One<img src=\"data:image/png;base64," +
                                 picture + "\"></h1>\r\n");
}

TEST_F(HeadingAnchorerTest, AnEightBitSourceStaysUtf8) {
    const std::string path = folder.WriteFile("a.htm", "<h1>Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80</h1>\r\n");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<h1 id=\"_LCTOC-1\">Gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80</h1>\r\n");
}

TEST_F(HeadingAnchorerTest, ALegacyEightBitSourceKeepsItsBytes) {
    // Windows-1252 throughout: the text keeps its bytes; the entry is UTF-8.
    const std::string path = folder.WriteFile("a.htm", "<h1>Caf\xE9 \x80 5</h1>\n<p>na\xEFve \x93q\x94</p>");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "Caf\xC3\xA9 \xE2\x82\xAC 5", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<h1 id=\"_LCTOC-1\">Caf\xE9 \x80 5</h1>\r\n<p>na\xEFve \x93q\x94</p>");

    // Any UTF-8 in the source makes it a UTF-8 source: a stray legacy byte becomes UTF-8.
    const std::string mixed = folder.WriteFile("b.htm", "<h1>Caf\xC3\xA9</h1><p>\xE9</p>");
    ASSERT_TRUE(Anchor(mixed));
    EXPECT_EQ(ReadAll(mixed), "<h1 id=\"_LCTOC-1\">Caf\xC3\xA9</h1><p>\xC3\xA9</p>");
}

// The copy's declarations name the character set of the bytes written, the rest of
// each tag staying as read.
TEST_F(HeadingAnchorerTest, DeclarationsNameTheCharacterSetTheCopyIsWrittenIn) {
    const std::string mixed = folder.WriteFile(
        "mixed.htm",
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<html><head>"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
        "<META charset=Windows-1252 name=x></head>\n<body><h1>Caf\xC3\xA9</h1><p>\xE9</p></body></html>");
    ASSERT_TRUE(Anchor(mixed)) << error;
    EXPECT_EQ(ReadAll(mixed),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<html><head>"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">"
              "<META charset=UTF-8 name=x></head>\r\n<body><h1 id=\"_LCTOC-1\">Caf\xC3\xA9</h1><p>\xC3\xA9</p></body></html>");

    // A legacy source written back in Windows-1252 does not claim to be UTF-8; another
    // legacy name it gives is kept.
    const std::string legacy = folder.WriteFile(
        "legacy.htm", "<meta charset=\"utf-8\"><meta content='text/html;charset=iso-8859-1'><h1>Caf\xE9</h1>");
    ASSERT_TRUE(Anchor(legacy)) << error;
    EXPECT_EQ(ReadAll(legacy), "<meta charset=\"windows-1252\"><meta content='text/html;charset=iso-8859-1'>"
                               "<h1 id=\"_LCTOC-1\">Caf\xE9</h1>");
}

TEST_F(HeadingAnchorerTest, TextOutsideTagsIsCopiedAsRead) {
    const std::string body = "<!DOCTYPE html>\n<head><base href=\"http://x/\"><!-- <h1>not</h1> a > b -->\n"
                             "<script>if (a < b && c > d) {}</script></head>\n<p>1 < 2 and <> stay</p>\n<h1>T</h1>";
    const std::string path = folder.WriteFile("a.htm", body);
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "T", "_LCTOC-1"}}));
    std::string expected = body;
    expected.replace(expected.find("<h1>T"), 4, "<h1 id=\"_LCTOC-1\">");
    for (size_t at = expected.find('\n'); at != std::string::npos; at = expected.find('\n', at + 2)) {
        expected.insert(at, "\r");
    }
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(HeadingAnchorerTest, LongHeadingTextIsShortenedAtSpaces) {
    const std::string words(210, 'w');
    const std::string path = folder.WriteFile("a.htm", "<h1>" + words + " a  b</h1>");
    ASSERT_TRUE(Anchor(path));
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].text, words + "...a...b");
}

TEST_F(HeadingAnchorerTest, AMalformedHeadingTagFailsBeforeAnyFileIsTouched) {
    const std::string path = folder.WriteFile("a.htm", "<h1>A</h1>");
    EXPECT_FALSE(Anchor(path, {"<h1>", "h2"}));
    EXPECT_EQ(error, "Invalid HTML tag \"h2\".");
    EXPECT_FALSE(Anchor(path, {""}));
    EXPECT_EQ(error, "Invalid HTML tag \"\".");
    EXPECT_EQ(FileCount(), 1u);
    EXPECT_EQ(ReadAll(path), "<h1>A</h1>");
}

TEST_F(HeadingAnchorerTest, AMissingSourceIsReportedAndLeavesNothingBehind) {
    EXPECT_FALSE(Anchor(folder / "none.htm"));
    EXPECT_EQ(error, "Unable to open the specified source file \"" + (folder / "none.htm") + "\".");
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(HeadingAnchorerTest, TheCopyTakesTheFirstFreeNumberBesideTheSource) {
    const std::string path = folder.WriteFile("book.v2.htm", "<h1>A</h1>");
    folder.WriteFile("book.v2.001", "keep");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(temporary, folder / "book.v2.002");
    EXPECT_EQ(ReadAll(folder / "book.v2.001"), "keep");
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(HeadingAnchorerTest, FilesThatCarryACopysNameAreNeverOpened) {
    const std::string path = folder.WriteFile("a.htm", "<h1>A</h1>");
    folder.WriteFile("A.001", "differs in case");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(temporary, folder / "a.001");
    EXPECT_EQ(ReadAll(folder / "A.001"), "differs in case");

    // Every number taken: the run fails instead of overwriting one of them.
    for (int number = 1; number <= 999; ++number) {
        char name[16];
        std::snprintf(name, sizeof name, "a.%.3d", number);
        folder.WriteFile(name, "keep");
    }
    EXPECT_FALSE(Anchor(path));
    EXPECT_EQ(error, "Unable to create a temporary copy of the specified source file \"" + path + "\".");
    EXPECT_EQ(ReadAll(folder / "a.999"), "keep");
    EXPECT_EQ(ReadAll(path), "<h1 id=\"_LCTOC-1\">A</h1>");
    EXPECT_EQ(recorder.entries.size(), 1u);
}

TEST_F(HeadingAnchorerTest, RefusingAnEntryStopsAndLeavesTheSourceAlone) {
    const std::string original = "<h1>A</h1><h1>B</h1>";
    const std::string path = folder.WriteFile("a.htm", original);
    recorder.refuseEntryAt = 0;
    EXPECT_FALSE(Anchor(path));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(HeadingAnchorerTest, ProgressComesInStepsAndAddsUpToTheNewFileSize) {
    std::string body;
    for (int i = 0; i < 200; ++i) body += "<h2>Heading number " + std::to_string(i) + "</h2>\n<p>some words of text</p>\n";
    const std::string path = folder.WriteFile("a.htm", body);
    ASSERT_TRUE(Anchor(path));
    ASSERT_GT(recorder.progress.size(), 10u);
    LONGLONG sum = 0;
    for (size_t i = 0; i + 1 < recorder.progress.size(); ++i) {
        EXPECT_GE(recorder.progress[i], 100);
        sum += recorder.progress[i];
    }
    sum += recorder.progress.back();
    EXPECT_EQ(sum, static_cast<LONGLONG>(std::filesystem::file_size(path)));
}

TEST_F(HeadingAnchorerTest, ACancelDuringProgressLeavesTheSourceAlone) {
    std::string body;
    for (int i = 0; i < 100; ++i) body += "<h1>Heading</h1><p>words words words words</p>\n";
    const std::string path = folder.WriteFile("a.htm", body);
    recorder.refuseProgressAt = 2;
    EXPECT_FALSE(Anchor(path));
    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadAll(path), body);
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(HeadingAnchorerTest, UnchangedTagsAndAnUnclosedTagAtTheEndStayAsRead) {
    const std::string path = folder.WriteFile("a.htm", "<P\nCLASS = 'x'  >a</p junk><h1 id=\"_LCTOC-4\" id=\"_LCTOC-2\">H</h1><b");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(recorder.entries, (std::vector<Entry>{{1, "H", "_LCTOC-1"}}));
    EXPECT_EQ(ReadAll(path), "<P\r\nCLASS = 'x'  >a</p junk><h1 id=\"_LCTOC-1\">H</h1><b");
    const std::string once = ReadAll(path);
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(ReadAll(path), once);
}

TEST_F(HeadingAnchorerTest, ANamelessTagBeforeAnEndTagKeepsBothAsRead) {
    const std::string path = folder.WriteFile("a.htm", "<h1>A</h1>\n<\f></html>\n");
    ASSERT_TRUE(Anchor(path));
    EXPECT_EQ(ReadAll(path), "<h1 id=\"_LCTOC-1\">A</h1>\r\n<\f></html>\r\n");
}

