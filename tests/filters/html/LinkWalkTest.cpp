// The walk through a page's links: what Prepare reports, and how deep it goes.

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/filters/html/HtmlFilterTestSupport.h"

namespace htmltest {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// ---- depth of the walk ----

struct DepthCase {
    int level;
    std::vector<std::string> reported;
};

class WalkDepthTest : public HtmlFilterTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(WalkDepthTest, OpensLinkedPagesDownToTheLevel) {
    // a -> b -> c -> d, each page with a picture of its own.
    std::string a = Page("a.htm", "<img src=a.gif><a href=b.htm>next</a>\n");
    Page("b.htm", "<img src=b.gif><a href=c.htm>next</a>\n");
    Page("c.htm", "<img src=c.gif><a href=d.htm>next</a>\n");
    Page("d.htm", "<img src=d.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, GetParam().level));
    EXPECT_THAT(Reported(), ElementsAreArray(GetParam().reported));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, WalkDepthTest,
    ::testing::Values(DepthCase{0, {"a.gif", "b.htm"}}, DepthCase{1, {"a.gif", "b.htm"}},
                      DepthCase{2, {"a.gif", "b.htm", "b.gif", "c.htm"}},
                      DepthCase{3, {"a.gif", "b.htm", "b.gif", "c.htm", "c.gif", "d.htm"}},
                      DepthCase{64, {"a.gif", "b.htm", "b.gif", "c.htm", "c.gif", "d.htm", "d.gif"}}),
    [](const auto& info) { return "Level" + std::to_string(info.param.level); });

TEST_F(HtmlFilterTest, PagesThatLinkInACircleAreReportedOnce) {
    std::string a = Page("a.htm", "<a href=b.htm>b</a><a href=a.htm>me</a><a href=B.HTM>again</a>\n");
    Page("b.htm", "<a href=a.htm>back</a><a href=b.htm>me</a><img src=b.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, 64));
    EXPECT_THAT(Reported(), ElementsAre("b.htm", "a.htm", "b.gif"));
}

// ---- what a page's tags give ----

TEST_F(HtmlFilterTest, ReportsEveryKindOfLinkOfAPage) {
    std::string page = Page("book/p.htm",
                            "<html><head><link rel=stylesheet href=\"style.css\">\n"
                            "<script src='code.js'></script></head>\n"
                            "<body background=\"paper.jpg\">\n"
                            "<table background=cell.gif><tr><td>x</td></tr></table>\n"
                            "<frameset><frame src=\"left.htm\"><iframe src=side.htm></iframe></frameset>\n"
                            "<img src=\"pics/one.gif\" alt=\"\"> <img src=' two.gif '>\n"
                            "<a href=\"ch2.htm#s1\">2</a> <a href=\"#note3\">n</a> <a name=top>t</a>\n"
                            "<img src=\"\"> <a href=>empty</a>\n"
                            "</body></html>\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(Reported(), ElementsAre("book/style.css", "book/code.js", "book/paper.jpg", "book/cell.gif",
                                        "book/left.htm", "book/side.htm", "book/pics/one.gif", "book/two.gif",
                                        "book/ch2.htm"));
}

TEST_F(HtmlFilterTest, LinksBehindAnEmbedWithoutEndTagAreReported) {
    std::string page = Page("p.htm",
                            "<embed src=\"tune.mid\" autostart=true>\n"
                            "<img src=\"after.gif\"><a href=\"next.htm\">n</a>\n"
                            "<embed src=\"clip.avi\"><noembed><img src=\"still.gif\"></noembed></embed>\n"
                            "<script>document.write('<img src=\"written.gif\">')</script>\n"
                            "<embed src=\"open.swf\"><object data=\"movie.swf\"><img src=\"inner.gif\"></object>\n"
                            "<img src=\"last.gif\">\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    // Script and object contents are no markup of the page; their end tags still close them.
    EXPECT_THAT(Reported(), ElementsAre("tune.mid", "after.gif", "next.htm", "clip.avi", "still.gif", "open.swf",
                                        "last.gif"));
}

TEST_F(HtmlFilterTest, ResolvesRelativeLinksEscapesAndSeparators) {
    std::string page = Page("book/text/p.htm",
                            "<img src=\"images/../pics/./x.gif\">\n"
                            "<img src=\"..\\art\\y.gif\">\n"
                            "<img src=\"my%20picture.gif\">\n"
                            "<a href=\"./sub/../q.htm\">q</a>\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(Reported(),
                ElementsAre("book/text/pics/x.gif", "book/art/y.gif", "book/text/my picture.gif", "book/text/q.htm"));
}

TEST_F(HtmlFilterTest, ALinkEndsAtANulCharacter) {
    std::string page = Page("p.htm", std::string("<img src=\"a.gif\0:junk\"><img src=\"\0b.gif\">\n", 42));
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(Reported(), ElementsAre("a.gif"));
}

TEST_F(HtmlFilterTest, LinksWithASchemeAreReportedAsWritten) {
    std::string page = Page("p.htm",
                            "<a href=\"http://Example.com/Page.htm\">web</a>\n"
                            "<a href=\"mailto:Someone@example.com\">mail</a>\n"
                            "<a href=\"ftp://files.example.com/a.zip\">ftp</a>\n");
    ASSERT_EQ(S_OK, Prepare(page, 3));
    EXPECT_THAT(Reported(), ElementsAre("!http://Example.com/Page.htm", "!mailto:Someone@example.com",
                                        "!ftp://files.example.com/a.zip"));
}

TEST_F(HtmlFilterTest, FileUrlsNameAbsolutePaths) {
    std::string picture = Page("art/logo.gif", "GIF");
    std::string page = Page("book/p.htm", "<img src=\"file://" + picture + "\"><img src=\"FILE:///elsewhere/x.gif\">\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(host.Paths(), ElementsAre(picture, "/elsewhere/x.gif"));
}

TEST_F(HtmlFilterTest, BaseHrefInTheHeadResolvesLaterLinks) {
    std::string page = Page("book/p.htm",
                            "<html><head><base href=\"" + PathOf("media") + "/\"></head>\n"
                            "<body><img src=\"a.gif\"><a href=\"" + PathOf("other/b.htm") + "\">b</a></body>\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(Reported(), ElementsAre("media/a.gif", "other/b.htm"));
}

TEST_F(HtmlFilterTest, LinksInOtherLetterCaseAreReportedWithTheSpellingOnDisk) {
    Page("book/Pics/Cover.GIF", "GIF");
    Page("book/Chapters/One.htm", "<img src=\"../pics/cover.gif\"><img src=\"Inner.gif\">\n");
    Page("book/Chapters/Inner.GIF", "GIF");
    std::string page = Page("book/p.htm",
                            "<img src=\"pics\\cover.gif\"><img src=\"PICS/COVER.GIF\">\n"
                            "<a href=\"chapters\\one.HTM\">1</a><img src=\"pics/absent.gif\">\n");
    ASSERT_EQ(S_OK, Prepare(page, 2));
    // The linked page is found and opened in spite of the letter case of the link.
    EXPECT_THAT(Reported(), ElementsAre("book/Pics/Cover.GIF", "book/Chapters/One.htm", "book/pics/absent.gif",
                                        "book/Chapters/Inner.GIF"));
}

TEST_F(HtmlFilterTest, TwoSpellingsOfOneFileOnDiskAreReportedOnce) {
    Page("book/pics/a.gif", "GIF");
    std::string page = Page("book/p.htm", "<img src=\"pics//a.gif\"><img src=\"pics/a.gif\"><img src=\"PICS/A.GIF\">\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    EXPECT_THAT(Reported(), ElementsAre("book/pics/a.gif"));
}

TEST_F(HtmlFilterTest, FilesWhoseNamesDifferOnlyInCaseAreTwoFiles) {
    Page("book/FAQ.html", "<img src=\"upper.gif\">\n");
    Page("book/faq.html", "<img src=\"lower.gif\">\n");
    std::string page = Page("book/p.htm",
                            "<a href=\"faq.html\">a</a><a href=\"FAQ.html\">b</a><a href=\"Faq.HTML\">c</a>\n"
                            "<a href=\"Absent.htm\">d</a><a href=\"absent.HTM\">e</a>\n");
    ASSERT_EQ(S_OK, Prepare(page, 2));
    // An exact name wins; another spelling falls back to the first match in sorted order.
    EXPECT_THAT(Reported(), ElementsAre("book/faq.html", "book/FAQ.html", "book/Absent.htm", "book/lower.gif",
                                        "book/upper.gif"));
}

TEST_F(HtmlFilterTest, PathsLongerThanTheOldLimitArriveWhole) {
    std::string deep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(120, 'c');
    Page(deep + "/" + std::string(60, 'p') + ".gif", "GIF");
    std::string page = Page(deep + "/page.htm", "<img src=\"" + std::string(60, 'p') + ".gif\">\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    ASSERT_EQ(1u, host.Paths().size());
    EXPECT_GT(host.Paths()[0].size(), 400u);
    EXPECT_EQ(PathOf(deep + "/" + std::string(60, 'p') + ".gif"), host.Paths()[0]);
}

// ---- pages an Office word processor saved ----

struct OfficeCase {
    std::string generator;
    bool companionsLeftOut;
};

class OfficePageTest : public HtmlFilterTest, public ::testing::WithParamInterface<OfficeCase> {};

TEST_P(OfficePageTest, CompanionFilesOfOfficePagesAreLeftOut) {
    std::string page = Page("doc.htm",
                            "<html><head><meta name=Generator content=\"" + GetParam().generator + "\">\n"
                            "<link rel=File-List href=\"doc_files/filelist.xml\">\n"
                            "<link id=\"SHLINK\" href=\"doc_files/shlink.htm\">\n"
                            "<link rel=stylesheet href=\"doc.css\"></head>\n"
                            "<body><img src=\"doc_files/image001.gif\"></body></html>\n");
    ASSERT_EQ(S_OK, Prepare(page, 1));
    if (GetParam().companionsLeftOut)
        EXPECT_THAT(Reported(), ElementsAre("doc.css", "doc_files/image001.gif"));
    else
        EXPECT_THAT(Reported(), ElementsAre("doc_files/filelist.xml", "doc_files/shlink.htm", "doc.css",
                                            "doc_files/image001.gif"));
}

INSTANTIATE_TEST_SUITE_P(Generators, OfficePageTest,
                         ::testing::Values(OfficeCase{"Microsoft Word 9", true}, OfficeCase{"Microsoft Word 10", true},
                                           OfficeCase{"Microsoft Word 11", false},
                                           OfficeCase{"microsoft Word 9", false}, OfficeCase{"An Editor 9", false}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// ---- mapping folder ----

TEST_F(HtmlFilterTest, FilesBelowTheSourceFolderAreMappedIntoTheMappingFolder) {
    std::string source = Page("temp/x.1/$doc0001.htm",
                              "<img src=\"$doc0001_files/image001.gif\">\n"
                              "<img src=\"../x.10/other.gif\">\n"
                              "<a href=\"http://example.com/\">w</a>\n");
    ASSERT_EQ(S_OK, Prepare(source, 1, "/docs/"));
    EXPECT_THAT(host.dependencies,
                ElementsAre(std::pair(PathOf("temp/x.1/$doc0001_files/image001.gif"),
                                      std::string("/docs/$doc0001_files/image001.gif")),
                            std::pair(PathOf("temp/x.10/other.gif"), PathOf("temp/x.10/other.gif")),
                            std::pair(std::string("http://example.com/"), std::string("http://example.com/"))));
}

// ---- results ----

TEST_F(HtmlFilterTest, AFailingAddDependencyEndsPrepareWithItsResult) {
    std::string page = Page("p.htm", "<img src=a.gif><img src=b.gif><img src=c.gif>\n");
    host.failDependencyAfter = 2;
    EXPECT_EQ(E_OUTOFMEMORY, Prepare(page, 1));
    EXPECT_THAT(Reported(), ElementsAre("a.gif", "b.gif"));
}

TEST_F(HtmlFilterTest, AMissingSourceOrLinkedPageIsNoFailure) {
    EXPECT_EQ(S_OK, Prepare(PathOf("absent.htm"), 3));
    EXPECT_THAT(host.dependencies, IsEmpty());
    std::string page = Page("p.htm", "<a href=gone.htm>x</a>\n");
    EXPECT_EQ(S_OK, Prepare(page, 3));
    EXPECT_THAT(Reported(), ElementsAre("gone.htm"));
}

TEST_F(HtmlFilterTest, PrepareRefusesNullArguments) {
    std::u16string source = u"/x.htm";
    EXPECT_EQ(E_POINTER, filter->Prepare(nullptr, nullptr, &host));
    EXPECT_EQ(E_POINTER, filter->Prepare(source.c_str(), nullptr, nullptr));
}

TEST_F(HtmlFilterTest, TheSourceReportsItsSizeAsProgressAndLinkedPagesDoNot) {
    std::string text = "<a href=b.htm>b</a>\n";
    for (int i = 0; i < 200; ++i)
        text += "some words of body text in a line\n";
    std::string a = Page("a.htm", text);
    Page("b.htm", text);
    ASSERT_EQ(S_OK, Prepare(a, 3));
    EXPECT_EQ(static_cast<long long>(text.size()), host.progress);
    EXPECT_GT(host.progressCalls, 10);  // reported while reading, not only at the end
}

TEST_F(HtmlFilterTest, AnAbortDuringTheWalkStopsPrepare) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "some words of body text in a line\n";
    std::string a = Page("a.htm", text + "<img src=late.gif>\n");
    host.abort = true;
    EXPECT_EQ(E_ABORT, Prepare(a, 3));
    EXPECT_EQ(1, host.progressCalls);
    EXPECT_THAT(host.dependencies, IsEmpty());
}

// ---- resolving one target ----

struct TargetCase {
    std::string folder;
    std::string target;
    std::string resolved;
};

class ResolveTargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ResolveTargetTest, MakesFullPaths) {
    EXPECT_EQ(GetParam().resolved,
              CHtmlFilter::ResolveTarget(GetParam().folder.c_str(), GetParam().target.c_str()).str());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, ResolveTargetTest,
    ::testing::Values(TargetCase{"/book", "a.htm", "/book/a.htm"},
                      TargetCase{"/book", "images/../pics/./x.gif", "/book/pics/x.gif"},
                      TargetCase{"/book/ch", "..\\pics\\x.gif", "/book/pics/x.gif"},
                      TargetCase{"/book", "/other/x.gif", "/other/x.gif"},
                      TargetCase{"/book", "pics//a.gif", "/book/pics/a.gif"},
                      TargetCase{"/book", "file:///book/a.htm", "/book/a.htm"},
                      TargetCase{"/book", "FILE:a.htm", "/book/a.htm"},
                      TargetCase{"/book", "http://example.com/a.htm", "http://example.com/a.htm"},
                      TargetCase{"/book", "http:/../x.htm", "http:/../x.htm"},
                      // A colon that ends no scheme is part of a file name.
                      TargetCase{"/book/ch", "..\\.:\\..\\x.gif", "/book/x.gif"},
                      TargetCase{"/book", "notes/a:b.htm", "/book/notes/a:b.htm"},
                      // A "../" above the root stops the folding, as the path was written.
                      TargetCase{"", "../x.gif", "/../x.gif"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace htmltest
