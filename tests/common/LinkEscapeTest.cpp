// Escaping the path of a link: which bytes become "%XX" and which stay.

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
        EscapeCase{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

}  // namespace
