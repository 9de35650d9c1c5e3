// The style sheet reader: rules, declarations, family lists and the font properties.

#include "outside/fontembedder/CssRules.h"

#include <cctype>
#include <gtest/gtest.h>

namespace fontembed {
namespace {

using Families = std::vector<std::string>;

struct FamilyCase {
    const char* value;
    Families expected;
};

// Cases are named after their text, with only letters and digits kept.
std::string CaseName(const char* text) {
    std::string name;
    for (const char* c = text; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}
void PrintTo(const FamilyCase& value, std::ostream* out) { *out << CaseName(value.value); }

class FontFamilyListTest : public testing::TestWithParam<FamilyCase> {};

TEST_P(FontFamilyListTest, ParsesNames) { EXPECT_EQ(ParseFontFamilyList(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Values, FontFamilyListTest,
    testing::Values(FamilyCase{"Arial", {"Arial"}}, FamilyCase{"  Gill   Sans  MT , serif", {"Gill Sans MT", "serif"}},
                    FamilyCase{"\"Book, Antiqua\", 'It\\'s', monospace", {"Book, Antiqua", "It's", "monospace"}},
                    FamilyCase{"inherit", {}}, FamilyCase{"\"inherit\"", {"inherit"}}, FamilyCase{" , ,", {}},
                    FamilyCase{"\"unclosed", {"unclosed"}}));

struct SpecCase {
    const char* declarations;
    std::optional<Families> families;
    std::optional<LONG> weight;
    std::optional<bool> italic;
};

void PrintTo(const SpecCase& value, std::ostream* out) { *out << CaseName(value.declarations); }

class FontSpecTest : public testing::TestWithParam<SpecCase> {};

TEST_P(FontSpecTest, ReadsFontProperties) {
    FontSpec fontSpec = FontSpecFromDeclarations(ParseCssDeclarations(GetParam().declarations));
    EXPECT_EQ(fontSpec.families, GetParam().families);
    EXPECT_EQ(fontSpec.weight, GetParam().weight);
    EXPECT_EQ(fontSpec.italic, GetParam().italic);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FontSpecTest,
    testing::Values(
        SpecCase{"FONT-FAMILY: A; font-weight: bold", Families{"A"}, 700, std::nullopt},
        SpecCase{"font-weight: 600 !important; font-style: oblique", std::nullopt, 700, true},
        SpecCase{"font-weight: 500; font-style: normal", std::nullopt, 400, false},
        SpecCase{"font: italic bold 12px/1.5 \"Fancy One\", serif", Families{"Fancy One", "serif"}, 700, true},
        SpecCase{"font: 10pt / 12pt Plain", Families{"Plain"}, 400, false},
        SpecCase{"font: 700 large Heavy", Families{"Heavy"}, 700, false},
        SpecCase{"font-weight: bold; font: 12px A", Families{"A"}, 400, false},  // the shorthand resets
        SpecCase{"font: caption", std::nullopt, std::nullopt, std::nullopt},
        SpecCase{"font: bold, 12px A", std::nullopt, std::nullopt, std::nullopt},
        SpecCase{"color: red; font-family: 'a;b'; x", Families{"a;b"}, std::nullopt, std::nullopt}));

TEST(CssRulesTest, ReadsRulesMediaBlocksAndFontFaces) {
    std::vector<CssRule> rules = ParseCssRules(
        "@charset \"utf-8\";\n"
        "/* p { font-family: Commented } */\n"
        "h1, p.note > em { font-family: \"Curly } Brace\"; }\n"
        "@media print { @media (min-width: 1px) { .deep { font-weight: bold } } }\n"
        "@font-face { font-family: Own; src: url(own.ttf) }\n"
        "@page { margin: 1cm }\n"
        "div { font-style: italic");  // not closed
    ASSERT_EQ(rules.size(), 4u);
    EXPECT_EQ(rules[0].selectors, (std::vector<std::string>{"h1", "p.note > em"}));
    ASSERT_EQ(rules[0].declarations.size(), 1u);
    EXPECT_EQ(rules[0].declarations[0].value, "\"Curly } Brace\"");
    EXPECT_EQ(rules[1].selectors, (std::vector<std::string>{".deep"}));
    EXPECT_TRUE(rules[2].fontFace);
    EXPECT_EQ(rules[2].declarations[1].name, "src");
    EXPECT_EQ(rules[3].selectors, (std::vector<std::string>{"div"}));
    EXPECT_EQ(rules[3].declarations[0].value, "italic");
}

TEST(CssRulesTest, SurvivesDeepNestingAndStrayBraces) {
    std::string css;
    for (int i = 0; i < 10000; ++i)
        css += "@media x {";
    css += "p { font-family: Deep }";
    EXPECT_NO_THROW(ParseCssRules(css));
    std::vector<CssRule> rules = ParseCssRules("}}} p { font-family: X } }");
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].selectors[0], "p");
}

}  // namespace
}  // namespace fontembed
