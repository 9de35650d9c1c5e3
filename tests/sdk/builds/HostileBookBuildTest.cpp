// Books a careless or hostile author might hand in, built whole through the automation
// surface: markup that does not nest, an HTML file that is really binary, a picture
// that is not a picture, a style sheet of one 5 MB line. Each either builds into an
// e-book whose items are sound or fails with an error code and writes no e-book.

#include <filesystem>
#include <random>

#include "tests/sdk/builds/BuildsTestSupport.h"

namespace buildstest {
namespace {

namespace fs = std::filesystem;

class HostileBookBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }

    // A failed build reports a code with details and leaves no e-book, not even a part.
    void ExpectFailedWithoutEBook(const std::string& eBook, const std::vector<LONG>& codes) const {
        const LONG code = control.ErrorCode();
        EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), code)) << code;
        EXPECT_NE("", control.ErrorDetails());
        EXPECT_FALSE(fs::exists(eBook));
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(fs::path(eBook).parent_path().string()));
    }
};

TEST_F(HostileBookBuild, MarkupThatDoesNotNestBuildsIntoWellNestedItems) {
    const std::string page = folder.WriteFile(
        "book/tangle.html",
        "<html><head><title>Tangle</title>\n<body>\n"
        "<p>bold <b>strong <i>both</b> slanted</i> plain\n"     // misnested
        "<ul><li>first<li>second\n"                              // unclosed
        "</div></span><p>after strays</em>\n"                    // stray end tags
        "<table><tr><td>cell one<td>cell two</table>\n"
        "<div><p>deep <b><i><u>three</div> out\n"
        "</body>\n<p>after the body</html></html>\n");
    Prepare({page});
    const std::string eBook = folder / "out/tangle.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    ASSERT_EQ(1u, entries.count("tangle.html"));
    const std::string& item = entries["tangle.html"];
    EXPECT_EQ("", NestingFault(item)) << item;
    const std::string text = TextOf(item);
    for (const char* words : {"bold", "strong", "both", "slanted", "plain", "first", "second", "after strays",
                              "cell one", "cell two", "three", "out", "after the body"})
        EXPECT_NE(std::string::npos, text.find(words)) << words << " in " << text;
    // The compiler found nothing left open.
    for (const std::string& message : Messages())
        EXPECT_EQ(std::string::npos, message.find(" 2001 ")) << message;
}

// Where the markup scanner loses text (a stray "<" takes what follows up to the next ">"
// as a tag) the compiler cannot know it; after an unclosed embed the rest of the page
// comes as that element's text, which it keeps as text. Its warning claims nothing more.
TEST_F(HostileBookBuild, TheWarningAboutALosingPageClaimsNothingTheCompilerCannotKnow) {
    const std::string page = folder.WriteFile(
        "book/stray.html", "<html><body><p>a & b < and more.</p><p>after</p><embed src=\"x.swf\">"
                           "<p>rest of the page</p></body></html>");
    Prepare({page});
    ASSERT_TRUE(Build(folder / "out/stray.lit"));
    std::vector<std::string> warnings;
    for (const std::string& message : Messages())
        if (message.starts_with("1 2003 "))
            warnings.push_back(message);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ(std::string::npos, warnings[0].find("No text was left out")) << warnings[0];
    EXPECT_NE(std::string::npos, warnings[0].find("1 run(s) of text that came as the content of an element that holds "
                                                  "none (such as an embed left open"))
        << warnings[0];
}

// Random bytes, NULs included, under an HTML name; once as they come and once behind the
// UTF-16 mark (such a file skips the HTML filter and goes to the encoder as it is).
TEST_F(HostileBookBuild, AnHtmlFileThatIsReallyBinaryBuildsOrFailsCleanly) {
    std::mt19937 random(20240611);
    for (const std::string& mark : {std::string(), std::string("\xFF\xFE", 2)}) {
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(std::to_string(mark.size()) + "/" + std::to_string(round));
            std::string bytes = mark;
            for (int i = 0; i < 20000; ++i)
                bytes += static_cast<char>(random() % 4 == 0 ? 0 : random() & 0xFF);
            const std::string name = "noise" + std::to_string(mark.size()) + std::to_string(round);
            const std::string page = folder.WriteFile("book/" + name + ".html", bytes);
            control = sdktest::SdkControl::Create();
            ASSERT_TRUE(control.Initialize());
            control.Advise(sink.Get());
            Prepare({page});
            const std::string eBook = folder / ("out/" + name + "/" + name + ".lit");
            if (Build(eBook)) {
                auto entries = UnpackEBook(eBook);
                ASSERT_EQ(1u, entries.count(name + ".html"));
                EXPECT_EQ("", NestingFault(entries[name + ".html"]));
            } else {
                ExpectFailedWithoutEBook(eBook, {LCERR_CONVERTFAIL, LCERR_ENCODEHTML});
            }
        }
    }
}

TEST_F(HostileBookBuild, APictureThatIsNotAPictureIsReportedAndTheBuildGoesOn) {
    const std::string page = folder.WriteFile("book/page.html",
                                              "<html><body><p>Look:</p><img src=\"fake.png\">"
                                              "<img src=\"real.gif\"></body></html>");
    folder.WriteFile("book/fake.png", "this is only text, not a picture");
    folder.WriteFile("book/real.gif", "GIF89a and the rest");
    Prepare({page});
    // The false picture makes the book invalid on purpose: it is not checked.
    const std::string eBook = folder / "out/pictures.lit";
    ASSERT_TRUE(Build(eBook, sdktest::SdkControl::EBookCheck::None));
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());

    // One warning, about the false picture, tagged with its work copy.
    std::vector<std::string> messages = Messages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find("1 2002 ")) << messages[0];
    EXPECT_NE(std::string::npos, messages[0].find("fake.png\" is declared as image/png")) << messages[0];
    EXPECT_NE(std::string::npos, messages[0].find("|" + WorkFolder("pictures") + "/fake.png ")) << messages[0];

    auto entries = UnpackEBook(eBook);
    EXPECT_EQ("this is only text, not a picture", entries["fake.png"]);
    EXPECT_EQ("GIF89a and the rest", entries["real.gif"]);
}

TEST_F(HostileBookBuild, AStyleSheetOfOneFiveMegabyteLineArrivesWhole) {
    std::string css, expected;
    for (int rule = 0; css.size() < 5 * 1024 * 1024; ++rule) {
        const std::string name = "p.r" + std::to_string(rule);
        css += name + " { color: #abc; margin: 0 } ";
        expected += name + " { color: #AABBCC; margin: 0 } ";
    }
    folder.WriteFile("book/long.css", css);
    const std::string page = folder.WriteFile(
        "book/page.html",
        "<html><head><link rel=\"stylesheet\" href=\"long.css\"></head><body><p class=\"r7\">x</p></body></html>");
    Prepare({page});
    const std::string eBook = folder / "out/long.lit";
    ASSERT_TRUE(Build(eBook));
    auto entries = UnpackEBook(eBook);
    ASSERT_EQ(1u, entries.count("long.css"));
    // The compiler is handed each line with a line end.
    const std::string& item = entries["long.css"];
    EXPECT_EQ(expected.size() + 1, item.size());
    EXPECT_TRUE(item == expected + "\n") << "the style sheet changed beyond its colours";
}

}  // namespace
}  // namespace buildstest
