// The text rules of the converter on their own: colours, style declarations and rules.

#include <gtest/gtest.h>

#include <string>

#include "filters/html/converter/AttributeRewriter.h"
#include "filters/html/converter/ColorValue.h"
#include "filters/html/converter/StyleRewriter.h"

namespace {

using namespace leaf::html;

struct TextCase {
    const char* input;
    const char* expected;
};

class ColorValueTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ColorValueTest, Normalises) {
    std::string value = GetParam().input;
    const bool changed = NormalizeColorValue(value);
    EXPECT_EQ(value, GetParam().expected);
    EXPECT_EQ(changed, value != GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(Values, ColorValueTest,
                         ::testing::Values(TextCase{"ffcc00", "#FFCC00"}, TextCase{"#ffcc00", "#ffcc00"},
                                           TextCase{"#FFF", "#FFFFFF"}, TextCase{"abc", "#AABBCC"},
                                           TextCase{"#fFf", "#FFFFFF"}, TextCase{"red", "red"}, TextCase{"", ""},
                                           TextCase{"#", "#"}, TextCase{"#12345", "#12345"},
                                           TextCase{"1234567", "1234567"}, TextCase{"ff#cc00", "ff#cc00"}));

class ColorPropertyTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ColorPropertyTest, Rewrites) { EXPECT_EQ(NormalizeColorProperties(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Texts, ColorPropertyTest,
    ::testing::Values(TextCase{"color:ff0000", "color:#FF0000"},
                      TextCase{"p { color : fff; background-color: #abc }", "p { color : #FFFFFF; background-color: #AABBCC }"},
                      TextCase{"border-color:red;color:black", "border-color:red;color:black"},
                      TextCase{"colorful:fff", "colorful:fff"}, TextCase{"color fff", "color fff"},
                      TextCase{"COLOR:fff", "COLOR:fff"}, TextCase{"color:", "color:"}, TextCase{"x color", "x color"}));

class StyleAttributeTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(StyleAttributeTest, Rewrites) {
    std::string value = GetParam().input;
    AttributeRewriteContext context;
    EXPECT_TRUE(RewriteStyleAttribute(value, context));
    EXPECT_EQ(value, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StyleAttributeTest,
    ::testing::Values(TextCase{"color:ff0000;background:blue;", "color:#FF0000;background-color:blue"},
                      TextCase{"background:#ff0000", "background-color:#ff0000"},
                      TextCase{"BACKGROUND: red", "background-color: red"},
                      TextCase{"background: url(p.gif)", "background: url(p.gif)"},
                      TextCase{"background: 50", "background: 50"},
                      TextCase{"background: white top", "background: white top"},
                      TextCase{"background: 50%", "background: 50%"}, TextCase{"margin:0", "margin:0"}));

TEST(TablePageBreakTest, RemovesPageBreakDeclarations) {
    struct Case {
        const char* input;
        const char* expected;
        bool changed;
    } cases[] = {
        {"page-break-before:always;color:red", "color:red", true},
        // Found without regard to case; what stays keeps its case, so a url still names
        // its picture.
        {"COLOR:Red;mso-page-break-after: always", "COLOR:Red;", true},
        {"background:url(Pics/A.gif);Page-Break-Before:Always;Font-Family:'Book Face'",
         "background:url(Pics/A.gif);Font-Family:'Book Face'", true},
        {"page-break-before: \"always\" ;x:y", "x:y", true},
        {"page-break-after:'x", "page-break-after:'x", false},  // an unterminated quote keeps it
        {"a:b;page-break-before:auto}rest", "a:b;}rest", true},
        {"color:red", "color:red", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        std::string value = c.input;
        EXPECT_EQ(RemoveTablePageBreaks(value), c.changed);
        EXPECT_EQ(value, c.expected);
    }
}

class OfficeDeclarationTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(OfficeDeclarationTest, Rewrites) { EXPECT_EQ(RewriteOfficeDeclarations(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Texts, OfficeDeclarationTest,
    ::testing::Values(TextCase{"page: Section2", "page-break-before:always;"},
                      TextCase{"mso-pagination:none;color:red", "color:red"},
                      TextCase{" tab-stops:.5in; margin:0in; MSO-X:1;", " margin:0in;"},
                      TextCase{"color:red}", "color:red"}, TextCase{"color:red; trailing", "color:red;"},
                      TextCase{"mso-a:1;mso-b:2", ""}, TextCase{"", ""}));

TEST(OfficeStyleTextTest, DropsPageRulesAndOfficeOnlyRules) {
    const std::string input =
        "\n<!--\n /* Font Definitions */\n@page Section1\n\t{size:8.5in 11.0in;}\np.MsoNormal\n\t{mso-style-parent:\"\";\n"
        "\tmargin:0in;}\nh1\n\t{color:red;}\nspan.x\n\t{mso-ansi-language:EN-US;}\n-->\n";
    EXPECT_EQ(RewriteOfficeStyleText(input),
              "\n<!--\n /* Font Definitions */\n\np.MsoNormal\n\t{margin:0in;}\nh1\n\t{color:red;}\n-->\n");
    EXPECT_EQ(RewriteOfficeStyleText("no rules at all"), "no rules at all");
}

TEST(NumericClassSelectorTest, PrefixesOnlySelectors) {
    EXPECT_EQ(PrefixNumericClassSelectors(".3col {margin:1.5em} p.2x, .a1 {x:y} .9"),
              ".LCSDK-3col {margin:1.5em} p.LCSDK-2x, .a1 {x:y} .9");
}

TEST(AttributeRewriteTest, NamesCompareWithoutRegardToCase) {
    std::vector<CString> items = {"STYLE=color:fff;", "Class=1a", "ID=2", "HREF=a.htm#3", "Bgcolor=abc", "o:x=1"};
    AttributeRewriteContext context;
    context.forceOeb = true;
    RewriteAttributes(items, context);
    EXPECT_EQ(items, (std::vector<CString>{"STYLE=color:#FFFFFF", "Class=LCSDK-1a", "ID=_LCOEB_2",
                                           "HREF=a.htm#_LCOEB_3", "Bgcolor=#AABBCC", "o:x=1"}));

    context.office = true;
    items = {"o:x=1", "style=mso-a:1", "style=page:x"};
    RewriteAttributes(items, context);
    EXPECT_EQ(items, (std::vector<CString>{"style=page-break-before:always"}));
}

}  // namespace
