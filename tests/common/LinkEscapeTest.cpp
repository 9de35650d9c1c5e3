// Escaping the path of a link: which bytes become "%XX" and which stay; links with a
// URL scheme told from paths.

#include "common/LinkEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EscapeCase {
    const char* name;
    std::string path;
    std::string escaped;
};

class LinkEscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(LinkEscapeTest, EscapesOnlyTheBytesALinkCannotHold) {
    EXPECT_EQ(leaf::EscapeLinkPath(GetParam().path), GetParam().escaped);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LinkEscapeTest,
    ::testing::Values(
        EscapeCase{"PlainPathStays", "Doc_files/image001.png", "Doc_files/image001.png"},
        EscapeCase{"SpaceAndControlBytes", "My Doc\t\x01.htm", "My%20Doc%09%01.htm"},
        EscapeCase{"QuotesAndAngleBrackets", "a\"b'c<d>e", "a%22b%27c%3Cd%3Ee"},
        EscapeCase{"FragmentQueryAndPercent", "a#b?c%d", "a%23b%3Fc%25d"},
        EscapeCase{"DeleteAndUtf8BytesInUpperCaseHex", "caf\xC3\xA9\x7F", "caf%C3%A9%7F"},
        EscapeCase{"OtherPunctuationStays", "a/b-c_d.e~f+g&h=i;j,k(l)m!n@o", "a/b-c_d.e~f+g&h=i;j,k(l)m!n@o"},
        EscapeCase{"ColonOfTheFirstSegmentOfARelativePath", "c:x.html", "c%3Ax.html"},
        EscapeCase{"ColonsAfterTheFirstSegmentStay", "a:b/c:d/e:f", "a%3Ab/c:d/e:f"},
        EscapeCase{"ColonsOfAnAbsolutePathStay", "/c:x/y:z.html", "/c:x/y:z.html"},
        EscapeCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

TEST(EscapeAttributeText, WritesWhatADoubleQuotedValueCannotHoldAsReferences) {
    EXPECT_EQ("n&amp;m.htm?a=&quot;1&quot;&lt;&gt;'", leaf::EscapeAttributeText("n&m.htm?a=\"1\"<>'"));
    EXPECT_EQ("&amp;amp;", leaf::EscapeAttributeText("&amp;"));
}

// A link back as the path it names, and that path as a link again: the path part decoded
// or escaped, the fragment as written; web addresses and fragments alone stay.
TEST(LinkToPath, ReadsTheEscapesOfThePathAndKeepsTheFragment) {
    const struct {
        const char* link;
        const char* path;
        const char* linkAgain;
    } cases[] = {
        {"t%3Fwo.txt#x", "t?wo.txt#x", "t%3Fwo.txt#x"},
        {"hash%231.txt#top", "hash#1.txt#top", "hash%231.txt#top"},
        {"a%20b/c.html", "a b/c.html", "a%20b/c.html"},
        {"c%3Ax.html", "./c:x.html", "./c:x.html"},
        {"http://example.com/a%20b", "http://example.com/a%20b", "http://example.com/a%20b"},
        {"#top", "#top", "#top"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.path, leaf::LinkToPath(c.link)) << c.link;
        EXPECT_EQ(c.linkAgain, leaf::PathToLink(c.path)) << c.path;
    }
    EXPECT_EQ("con%23tents.html", leaf::PathToLink("con#tents.html"));
}

TEST(HasUrlScheme, ALetterThenSchemeCharactersThenAColon) {
    for (const char* link : {"http://example.com/", "mailto:a@b", "file:///art/a.gif", "c:x.html", "x-y+z.1:rest"})
        EXPECT_TRUE(leaf::HasUrlScheme(link)) << link;
    for (const char* link : {"", ":x", "1c:x.html", "./c:x.html", "c%3Ax.html", "a b:c", "pics/a.gif", "#top:x"})
        EXPECT_FALSE(leaf::HasUrlScheme(link)) << link;
}

}  // namespace
