#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "studio/project/AnchorCollector.h"
#include "studio/project/TitleExtractor.h"
#include "tests/support/TempFolder.h"

namespace {

class TitleAndAnchorTest : public testing::Test {
protected:
    CString Title(const std::string& html, const CString& before = "unchanged")
    {
        CString title = before;
        CTitleExtractor extractor;
        extractor.GetTitle(CString(folder.WriteFile("page.htm", html)), title);
        return title;
    }
    std::vector<CString> Anchors(const std::string& html)
    {
        std::vector<CString> anchors;
        CAnchorCollector collector;
        collector.Collect(CString(folder.WriteFile("page.htm", html)), anchors);
        return anchors;
    }
    leaf::test::TempFolder folder;
};

TEST_F(TitleAndAnchorTest, TitleWordsAreJoinedBySingleSpaces)
{
    EXPECT_EQ(Title("<html><head><title>  The   Long\n\n   Voyage\n</title></head><body>Text</body></html>"),
              "The Long Voyage");
    EXPECT_EQ(Title("<title>Caf&eacute; Stories</title>"), "Caf\xC3\xA9 Stories");
}

TEST_F(TitleAndAnchorTest, TitleIsTheSourcesOwnTextWithItsWhiteSpaceCollapsed)
{
    const struct {
        const char* title;
        const char* expected;
    } cases[] = {
        {"1. Introduction", "1. Introduction"},
        {"10. DHAT: a dynamic heap analysis tool", "10. DHAT: a dynamic heap analysis tool"},
        {"\n  Q&amp;A:\tWhat's   new?\r\n", "Q&A: What's new?"},
        {"a < b, (c) & d", "a < b, (c) & d"},
        {"Chapter\nOne", "Chapter One"},
        {"\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x94 end.", "\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x94 end."},
        {"   ", "unchanged"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Title(std::string("<html><head><title>") + c.title + "</title></head><body>Text</body></html>").str(),
                  c.expected)
            << c.title;
}

TEST_F(TitleAndAnchorTest, NoTitleLeavesTheTextUnchanged)
{
    // Text before the title does not end the scan within the first hundred lines, the
    // first word after the title does.
    EXPECT_EQ(Title("<html><body><p>Just text</p><title>Late</title>more<title>Again</title></body></html>"),
              "Late");
    EXPECT_EQ(Title("<p>No title at all</p>"), "unchanged");
    EXPECT_EQ(Title(""), "unchanged");
    CString title = "kept";
    CTitleExtractor extractor;
    extractor.GetTitle(CString(folder / "missing.htm"), title);
    EXPECT_EQ(title, "kept");
}

TEST_F(TitleAndAnchorTest, TitleAfterLineHundredCountsOnlyBeforeAnyText)
{
    std::string blankLines(150, '\n');
    EXPECT_EQ(Title("<html><head>" + blankLines + "<title>Far Down</title></head></html>"), "Far Down");
    EXPECT_EQ(Title("<html><body>" + blankLines + "word<title>Too Late</title></body></html>"), "unchanged");
}

TEST_F(TitleAndAnchorTest, LongTitlesStopBelowTheLimit)
{
    std::string words;
    for (int i = 0; i < 400; ++i) words += "word ";
    CString title = Title("<title>" + words + "</title>");
    EXPECT_LE(title.GetLength(), 1022);
    EXPECT_GT(title.GetLength(), 1000);
    EXPECT_EQ(title.Left(9), "word word");
}

TEST_F(TitleAndAnchorTest, AnchorsInDocumentOrder)
{
    EXPECT_EQ(Anchors("<a name=top></a><h2 id=\"s1\">One</h2><div name=nope>x</div>"
                      "<a id=z name=z>both</a><p ID='up'>y</p></a>"),
              (std::vector<CString>{"top", "s1", "z", "z", "up"}));
    EXPECT_TRUE(Anchors("<p>No anchors here</p>").empty());
}

TEST_F(TitleAndAnchorTest, AnchorProgressCoversTheWholeFile)
{
    std::string html = "<a name=first></a>";
    for (int i = 0; i < 200; ++i) html += "some words here ";
    std::string path = folder.WriteFile("big.htm", html);
    struct Progress {
        LONGLONG total = 0;
        int calls = 0;
    } progress;
    auto report = [](LONGLONG units, void* context) -> BOOL {
        auto* p = static_cast<Progress*>(context);
        p->total += units;
        ++p->calls;
        return TRUE;
    };
    CAnchorCollector collector(report, &progress);
    std::vector<CString> anchors;
    collector.Collect(CString(path), anchors);
    EXPECT_EQ(anchors, std::vector<CString>{"first"});
    EXPECT_EQ(progress.total, static_cast<LONGLONG>(html.size()));
    EXPECT_GT(progress.calls, 1);
}

}  // namespace
