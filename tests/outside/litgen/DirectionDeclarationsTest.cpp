// Style declarations EPUB does not allow: bare font sizes get their unit, directions go,
// and nothing else in the text moves.
#include <gtest/gtest.h>

#include <string>

#include "outside/litgen/DirectionDeclarations.h"

namespace {

struct FontSizeCase {
    const char* name;
    const char* css;
    const char* written;
    size_t given;
};

class FontSizeUnits : public ::testing::TestWithParam<FontSizeCase> {};

TEST_P(FontSizeUnits, BareSizesGetPixels) {
    std::string css = GetParam().css;
    EXPECT_EQ(GetParam().given, litgen::GiveFontSizesTheirUnit(css));
    EXPECT_EQ(GetParam().written, css);
}

INSTANTIATE_TEST_SUITE_P(
    DirectionDeclarations, FontSizeUnits,
    ::testing::Values(
        FontSizeCase{"Rule", ".a { font-size: 16 }", ".a { font-size: 16px }", 1},
        FontSizeCase{"SeveralRulesAndCase", "p{FONT-SIZE:12;color:red}h1{font-size: 10.5 ;}",
                     "p{FONT-SIZE:12px;color:red}h1{font-size: 10.5px ;}", 2},
        FontSizeCase{"Important", "p { font-size: 9 !important }", "p { font-size: 9px !important }", 1},
        FontSizeCase{"Attribute", "font-size:11; margin: 0", "font-size:11px; margin: 0", 1},
        FontSizeCase{"UnitsKeywordsAndZeroStay", "a{font-size:12pt}b{font-size:small}c{font-size:0}d{font-size:0.0}",
                     "a{font-size:12pt}b{font-size:small}c{font-size:0}d{font-size:0.0}", 0},
        FontSizeCase{"MoreThanANumberStays", "a{font-size:12 14}b{font-size:calc(12)}", "a{font-size:12 14}b{font-size:calc(12)}", 0},
        FontSizeCase{"StringsCommentsAndSelectorsAreNoDeclarations",
                     "a[title=\"font-size: 12\"] { content: 'font-size: 3' } /* font-size: 4 */ font-size:hover {}",
                     "a[title=\"font-size: 12\"] { content: 'font-size: 3' } /* font-size: 4 */ font-size:hover {}", 0},
        FontSizeCase{"OtherPropertiesStay", "p { line-height: 12; x-font-size: 12 }", "p { line-height: 12; x-font-size: 12 }", 0}),
    [](const ::testing::TestParamInfo<FontSizeCase>& info) { return std::string(info.param.name); });

// The walk that finds the sizes is the one that takes directions out: both edits on one
// text leave every other declaration where it stood.
TEST(DirectionDeclarations, DirectionsGoAndSizesGetUnitsInOneText) {
    std::string css = "p { direction: rtl; font-size: 14; color: red }\nq { unicode-bidi: embed }";
    const litgen::DirectionDeclarations removed = litgen::RemoveDirectionDeclarations(css);
    EXPECT_EQ(2u, removed.removed);
    EXPECT_EQ(1u, removed.rightToLeft);
    EXPECT_EQ(1u, litgen::GiveFontSizesTheirUnit(css));
    EXPECT_EQ("p { font-size: 14px; color: red }\nq { }", css);
}

}  // namespace
