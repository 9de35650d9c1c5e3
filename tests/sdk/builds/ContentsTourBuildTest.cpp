// The chapter tour made from a book's contents page, built whole through the automation
// surface: its sites reach the pages the contents page links to, whatever their names
// hold (character references, escaped '?' and '#', names that differ only in case),
// and a contents page whose own name holds a '#' still gives the guide and the tour.

#include <string>
#include <vector>

#include "tests/sdk/builds/BuildsTestSupport.h"

namespace buildstest {
namespace {

using leaf::Variant;

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// The tours element of a package file.
std::string ToursOf(const std::string& package) {
    const size_t start = package.find("<tours>");
    return start == std::string::npos ? std::string() : package.substr(start, package.find("</tours>") - start);
}

class ContentsTourBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }

    // The reading order, the contents page as a guide page named by `href`, the tour
    // made from its links, and the preparation.
    void PrepareWithContents(const std::vector<std::string>& spine, const std::string& contents,
                             const std::string& href) {
        for (const std::string& source : spine)
            ASSERT_TRUE(control.AddSourceFile(source, LCF_SPINE)) << source;
        ASSERT_TRUE(control.AddSourceFile(contents, LCF_HTML_GUIDE_ITEM));
        ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant(href)}));
        ASSERT_TRUE(control.CallBool(sdkdispid::CreateTourFromTOC, {Variant(LONG(0))})) << control.ErrorCode();
        ASSERT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
    }

    // The pages the table of contents of the navigation document or of the NCX leads to,
    // in order.
    static std::vector<std::string> NavigationTargets(const std::string& navigation, const std::string& attribute) {
        return LinkValues(navigation.substr(0, navigation.find("landmarks")), attribute, false);
    }
};

// Two contents entries name FAQ.html and faq.html: the exact name is the page meant, the
// other one (which took the name of its own) its own page; links written with references
// or escapes name the files they decode to, converted sources by their pages.
TEST_F(ContentsTourBuild, TheTourReachesEveryPageTheContentsPageLinksTo) {
    const std::string contents = folder.WriteFile(
        "book/toc.html", Page("Contents", "<ul><li><a href=\"FAQ.html\">Big</a></li><li><a href=\"faq.html\">small</a>"
                                          "</li><li><a href=\"a&amp;b.html\">ab</a></li><li><a href=\"n&amp;m.txt\">nm"
                                          "</a></li><li><a href=\"two%20words.txt#end\">tw</a></li></ul>"));
    const std::vector<std::string> spine = {
        contents,
        folder.WriteFile("book/FAQ.html", Page("Big", "<p>big questions</p>")),
        folder.WriteFile("book/faq.html", Page("small", "<p>small questions</p>")),
        folder.WriteFile("book/a&b.html", Page("ab", "<p>a and b</p>")),
        folder.WriteFile("book/n&m.txt", "n and m\n"),
        folder.WriteFile("book/two words.txt", "two words\n"),
    };
    PrepareWithContents(spine, contents, "toc.html");
    const std::string eBook = folder / "out/tour.epub";
    ASSERT_TRUE(Build(eBook));

    auto entries = UnpackEBook(eBook);
    std::vector<std::string> pages;
    for (const char* text : {"big questions", "small questions", "a and b", "n and m", "two words"}) {
        pages.push_back(EntryHolding(entries, text));
        ASSERT_NE("", pages.back()) << text;
    }
    EXPECT_EQ("FAQ.html", pages[0]);
    EXPECT_NE("FAQ.html", pages[1]);
    EXPECT_EQ(pages, NavigationTargets(entries["nav.xhtml"], "href")) << entries["nav.xhtml"];
    EXPECT_EQ(pages, NavigationTargets(entries["toc.ncx"], "src")) << entries["toc.ncx"];
}

// Sites whose names hold an escaped '?' or '#' reach the pages their sources became; the
// package file names them escaped, so that they read back as those pages' names.
TEST_F(ContentsTourBuild, SitesWithEscapedNamesReachTheirConvertedPages) {
    const std::string contents = folder.WriteFile(
        "book/toc.html", Page("Contents", "<p><a href=\"t%3Fwo.txt\">two</a> <a href=\"hash%231.txt#top\">hash</a></p>"));
    const std::vector<std::string> spine = {contents, folder.WriteFile("book/t?wo.txt", "question page\n"),
                                            folder.WriteFile("book/hash#1.txt", "hash page\n")};
    PrepareWithContents(spine, contents, "toc.html");
    const std::string eBook = folder / "out/escaped.lit";
    ASSERT_TRUE(Build(eBook));

    const std::string package = ReadBytes(WorkFolder("escaped") + "/escaped.opf");
    const std::string tour = ToursOf(package);
    EXPECT_NE(std::string::npos, tour.find("href=\"t%3Fwo.htm\"")) << package;
    EXPECT_NE(std::string::npos, tour.find("href=\"hash%231.htm#top\"")) << package;
    auto entries = UnpackEBook(eBook);
    const std::vector<std::string> pages = {EntryHolding(entries, "question page"), EntryHolding(entries, "hash page")};
    EXPECT_EQ(pages, NavigationTargets(entries["nav.xhtml"], "href")) << entries["nav.xhtml"];
}

// A contents page named "con#tents.html", given by its path as clients give guide items,
// gives the chapter tour, and the package's guide names it by an escaped link that reads
// back as its name.
TEST_F(ContentsTourBuild, AContentsPageWhoseNameHoldsAHashGivesAnEscapedGuideAndTheTour) {
    const std::string contents =
        folder.WriteFile("book/con#tents.html", Page("Contents", "<p><a href=\"chapter.html\">The chapter</a></p>"));
    const std::string chapter = folder.WriteFile("book/chapter.html", Page("Chapter", "<p>chapter text</p>"));
    PrepareWithContents({contents, chapter}, contents, "con#tents.html");
    const std::string eBook = folder / "out/hash.lit";
    ASSERT_TRUE(Build(eBook));

    const std::string package = ReadBytes(WorkFolder("hash") + "/hash.opf");
    EXPECT_NE(std::string::npos, package.find("title=\"Contents\" href=\"con%23tents.html\"")) << package;
    const std::string tour = ToursOf(package);
    EXPECT_EQ(std::vector<std::string>{"chapter.html"}, LinkValues(tour, "href")) << package;
    auto entries = UnpackEBook(eBook);
    EXPECT_EQ(std::vector<std::string>{"chapter.html"}, NavigationTargets(entries["nav.xhtml"], "href"))
        << entries["nav.xhtml"];
}

}  // namespace
}  // namespace buildstest
