// The files a style sheet names through url(...): what counts as a reference, and the
// forms of its value that must come out as the same file name.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/StyleSheetUrls.h"

namespace {

using Urls = std::vector<std::string>;

struct Case {
    const char* css;
    Urls expected;
};

class StyleSheetUrls : public testing::TestWithParam<Case> {};

TEST_P(StyleSheetUrls, FindsTheNamedFiles) {
    EXPECT_EQ(GetParam().expected, leaf::FindStyleSheetUrls(GetParam().css)) << GetParam().css;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StyleSheetUrls,
    testing::Values(
        Case{"body { background: url(paper.png) }", {"paper.png"}},
        Case{"p{background:URL( 'a b.png' )}", {"a b.png"}},
        Case{"@font-face { src: url(\"fonts/serif.ttf\") format('truetype'), url(s.woff) }",
             {"fonts/serif.ttf", "s.woff"}},
        Case{"li { list-style: url(  dot.gif  ) }", {"dot.gif"}},
        Case{"@import \"base.css\";\n@IMPORT 'print.css' print;\n@import url(more.css);", {"base.css", "print.css", "more.css"}},
        // Escapes of CSS name the characters they stand for.
        Case{"a { background: url(a\\)b.png) }", {"a)b.png"}},
        Case{"a { background: url('\\41 .png') }", {"A.png"}},
        Case{"a { background: url('it\\'s.png') }", {"it's.png"}},
        // A fragment names no other file; inline data and empty values name none.
        Case{"a { filter: url(f.svg#blur) } b { filter: url(#local) }", {"f.svg"}},
        Case{"a { background: url(data:image/png;base64,AAAA) } b { background: url() }", {}},
        // Comments, strings and longer names that merely end in "url" hold no reference.
        Case{"/* url(old.png) */ a { content: \"url(text.png)\"; b: myurl(x.png) }", {}},
        Case{"a { background: url(a.png) } /* unclosed url(b.png)", {"a.png"}},
        // A value that never closes still ends at the end of the text.
        Case{"a { background: url(open.png", {"open.png"}},
        Case{"a { background: url('open.png", {"open.png"}},
        Case{"", {}}));

// The place of each value, quotes included, so that a caller can put another in.
TEST(StyleSheetUrlSpans, MarkEachValueAndKeepItsFragment) {
    const std::string css = "a{b:url( 'x.png' )} @import \"y.css\"; c{d:url(z.svg#f)}";
    const auto urls = leaf::FindStyleSheetUrlSpans(css);
    ASSERT_EQ(3u, urls.size());
    EXPECT_EQ(" 'x.png' ", css.substr(urls[0].begin, urls[0].end - urls[0].begin));
    EXPECT_EQ("\"y.css\"", css.substr(urls[1].begin, urls[1].end - urls[1].begin));
    EXPECT_EQ("z.svg#f", css.substr(urls[2].begin, urls[2].end - urls[2].begin));
    EXPECT_EQ("z.svg", urls[2].target);
    EXPECT_EQ("#f", urls[2].fragment);
}

// A value written back where a reference stood reads as the same target.
TEST(StyleSheetUrlSpans, AQuotedValueReadsBackAsItself) {
    for (const std::string value : {"plain.png", "a \"b\".png", "back\\slash.png", ""}) {
        const std::string css = "p{b:url(" + leaf::QuotedStyleSheetString(value) + ")}";
        const std::vector<std::string> targets = leaf::FindStyleSheetUrls(css);
        EXPECT_EQ(value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value}, targets) << css;
    }
}

}  // namespace
