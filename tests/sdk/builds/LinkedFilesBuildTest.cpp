// The files a book's pages and style sheets link to, built whole through the automation
// surface with the real filters: links written with character references, file names
// that a reader of a URL would decode or take for a scheme, pictures named only in style
// rules, and links that lead out of the source folder.

#include <algorithm>
#include <filesystem>

#include "platform/base/CString.h"

#include "tests/sdk/builds/BuildsTestSupport.h"
#include "tests/support/TestPictures.h"

namespace buildstest {
namespace {

namespace fs = std::filesystem;

class LinkedFilesBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }

    std::vector<std::string> Missing() const { return control.Collection(sdkdispid::GetMissingFiles); }
    std::vector<std::string> Outside() const { return control.Collection(sdkdispid::GetExternalFiles); }
};

TEST_F(LinkedFilesBuild, PicturesNamedInStyleAttributesAndElementsArePackaged) {
    const std::string page = folder.WriteFile(
        "book/page.html",
        "<html><head><style>\nbody { background: url(pics/paper.gif) }\n"
        "h1 { background: url('pics/gone.png') }\n</style></head>\n"
        "<body><h1>Title</h1><div style=\"background: url(&quot;pics/tile.gif&quot;)\">x</div></body></html>");
    folder.WriteFile("book/pics/paper.gif", leaf::test::OnePixelGif() + "paper");
    folder.WriteFile("book/pics/tile.gif", leaf::test::OnePixelGif() + "tile");
    Prepare({page});
    // A file that is not there is reported in the letter case of the walk's keys.
    const std::vector<std::string> missing = Missing();
    ASSERT_EQ(1u, missing.size());
    EXPECT_TRUE(leaf::EqualsNoCase(folder / "book/pics/gone.png", missing[0])) << missing[0];

    const std::string eBook = folder / "out/styled.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_EQ(leaf::test::OnePixelGif() + "paper", entries["pics/paper.gif"]);
    EXPECT_EQ(leaf::test::OnePixelGif() + "tile", entries["pics/tile.gif"]);
}

TEST_F(LinkedFilesBuild, LinksWithCharacterReferencesNameTheDecodedFiles) {
    const std::string page = folder.WriteFile(
        "book/index.html",
        "<html><body><a href=\"a&amp;b.html\">ab</a><img src=\"x&#38;y.gif\"></body></html>");
    folder.WriteFile("book/a&b.html", "<html><body><p>linked page</p></body></html>");
    folder.WriteFile("book/x&y.gif", leaf::test::OnePixelGif() + "xy");
    Prepare({page});
    EXPECT_EQ(std::vector<std::string>{}, Missing());

    const std::string eBook = folder / "out/refs.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_NE(std::string::npos, entries["a&b.html"].find("linked page"));
    EXPECT_EQ(leaf::test::OnePixelGif() + "xy", entries["x&y.gif"]);
}

// A '#' or '?' in a file's name would cut a link to it short, and the e-book's container
// does not allow a '?': such files arrive under safe names, and the links follow them.
TEST_F(LinkedFilesBuild, FileNamesWithPercentHashAndQuestionMarkArriveUnderNamesTheirLinksReach) {
    const std::string page = folder.WriteFile(
        "book/index.html", "<html><body><a href=\"pct%2541%25.html\">p</a><a href=\"hash%23x.html\">h</a>"
                           "<img src=\"what%3F.gif\" alt=\"w\"></body></html>");
    folder.WriteFile("book/pct%41%.html", "<html><body><p>percent page</p></body></html>");
    folder.WriteFile("book/hash#x.html", "<html><body><p>hash page</p></body></html>");
    folder.WriteFile("book/what?.gif", leaf::test::OnePixelGif());
    Prepare({page});
    EXPECT_EQ(std::vector<std::string>{}, Missing());

    const std::string eBook = folder / "out/names.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_NE(std::string::npos, entries["pct%41%.html"].find("percent page"));
    EXPECT_NE(std::string::npos, entries["hash_x.html"].find("hash page"));
    EXPECT_EQ(leaf::test::OnePixelGif(), entries["what_.gif"]);
    const std::string& index = entries["index.html"];
    for (const char* link : {"href=\"pct%2541%25.html\"", "href=\"hash_x.html\"", "src=\"what_.gif\""})
        EXPECT_NE(std::string::npos, index.find(link)) << link << "\n" << index;
}

// Links to converted sources whose names hold '%', '#' or '?', escaped as links are, are
// written to their pages escaped again, so that each reads back as its page's name.
TEST_F(LinkedFilesBuild, RewrittenLinksToNamesWithPercentHashAndQuestionMarkReachTheirPages) {
    const std::string page = folder.WriteFile(
        "book/index.html", "<html><body><a href=\"hash%231.txt#top\">h</a><a href=\"q%3F.txt\">q</a>"
                           "<a href=\"pct%2541.txt\">p</a></body></html>");
    const std::string hash = folder.WriteFile("book/hash#1.txt", "hash notes\n");
    const std::string question = folder.WriteFile("book/q?.txt", "question notes\n");
    const std::string percent = folder.WriteFile("book/pct%41.txt", "percent notes\n");
    Prepare({page, hash, question, percent});

    const std::string eBook = folder / "out/escaped.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    std::vector<std::string> pages;
    for (const char* text : {"hash notes", "question notes", "percent notes"}) {
        pages.push_back(EntryHolding(entries, text));
        ASSERT_NE("", pages.back()) << text;
    }
    EXPECT_EQ(pages, LinkValues(entries["index.html"], "href", false)) << entries["index.html"];
}

// A source whose name holds a ':' is named by an href that no reader takes for a URL
// scheme, and the package file that the build wrote reads back with the file's own name.
TEST_F(LinkedFilesBuild, ASourceNamedWithAColonHasAnHrefThatReadsBackAsItsName) {
    const std::string page = folder.WriteFile("book/index.html", "<html><body><p>first</p></body></html>");
    const std::string colon = folder.WriteFile("book/c:x.html", "<html><body><p>colon page</p></body></html>");
    Prepare({page, colon});
    // The e-book holds the page under a name its container allows.
    const std::string eBook = folder / "out/colon.lit";
    ASSERT_TRUE(Build(eBook));
    EXPECT_NE(std::string::npos, UnpackEBook(eBook)["c_x.html"].find("colon page"));
    const std::string package = ReadBytes(WorkFolder("colon") + "/colon.opf");
    std::vector<std::string> hrefs;
    for (const ManifestEntry& item : ManifestOf(package))
        hrefs.push_back(item.href);
    EXPECT_NE(hrefs.end(), std::find(hrefs.begin(), hrefs.end(), "c%3Ax.html")) << package;
    EXPECT_EQ(std::string::npos, package.find("\"c:x.html\"")) << package;

    sdktest::SdkControl reader = sdktest::SdkControl::Create();
    ASSERT_TRUE(reader.Initialize());
    ASSERT_TRUE(reader.CallBool(sdkdispid::ImportPackageFile, {leaf::Variant(WorkFolder("colon") + "/colon.opf")}));
    ASSERT_TRUE(reader.PrepareEBook()) << reader.ErrorCode() << " " << reader.ErrorDetails();
    EXPECT_EQ(LCERR_NONE, reader.ErrorCode());  // nothing missing: every href named its file
}

TEST_F(LinkedFilesBuild, ALinkThatLeadsOutOfTheSourceFolderIsLeftOut) {
    leaf::test::TempFolder elsewhere;
    const std::string secret = elsewhere.WriteFile("secret.htm", "<html><body><p>SECRET TEXT</p></body></html>");
    fs::create_directories(folder / "book");
    fs::create_symlink(secret, folder / "book/notes.htm");
    const std::string page =
        folder.WriteFile("book/index.html", "<html><body><a href=\"notes.htm\">notes</a></body></html>");
    Prepare({page});
    EXPECT_EQ(std::vector<std::string>{folder / "book/notes.htm"}, Outside());

    const std::string eBook = folder / "out/closed.lit";
    ASSERT_TRUE(Build(eBook));
    for (const auto& [name, contents] : UnpackEBook(eBook))
        EXPECT_EQ(std::string::npos, contents.find("SECRET TEXT")) << name;
}

}  // namespace
}  // namespace buildstest
