// A book whose style sheets were written for today's browsers, as manuals made by web
// tools are: rules nested in rules, an @media inside a rule, a url() in a nested rule and
// a relative selector in :has(). Built whole through the automation surface, the e-book
// passes epubcheck, its sheet holds the nested rules flat with the picture they name, and
// the author hears of the rule that was left out.

#include <string>

#include "tests/sdk/builds/BuildsTestSupport.h"
#include "tests/support/TestPictures.h"

namespace buildstest {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ModernStyleSheetBuild : public EBookBuild {
protected:
    void SetUp() override {
        EBookBuild::SetUp();
        StartControl();
    }
};

TEST_F(ModernStyleSheetBuild, NestedRulesReachTheEBookFlatAndItPassesEpubcheck) {
    const std::string index = folder.WriteFile(
        "book/index.html",
        "<html><head><title>API</title><link rel=\"stylesheet\" href=\"assets/style.css\" /></head>"
        "<body><div id=\"apicontent\"><p class=\"api_stability\">Stable</p><pre><code class=\"hljs\">x()</code></pre>"
        "<p><a href=\"index.html\">top</a></p></div></body></html>");
    folder.WriteFile("book/assets/style.css",
                     ":not(.dark-mode) {\n"
                     "  pre code.hljs { display: block; background: url(\"../pics/tile.gif\") }\n"
                     "  /* a } in a comment, a { in a \"string\" */\n"
                     "  & .hljs-keyword, .hljs-name { content: \"{\"; font-weight: bold }\n"
                     "  @media print { code.hljs { padding: 0 } }\n"
                     "}\n"
                     "#apicontent:has(> .api_stability) a { scroll-margin-top: 50px }\n"
                     "p { margin: 0 }\n");
    folder.WriteFile("book/pics/tile.gif", leaf::test::OnePixelGif());
    Prepare({index});
    const std::string eBook = folder / "out/api.epub";
    ASSERT_TRUE(Build(eBook));  // checked with epubcheck

    auto entries = UnpackEBook(eBook);
    const std::string& css = entries["assets/style.css"];
    for (const char* part : {":not(.dark-mode) pre code.hljs {", "url(\"../pics/tile.gif\")",
                             ":not(.dark-mode) .hljs-keyword, :not(.dark-mode) .hljs-name {", "content: \"{\"",
                             "@media print {\n:not(.dark-mode) code.hljs {", "p { margin: 0 }"})
        EXPECT_TRUE(Contains(css, part)) << part << "\n" << css;
    EXPECT_FALSE(Contains(css, ":has(")) << css;
    EXPECT_EQ(1u, entries.count("pics/tile.gif"));

    size_t warnings = 0;
    for (const std::string& message : Messages())
        warnings += message.starts_with("1 2003 The style sheet \"assets/style.css\" holds rules that readers of EPUB "
                                        "cannot read: 1 style rule(s) were left out.")
                        ? 1
                        : 0;
    EXPECT_EQ(1u, warnings);
}

}  // namespace
}  // namespace buildstest
