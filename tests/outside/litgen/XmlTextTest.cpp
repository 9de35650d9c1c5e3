// The text helpers of the e-book writer: links resolved against the page they stand in
// (and never above the publication's root), hrefs written back relative and escaped,
// references undone, and what counts as a language tag and an id.

#include <gtest/gtest.h>

#include "outside/litgen/EpubMetadata.h"
#include "outside/litgen/XmlText.h"

namespace {

struct LinkCase {
    const char* href;
    const char* page;
    bool local;
    const char* path;
    const char* fragment;
};

class ResolveLinkCase : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ResolveLinkCase, NamesThePlaceInThePublication) {
    const LinkCase& test = GetParam();
    const litgen::LinkTarget target = litgen::ResolveLink(test.href, test.page);
    EXPECT_EQ(test.local, target.local) << test.href;
    EXPECT_EQ(test.path, target.path) << test.href;
    EXPECT_EQ(test.fragment, target.fragment) << test.href;
}

INSTANTIATE_TEST_SUITE_P(
    Links, ResolveLinkCase,
    ::testing::Values(LinkCase{"b.htm", "a.htm", true, "b.htm", ""},
                      LinkCase{"../pics/a%20b.png", "text/page.htm", true, "pics/a b.png", ""},
                      LinkCase{"./c/./d.htm#s%201", "x/a.htm", true, "x/c/d.htm", "s 1"},
                      LinkCase{" b.htm?q=1#top ", "a.htm", true, "b.htm", "top"},
                      LinkCase{"#here", "a.htm", true, "", "here"},
                      LinkCase{"../../etc/passwd", "text/a.htm", false, "", ""},
                      LinkCase{"/etc/passwd", "a.htm", false, "", ""},
                      LinkCase{"http://example.org/a.htm", "a.htm", false, "", ""},
                      LinkCase{"mailto:someone@example.org", "a.htm", false, "", ""},
                      LinkCase{"dir\\file.htm", "a.htm", false, "", ""}));

TEST(XmlText, WritesHrefsRelativeAndEscaped) {
    EXPECT_EQ("b.htm", litgen::RelativeHref("a.htm", "b.htm"));
    EXPECT_EQ("../pics/a%20b.png", litgen::RelativeHref("text/page.htm", "pics/a b.png"));
    EXPECT_EQ("c.htm", litgen::RelativeHref("text/page.htm", "text/c.htm"));
    EXPECT_EQ("../../x%23y%25.htm", litgen::RelativeHref("a/b/c.htm", "x#y%.htm"));
    EXPECT_EQ("caf%C3%A9.htm", litgen::EncodeHrefPath("caf\xC3\xA9.htm"));
}

TEST(XmlText, UndoesReferencesAndEscapesWhatXmlNeeds) {
    EXPECT_EQ("Tom \"Thumb\" & <Co> \xC3\xA9\xC2\xA9 &nosuch; AT&T &#0;",
              litgen::DecodeCharacterReferences("Tom &quot;Thumb&quot; &amp; &lt;Co&gt; &eacute;&#169; &nosuch; AT&T &#0;"));
    size_t replaced = 0;
    EXPECT_EQ("a&amp;b&lt;c&gt;\xEF\xBF\xBD", litgen::EscapeXmlText("a&b<c>\x0B", &replaced));
    EXPECT_EQ(1u, replaced);
    EXPECT_EQ("&quot;x&quot;&#9;&#10;", litgen::EscapeXmlAttribute("\"x\"\t\n"));
    EXPECT_EQ("a b c", litgen::CollapseWhiteSpace("  a \n\t b   c \r\n"));
}

TEST(XmlText, KnowsLanguageTagsAndIds) {
    for (const char* tag : {"en", "en-GB", "zh-Hant-TW", "und", "de-CH-1901"})
        EXPECT_TRUE(litgen::IsLanguageTag(tag)) << tag;
    for (const char* tag : {"", "english language", "en_GB", "1en", "en-", "toolongtag", "fr--ca"})
        EXPECT_FALSE(litgen::IsLanguageTag(tag)) << tag;
    for (const char* id : {"a", "TallbrookGUID", "item-1", "_x.y"})
        EXPECT_TRUE(litgen::IsXmlId(id)) << id;
    for (const char* id : {"", "2two", "a b", "a:b", "-x"})
        EXPECT_FALSE(litgen::IsXmlId(id)) << id;
}

}  // namespace
