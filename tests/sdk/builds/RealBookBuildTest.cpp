// Books nobody here wrote for this system, built whole through the automation surface
// and checked with epubcheck and calibre: the benchmark book that make-book writes (the
// markup authors typically leave: entities, unclosed paragraphs and list items, links
// with fragments, pictures, a style sheet, a text file) and a manual that a Debian
// package ships as HTML (several pages, pictures, style sheets and scripts).

#include <filesystem>

#include "tests/sdk/builds/BuildsTestSupport.h"
#include "tests/support/ChildProcess.h"

namespace buildstest {
namespace {

namespace fs = std::filesystem;
using leaf::Variant;

// The Debian package python3-routes ships its manual as HTML pages (make test installs it).
const std::string kManual = "/usr/share/doc/python3-routes/html/index.html";

class RealBookBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }

    void AddTitleAndAuthor(const std::string& title, const std::string& author) const {
        ASSERT_TRUE(control.CallBool(sdkdispid::AddMetaData, {Variant("dc:Title"), Variant(""), Variant(title),
                                                              Variant(LONG(LCF_DUBLIN_CORE))}));
        ASSERT_TRUE(control.CallBool(sdkdispid::AddMetaData, {Variant("dc:Creator"), Variant("role=\"aut\""),
                                                              Variant(author), Variant(LONG(LCF_DUBLIN_CORE))}));
    }
};

TEST_F(RealBookBuild, TheBenchmarkBookIsAValidEpub) {
    const std::string makeBook = LEAF_MAKE_BOOK;
    if (!fs::exists(makeBook))
        GTEST_SKIP() << "make-book is not at " << makeBook << ": the benchmark book was not built";
    const std::string book = folder / "bench";
    const leaf::test::ChildResult made =
        leaf::test::RunChild(makeBook, {book, "--pages", "6", "--page-kb", "8"}, "", leaf::test::ErrorOutput::Merged);
    ASSERT_EQ(0, made.exitStatus) << made.out;
    std::vector<std::string> spine = {book + "/toc.html"};
    for (int page = 1; page <= 6; ++page)
        spine.push_back(book + "/chapter000" + std::to_string(page) + ".html");
    spine.push_back(book + "/afterword.txt");
    AddTitleAndAuthor("The Benchmark Book", "Make Book");
    ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant("toc.html")}));
    Prepare(spine);
    const std::string eBook = folder / "out/bench.epub";
    ASSERT_TRUE(Build(eBook));
    leaf::test::ExpectCalibreReads(eBook, "The Benchmark Book", "Make Book");
    // The navigation follows the contents page.
    const std::string nav = UnpackEBook(eBook)["nav.xhtml"];
    EXPECT_NE(std::string::npos, nav.find("href=\"chapter0006.html")) << nav;
}

TEST_F(RealBookBuild, AManualShippedAsHtmlIsAValidEpub) {
    if (!fs::exists(kManual))
        GTEST_SKIP() << kManual << " is missing (Debian package python3-routes): the manual was not built";
    AddTitleAndAuthor("Routes Manual", "The Routes Authors");
    Prepare({kManual});
    const std::string eBook = folder / "out/manual.epub";
    ASSERT_TRUE(Build(eBook));
    leaf::test::ExpectCalibreReads(eBook, "Routes Manual", "The Routes Authors");
    auto entries = UnpackEBook(eBook);
    size_t pages = 0, pictures = 0, styleSheets = 0;
    for (const auto& [name, bytes] : entries) {
        pages += name.ends_with(".html") ? 1 : 0;
        pictures += name.ends_with(".png") ? 1 : 0;
        styleSheets += name.ends_with(".css") ? 1 : 0;
    }
    EXPECT_GE(pages, 5u);
    EXPECT_GE(pictures, 1u);
    EXPECT_GE(styleSheets, 1u);
    // The pages the book links to but the reading order does not hold are in the spine,
    // out of the linear order, so that readers can follow the links.
    EXPECT_NE(std::string::npos, entries["manual.opf"].find("linear=\"no\""));
}

// The Valgrind manual: DocBook pages whose contents lists are definition lists of terms
// only, a footer that links to the first chapter again, and two pages whose names differ
// only in letter case.
TEST_F(RealBookBuild, ADocBookManualIsAValidEpub) {
    const std::string manual = "/usr/share/doc/valgrind/html";
    if (!fs::exists(manual + "/index.html"))
        GTEST_SKIP() << manual << " is missing (Debian package valgrind): the manual was not built";
    AddTitleAndAuthor("Valgrind Documentation", "Valgrind Developers");
    ASSERT_TRUE(control.CallBool(sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant("index.html")}));
    Prepare({manual + "/index.html", manual + "/manual.html", manual + "/FAQ.html", manual + "/faq.html"});
    const std::string eBook = folder / "out/valgrind.epub";
    ASSERT_TRUE(Build(eBook));
    // The contents list keeps every entry's text.
    const std::string index = UnpackEBook(eBook)["index.html"];
    EXPECT_NE(std::string::npos, index.find("Valgrind Technical Documentation")) << index;
}

}  // namespace
}  // namespace buildstest
