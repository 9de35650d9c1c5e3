// References between a book's files that must reach the e-book intact: links between
// pages of one subfolder, pictures whose names differ only in letter case, url()s in
// pages' style elements and attributes, and links written with character references;
// each book is checked with epubcheck.

#include <algorithm>
#include <string>
#include <vector>

#include "tests/sdk/builds/BuildsTestSupport.h"
#include "tests/support/TestPictures.h"

namespace buildstest {
namespace {

using leaf::test::OnePixelGif;

std::string Page(const std::string& body) {
    return "<html><head><title>t</title></head><body>" + body + "</body></html>";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class BookReferencesBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }

    // Builds the prepared book (checked with epubcheck); its unpacked entries.
    std::map<std::string, std::string> BuildChecked(const std::string& name) {
        const std::string eBook = folder / ("out/" + name + ".epub");
        EXPECT_TRUE(Build(eBook));
        return UnpackEBook(eBook);
    }
};

TEST_F(BookReferencesBuild, PagesInASubfolderLinkTheirConvertedNeighbours) {
    const std::string index = folder.WriteFile("book/index.html", Page("<p><a href=\"ch/one.html\">one</a></p>"));
    const std::string one = folder.WriteFile(
        "book/ch/one.html",
        Page("<p><a href=\"Notes.txt#x\">notes</a> <a href=\"../Top.txt\">top</a>"
             " <img src=\"../../art/outside.gif\" alt=\"outside\" /></p>"));
    const std::string notes = folder.WriteFile("book/ch/Notes.txt", "notes\n");
    const std::string top = folder.WriteFile("book/Top.txt", "top\n");
    folder.WriteFile("art/outside.gif", OnePixelGif(7));
    Prepare({index, one, notes, top});
    auto entries = BuildChecked("subfolder");
    ASSERT_TRUE(entries.count("ch/Notes.htm")) << "converted page under its own spelling";
    const std::string& page = entries["ch/one.html"];
    EXPECT_TRUE(Contains(page, "href=\"Notes.htm\"")) << page;
    EXPECT_TRUE(Contains(page, "href=\"../Top.htm\"")) << page;
    EXPECT_TRUE(Contains(page, "src=\"../external/outside.gif\"")) << page;
    EXPECT_EQ(OnePixelGif(7), entries["external/outside.gif"]);
}

TEST_F(BookReferencesBuild, PicturesWhoseNamesDifferInCaseShowThemselves) {
    const std::string index = folder.WriteFile(
        "book/index.html", Page("<p><img src=\"pics/a.gif\" alt=\"small\" /><img src=\"pics/A.gif\" alt=\"large\" /></p>"
                                "<div style=\"background: url(pics/A.gif)\">x</div>"));
    folder.WriteFile("book/pics/a.gif", OnePixelGif(1));
    folder.WriteFile("book/pics/A.gif", OnePixelGif(2));
    Prepare({index});
    auto entries = BuildChecked("cases");
    const std::string& page = entries["index.html"];
    EXPECT_EQ(OnePixelGif(1), entries["pics/a.gif"]);
    EXPECT_EQ(OnePixelGif(2), entries["pics/A1.gif"]);
    EXPECT_TRUE(Contains(page, "<img src=\"pics/a.gif\" alt=\"small\" />")) << page;
    EXPECT_TRUE(Contains(page, "<img src=\"pics/A1.gif\" alt=\"large\" />")) << page;
    EXPECT_TRUE(Contains(page, "url(&quot;pics/A1.gif&quot;)")) << page;
}

TEST_F(BookReferencesBuild, StyleElementsAndAttributesFindOutsidePictures) {
    const std::string index = folder.WriteFile(
        "book/ch/index.html",
        "<html><head><title>t</title><style>body { background: url('../../art/paper.gif') }</style></head>"
        "<body><div style=\"background-image: url(../../art/tile.gif)\">x</div></body></html>");
    const std::string front = folder.WriteFile("book/front.html", Page("<p>front</p>"));
    folder.WriteFile("art/paper.gif", OnePixelGif(3));
    folder.WriteFile("art/tile.gif", OnePixelGif(4));
    Prepare({front, index});
    auto entries = BuildChecked("styles");
    const std::string& page = entries["ch/index.html"];
    EXPECT_TRUE(Contains(page, "url(\"../external/paper.gif\")")) << page;
    EXPECT_TRUE(Contains(page, "url(&quot;../external/tile.gif&quot;)")) << page;
    EXPECT_EQ(OnePixelGif(3), entries["external/paper.gif"]);
    EXPECT_EQ(OnePixelGif(4), entries["external/tile.gif"]);
}

// Links written with character references, as a browser reads them, reach the converted
// page, the outside picture and the picture of a style attribute that the link walk
// packaged: none of them is lost on the way into the e-book.
TEST_F(BookReferencesBuild, LinksWrittenWithReferencesReachTheirItems) {
    const std::string index = folder.WriteFile(
        "book/index.html", Page("<p><a href=\"n&amp;m.txt\">notes</a> <img src=\"../art/o&amp;2.gif\" alt=\"o\" /></p>"
                                "<div style=\"background:url(&quot;../art/out.gif&quot;)\">x</div>"));
    const std::string notes = folder.WriteFile("book/n&m.txt", "the notes\n");
    folder.WriteFile("art/o&2.gif", OnePixelGif(8));
    folder.WriteFile("art/out.gif", OnePixelGif(9));
    Prepare({index, notes});
    auto entries = BuildChecked("references");
    const std::string& page = entries["index.html"];
    EXPECT_EQ(std::vector<std::string>{"n&m.htm"}, LinkValues(page, "href")) << page;
    EXPECT_EQ(std::vector<std::string>{"external/o&2.gif"}, LinkValues(page, "src")) << page;
    EXPECT_TRUE(Contains(page, "url(&quot;external/out.gif&quot;)")) << page;
    EXPECT_NE(std::string::npos, entries["n&m.htm"].find("the notes"));
    EXPECT_EQ(OnePixelGif(8), entries["external/o&2.gif"]);
    EXPECT_EQ(OnePixelGif(9), entries["external/out.gif"]);
    for (const std::string& message : Messages())
        EXPECT_FALSE(message.starts_with("1 2003 ")) << message;  // no link taken out
}

// The author went on with files missing: the book is still valid, what named them is
// taken out or turned into text, the text stays, and the compiler says so by item.
TEST_F(BookReferencesBuild, ReferencesToMissingFilesLeaveAValidBookAndAWarning) {
    const std::string index = folder.WriteFile(
        "book/index.html",
        "<html><head><title>t</title><link rel=\"stylesheet\" href=\"css/book.css\" />"
        "<style>h1 { background: url(Gone.PNG) } p { color: red }</style></head>"
        "<body><h1>Title</h1><p style=\"background: url(pics/none.gif); color: blue\">kept text</p>"
        "<p><img src=\"Nothing.gif\" alt=\"the missing picture\" /> <a href=\"NoPage.html\">a link</a></p>"
        "</body></html>");
    folder.WriteFile("book/css/book.css",
                     "@import \"Absent.CSS\";\n@import url(Other.css) screen;\nbody { background: url('../pics/paper.gif') }\n"
                     "h2 { background: url(Gone.png) no-repeat }\n");
    folder.WriteFile("book/pics/paper.gif", OnePixelGif(5));
    Prepare({index});
    // The author hears of every missing file, spelt as the page spelt it.
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    const std::vector<std::string> missing = control.Collection(sdkdispid::GetMissingFiles);
    for (const char* name : {"book/Gone.PNG", "book/Nothing.gif", "book/NoPage.html", "book/pics/none.gif",
                             "book/css/Absent.CSS", "book/css/Gone.png", "book/css/Other.css"})
        EXPECT_NE(std::find(missing.begin(), missing.end(), folder / name), missing.end()) << name;

    auto entries = BuildChecked("missing");
    const std::string& page = entries["index.html"];
    EXPECT_FALSE(Contains(page, "Gone.PNG")) << page;
    EXPECT_FALSE(Contains(page, "none.gif")) << page;
    EXPECT_TRUE(Contains(page, "p { color: red }")) << page;
    EXPECT_TRUE(Contains(page, "color: blue")) << page;
    EXPECT_TRUE(Contains(page, "kept text")) << page;
    EXPECT_TRUE(Contains(page, "the missing picture")) << page;
    EXPECT_TRUE(Contains(page, "a link")) << page;
    const std::string& css = entries["css/book.css"];
    EXPECT_FALSE(Contains(css, "Absent.CSS")) << css;
    EXPECT_FALSE(Contains(css, "Gone.png")) << css;
    EXPECT_FALSE(Contains(css, "@import")) << css;
    EXPECT_TRUE(Contains(css, "url('../pics/paper.gif')")) << css;
    EXPECT_TRUE(Contains(css, "no-repeat")) << css;

    bool pageWarned = false;
    bool styleSheetWarned = false;
    for (const std::string& message : Messages()) {
        pageWarned = pageWarned || (message.starts_with("1 2003 ") && Contains(message, "\"index.html\""));
        styleSheetWarned = styleSheetWarned || (message.starts_with("1 2004 ") && Contains(message, "css/book.css") &&
                                                Contains(message, "Absent.CSS") && Contains(message, "Gone.png"));
    }
    EXPECT_TRUE(pageWarned);
    EXPECT_TRUE(styleSheetWarned);
}

}  // namespace
}  // namespace buildstest
