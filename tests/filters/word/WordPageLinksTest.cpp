// The links of a page the word processor saved: each names the file where the book
// holds it, seen from the document's place in the book.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "filters/word/WordPageLinks.h"

namespace {

// The page lies in the filter's temporary folder; the document one folder below the
// book's source folder.
const CWordPagePlaces kPlaces{"/tmp/wordintake.001/$doc0001.htm", "/book/text/chapter.doc", "/book"};

struct LinkCase {
    const char* written;
    std::optional<std::string> expected;
};

TEST(WordPageLinksTest, EachLinkNamesTheFileAsTheBookHoldsIt) {
    const LinkCase cases[] = {
        // Pictures the word processor wrote beside the page lie beside the document.
        {"$doc0001_files/image001.png", "$doc0001_files/image001.png"},
        {"%24doc0001_files/a%20b.png", "$doc0001_files/a%20b.png"},
        // Links written from the temporary folder are seen from the document's folder.
        {"../../book/other.htm", "../other.htm"},
        {"../../book/text/pics/a b.png", "pics/a%20b.png"},
        {"../../book/ch2.doc#s1", "../ch2.doc#s1"},
        {"file:///book/pics/x.png", "../pics/x.png"},
        {"file://localhost/book/pics/x.png", "../pics/x.png"},
        {"FILE:/book/text/x.png", "x.png"},
        // Files outside the source folder keep their full path, by which the build finds them.
        {"/elsewhere/logo.gif", "/elsewhere/logo.gif"},
        {"../../elsewhere/logo.gif", "/elsewhere/logo.gif"},
        // A link into the page itself stays in the page.
        {"$doc0001.htm#_Toc1", "#_Toc1"},
        {"$doc0001.htm", "chapter.doc"},
        // Web addresses, other machines, fragments and empty links stay as they are.
        {"https://example.org/a.htm", std::nullopt},
        {"mailto:someone@example.org", std::nullopt},
        {"file://server/share/x.png", std::nullopt},
        {"#top", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
    };
    for (const LinkCase& test : cases)
        EXPECT_EQ(MapWordPageLink(test.written, kPlaces), test.expected) << test.written;
}

TEST(WordPageLinksTest, WithoutASourceFolderTheDocumentsFolderBoundsRelativeLinks) {
    CWordPagePlaces places = kPlaces;
    places.sourceFolder.clear();
    EXPECT_EQ(MapWordPageLink("../../book/text/pics/x.png", places), "pics/x.png");
    EXPECT_EQ(MapWordPageLink("../../book/other.htm", places), "/book/other.htm");
}

TEST(WordPageLinksTest, OnlyLinkAttributesOfTagsChange) {
    struct PageCase {
        const char* page;
        const char* expected;
    };
    const PageCase cases[] = {
        {"<p><img src=\"$doc0001_files/a.png\" alt=x><a HREF='../../book/other.htm#p'>go</a></p>",
         "<p><img src=\"$doc0001_files/a.png\" alt=x><a HREF=\"../other.htm#p\">go</a></p>"},
        {"<a href=../../book/other.htm>x</a>", "<a href=\"../other.htm\">x</a>"},
        {"<a href = \"../../book/a&amp;b.htm\" >x</a>", "<a href = \"../a&amp;b.htm\" >x</a>"},
        {"<a href=\"../../book/a&#46;htm\">", "<a href=\"../a.htm\">"},
        // Text, comments, scripts and style sheets are no tags.
        {"<p>src=\"../../x\"</p>", "<p>src=\"../../x\"</p>"},
        {"<!-- <img src=\"../../book/a.png\"> -->", "<!-- <img src=\"../../book/a.png\"> -->"},
        {"<script>var s = '<img src=\"../../book/a.png\">';</script><img src=\"../../book/b.png\">",
         "<script>var s = '<img src=\"../../book/a.png\">';</script><img src=\"../b.png\">"},
        {"<STYLE>p { background: url('../../x.png') }</style>", "<STYLE>p { background: url('../../x.png') }</style>"},
        // Attributes without values, and other attributes, are kept.
        {"<img ismap data-src=\"../../book/a.png\" src=\"../../book/a.png\">",
         "<img ismap data-src=\"../../book/a.png\" src=\"../a.png\">"},
        // Markup cut short is kept as it is.
        {"<img src=\"../../book/a.png", "<img src=\"../../book/a.png"},
        {"<img src=", "<img src="},
        {"<", "<"},
        {"a < b", "a < b"},
    };
    for (const PageCase& test : cases)
        EXPECT_EQ(RewriteWordPageLinks(test.page, kPlaces), test.expected) << test.page;
}

}  // namespace
