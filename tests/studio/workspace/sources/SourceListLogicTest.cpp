#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry/RegistryKey.h"
#include "studio/workspace/SourceListLogic.h"
#include "tests/support/TempFolder.h"

using namespace leaf;

TEST(SourceListColumns, EntriesGiveHeadingAlignmentAndWidth) {
    std::vector<ColumnSpec> columns =
        ParseColumnSpecs("Title|0|175 || File Name|0|175 || Size|1|75 || Type|0|115 || Modified|0|115");
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[1].heading.str(), "File Name");
    EXPECT_EQ(columns[2].format, 1);
    EXPECT_EQ(columns[2].width, 75);
    EXPECT_EQ(columns[4].heading.str(), "Modified");

    columns = ParseColumnSpecs(" Plain || Right| 1 ");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].heading.str(), "Plain");
    EXPECT_EQ(columns[0].format, 0);
    EXPECT_EQ(columns[0].width, 100);
    EXPECT_EQ(columns[1].heading.str(), "Right");
    EXPECT_EQ(columns[1].format, 1);
    EXPECT_EQ(columns[1].width, 100);
}

TEST(SourceListCells, DisplayPathDropsTheCommonFolderOnlyAtAFolderBoundary) {
    EXPECT_EQ(DisplayPath("/book/text/ch1.htm", "/book").str(), "text/ch1.htm");
    EXPECT_EQ(DisplayPath("/Book/ch1.htm", "/book").str(), "ch1.htm");
    EXPECT_EQ(DisplayPath("/booklet/ch1.htm", "/book").str(), "/booklet/ch1.htm");
    EXPECT_EQ(DisplayPath("/book/ch1.htm", "").str(), "/book/ch1.htm");
    EXPECT_EQ(DisplayPath("/book/ch1.htm", "/book/").str(), "ch1.htm");
}

TEST(SourceListCells, SizesAreKilobytesRoundedUpWithGroupedDigits) {
    EXPECT_EQ(FormatSizeColumn(0).str(), "0KB");
    EXPECT_EQ(FormatSizeColumn(1).str(), "1KB");
    EXPECT_EQ(FormatSizeColumn(1024).str(), "1KB");
    EXPECT_EQ(FormatSizeColumn(1234944).str(), "1,206KB");
    EXPECT_EQ(FormatSizeColumn(1264196608ULL).str(), "1,234,567KB");
}

namespace {
std::vector<std::string> SortTexts(std::vector<std::string> texts, int value) {
    std::stable_sort(texts.begin(), texts.end(), [value](const std::string& a, const std::string& b) {
        return CompareSourceTexts(CString(a), CString(b), value) < 0;
    });
    return texts;
}
}  // namespace

TEST(SourceListSort, SizesCompareAsNumbersAndDashesAsAShortNumber) {
    EXPECT_EQ(SortTexts({"1,000KB", "999KB", "---", "12KB"}, kSortSize),
              (std::vector<std::string>{"---", "12KB", "999KB", "1,000KB"}));
    EXPECT_EQ(SortTexts({"999KB", "1,000KB"}, kSortSize | 0x200), (std::vector<std::string>{"1,000KB", "999KB"}));
}

TEST(SourceListSort, SmartKeyPutsHtmlFirstAndNumbersInOrder) {
    EXPECT_EQ(SortTexts({"ch10.htm", "pic.gif", "ch2.htm", "style.css", "Ch3.HTML"}, kSortSmart),
              (std::vector<std::string>{"ch2.htm", "Ch3.HTML", "ch10.htm", "style.css", "pic.gif"}));
}

TEST(SourceListSort, TitlesCompareWithoutCaseAndDescendingReverses) {
    EXPECT_LT(CompareSourceTexts("apple", "Banana", kSortTitle | 0x100), 0);
    EXPECT_GT(CompareSourceTexts("apple", "Banana", kSortTitle | 0x200), 0);
    EXPECT_EQ(CompareSourceTexts("Same", "same", kSortTitle), 0);
    EXPECT_EQ(CompareSourceTexts("a", "b", 64), 0);   // an unknown key reads no column
}

TEST(SourceListSort, DatesSortInTimeOrderAcrossNoonMidnightAndYears) {
    EXPECT_EQ(SortTexts({"01/02/03 12:15 PM", "01/02/03 11:59 AM", "01/02/03 12:05 AM", "01/02/03 01:00 PM",
                         "12/31/99 11:00 PM", "---"},
                        kSortDate),
              (std::vector<std::string>{"---", "12/31/99 11:00 PM", "01/02/03 12:05 AM", "01/02/03 11:59 AM",
                                        "01/02/03 12:15 PM", "01/02/03 01:00 PM"}));
}

TEST(SourceListSort, SmartSortGroupsBookPartsByFileName) {
    std::vector<CString> paths = {"/b/index.htm", "/b/chapter10.htm", "/b/chapter2.htm", "/b/intro.htm",
                                  "/b/title.htm"};
    // The comparator pass has put chapter2 before chapter10.
    std::vector<int> order = SmartSortOrder({0, 2, 1, 3, 4}, paths);
    EXPECT_EQ(order, (std::vector<int>{4, 3, 2, 1, 0}));
}

TEST(SourceListSort, SmartSortKeepsEveryItemOnceAndOtherFilesLast) {
    std::vector<CString> paths = {"/b/cover.jpg", "/b/app1.htm", "/b/ch1footnotes.htm", "/b/glossary.html",
                                  "/b/part3.htm", "/b/notes.htm", "/b/ch1endnotes.htm", "/b/appendnotes.htm",
                                  "/b/home.htm"};
    std::vector<int> order = SmartSortOrder({0, 1, 2, 3, 4, 5, 6, 7, 8}, paths);
    // front, chapters (part3: a digit before the dot), appendices, chapter notes,
    // chapter endnotes, appendix endnotes, back matter, other.
    EXPECT_EQ(order, (std::vector<int>{8, 4, 1, 2, 6, 7, 3, 0, 5}));
}

TEST(SourceListVerbs, CommandLineTakesThePathAtTheFirstPlaceholder) {
    EXPECT_EQ(VerbCommandLine("/usr/bin/edit \"%1\" %1", "/b/a.htm").str(), "/usr/bin/edit \"/b/a.htm\" %1");
    EXPECT_EQ(VerbCommandLine("/usr/bin/view %I %2", "/b/a.htm").str(), "/usr/bin/view /b/a.htm %2");
    EXPECT_EQ(VerbCommandLine("/usr/bin/view", "/b/a b.htm").str(), "/usr/bin/view \"/b/a b.htm\"");
    EXPECT_EQ(SplitCommandLine("\"/opt/my tool\" -x \"/b/a b.htm\""),
              (std::vector<std::string>{"/opt/my tool", "-x", "/b/a b.htm"}));
}

TEST(SourceListVerbs, VerbsComeFromTheRegistryWithTheDefaultFirst) {
    test::ScopedRegistryRoot registry;
    RegistryKey::Create(HKEY_CLASSES_ROOT, ".htm").WriteString("", "htmlfile");
    RegistryKey shell = RegistryKey::Create(HKEY_CLASSES_ROOT, "htmlfile\\shell");
    shell.WriteString("", "open");
    RegistryKey::Create(shell.Handle(), "edit").WriteString("", "&Edit");
    RegistryKey::Create(shell.Handle(), "edit\\command").WriteString("", "editor %1");
    RegistryKey::Create(shell.Handle(), "print\\command").WriteString("", "printer %1");   // no display text
    RegistryKey::Create(shell.Handle(), "open").WriteString("", "&Open");
    RegistryKey::Create(shell.Handle(), "open\\command").WriteString("", "viewer \"%1\"");

    std::vector<ShellVerb> verbs;
    EXPECT_TRUE(LoadShellVerbs("/b/a.HTM", verbs));
    ASSERT_EQ(verbs.size(), 2u);
    EXPECT_EQ(verbs[0].text.str(), "&Open");
    EXPECT_EQ(verbs[0].command.str(), "viewer \"%1\"");
    EXPECT_EQ(verbs[1].text.str(), "&Edit");

    EXPECT_FALSE(LoadShellVerbs("/b/noextension", verbs));
    EXPECT_TRUE(verbs.empty());
    EXPECT_FALSE(LoadShellVerbs("/b/a.unknown", verbs));
}

TEST(SourceListMessages, FilterExtensionsListTheFirstEntrysPatterns) {
    EXPECT_EQ(FilterExtensions("Supported Source Files|*.htm;*.html;*.doc;*.*|HTML Files|*.htm|").str(),
              ".htm .html .doc");
    EXPECT_EQ(FilterExtensions("All|*.*||").str(), "");
    EXPECT_EQ(FilterExtensions("").str(), "");
}
