// The files a book's pages and style sheets link to, built whole through the automation
// surface with the real filters: links written with character references, file names
// that a reader of a URL would decode, pictures named only in style rules, and links
// that lead out of the source folder.

#include <filesystem>

#include "platform/base/CString.h"

#include "tests/sdk/builds/BuildsTestSupport.h"

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
    folder.WriteFile("book/pics/paper.gif", "GIF89a-paper");
    folder.WriteFile("book/pics/tile.gif", "GIF89a-tile");
    Prepare({page});
    // A file that is not there is reported in the letter case of the walk's keys.
    const std::vector<std::string> missing = Missing();
    ASSERT_EQ(1u, missing.size());
    EXPECT_TRUE(leaf::EqualsNoCase(folder / "book/pics/gone.png", missing[0])) << missing[0];

    const std::string eBook = folder / "out/styled.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_EQ("GIF89a-paper", entries["pics/paper.gif"]);
    EXPECT_EQ("GIF89a-tile", entries["pics/tile.gif"]);
}

TEST_F(LinkedFilesBuild, LinksWithCharacterReferencesNameTheDecodedFiles) {
    const std::string page = folder.WriteFile(
        "book/index.html",
        "<html><body><a href=\"a&amp;b.html\">ab</a><img src=\"x&#38;y.gif\"></body></html>");
    folder.WriteFile("book/a&b.html", "<html><body><p>linked page</p></body></html>");
    folder.WriteFile("book/x&y.gif", "GIF89a-xy");
    Prepare({page});
    EXPECT_EQ(std::vector<std::string>{}, Missing());

    const std::string eBook = folder / "out/refs.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_NE(std::string::npos, entries["a&b.html"].find("linked page"));
    EXPECT_EQ("GIF89a-xy", entries["x&y.gif"]);
}

TEST_F(LinkedFilesBuild, FileNamesWithPercentHashAndQuestionMarkArriveUnderTheirNames) {
    const std::string page = folder.WriteFile(
        "book/index.html",
        "<html><body><a href=\"pct%2541%25.html\">p</a><a href=\"hash%23x.html\">h</a></body></html>");
    folder.WriteFile("book/pct%41%.html", "<html><body><p>percent page</p></body></html>");
    folder.WriteFile("book/hash#x.html", "<html><body><p>hash page</p></body></html>");
    Prepare({page});
    EXPECT_EQ(std::vector<std::string>{}, Missing());

    const std::string eBook = folder / "out/names.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    EXPECT_NE(std::string::npos, entries["pct%41%.html"].find("percent page"));
    EXPECT_NE(std::string::npos, entries["hash#x.html"].find("hash page"));
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
