// Style rules written flat for the style-sheet parser of EPUB checkers: nested rules
// after their parents with their selectors combined, nested at-rules around their
// parents, and the rules that parser refuses left out and counted. Text without any of
// it comes out byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "outside/litgen/FlatStyleRules.h"

namespace {

struct Case {
    const char* name;
    const char* input;
    const char* written;
    size_t flattened;
    size_t leftOut;
};

class FlatStyleRulesCase : public ::testing::TestWithParam<Case> {};

TEST_P(FlatStyleRulesCase, WritesTheRulesFlat) {
    const Case& c = GetParam();
    std::string css = c.input;
    const litgen::FlatStyleRules result = litgen::FlattenStyleRules(css);
    EXPECT_EQ(c.written, css);
    EXPECT_EQ(c.flattened, result.flattened);
    EXPECT_EQ(c.leftOut, result.leftOut);
    // What was written flat holds nothing more to do.
    std::string again = css;
    const litgen::FlatStyleRules second = litgen::FlattenStyleRules(again);
    EXPECT_EQ(0u, second.flattened + second.leftOut) << again;
    EXPECT_EQ(css, again);
}

const Case kCases[] = {
    {"ANestedRuleFollowsItsParent", "a { color: red; b { margin: 0 } }\np { x: y }",
     "a { color: red; }\na b { margin: 0 }\n\np { x: y }", 1, 0},
    {"DeclarationsAfterANestedRuleStayAfterIt", "a { color: red; & > b { x: y } color: blue; }",
     "a { color: red; }\na > b { x: y }\na { color: blue; }\n", 1, 0},
    {"ListsCombineParentByParent", "a, b { c, d { color: red } }", "a c, a d, b c, b d { color: red }\n", 1, 0},
    {"AmpersandStandsForTheParentWhereItAppears", ".x { &.y, .z &, & + &, > i { c: d } }",
     ".x.y, .z .x, .x + .x, .x > i { c: d }\n", 1, 0},
    {"EveryDepthCombinesWithAllAbove", "a { b { c { d { e: f } } g: h } }",
     "a b c d { e: f }\na b { g: h }\n", 3, 0},
    {"AnAtRuleInARuleHoldsTheParent", "a { @media print { color: red; b { c: d } } e: f }",
     "@media print {\na { color: red; }\na b { c: d }\n}\na { e: f }\n", 2, 0},
    {"RulesInsideGroupRulesAreWrittenFlatThere", "@media screen { @supports (x: y) { a { b { c: d } } } }",
     "@media screen { @supports (x: y) { a b { c: d }\n } }", 1, 0},
    {"BracesInStringsCommentsUrlsAndEscapesAreNoStructure",
     "[title=\"{\"] { content: \"}{\"; /* } { */ background: url(x{y}.png); i\\{ { c: d } }",
     "[title=\"{\"] { content: \"}{\"; /* } { */ background: url(x{y}.png); }\n[title=\"{\"] i\\{ { c: d }\n", 1, 0},
    {"ACustomPropertyHoldingABlockIsADeclaration", "a { --x: { y: z }; b { c: d } }",
     "a { --x: { y: z }; }\na b { c: d }\n", 1, 0},
    {"CommentsBetweenNestedRulesStay", ":not(.dark) {\n  a { b: c }\n  /* theme } */\n  d { e: f }\n}\n",
     ":not(.dark) a { b: c }\n/* theme } */\n:not(.dark) d { e: f }\n\n", 2, 0},
    {"AnUnclosedNestedRuleEndsWithTheSheet", "a { b { c: d", "a b { c: d}\n", 1, 0},
    // What the parsers refuse and nothing can rewrite.
    {"ARelativeSelectorInHasIsLeftOut", "#c:has(> .s) a { margin: 0 }\np { color: red }", "\np { color: red }", 0, 1},
    {"RulesNestedInARefusedRuleGoWithIt", "a:has(> b) { c: d; e { f: g } }\n", "\n", 1, 2},
    {"EveryRefusedSelectorIsLeftOut",
     "[href$=\".pdf\" i] { a: b }\n:is(.a, .b) { a: b }\n:not(a.b) { a: b }\n:where(p, q) { a: b }\n"
     "a || b { a: b }\n& b { a: b }\nli:nth-child(2 of .x) { a: b }\n:has(+ .x) { a: b }\n",
     "\n\n\n\n\n\n\n\n", 0, 8},
    // A '}' or ';' too many, or a selector of nothing, is refused as well: the rule it
    // runs into goes, as in browsers.
    {"StrayBracesSemicolonsAndEmptySelectorsAreLeftOut",
     "p { a: b } }\nq { a: b }\n;r { a: b }\ns, , t { a: b }\n{ a: b }\nu { , v { a: b } }",
     "p { a: b } \n\n\n\n", 1, 5},
    // A string the line ends makes the selector it stands in unreadable: put before or
    // after another selector, it would take in that one's text.
    {"AStringTheLineEndsIsNeverCombined", "\"\n{\"{\n{x}", "", 1, 1},
    {"AtRulesThatCannotStandInARuleAreLeftOut", "a { @font-face { x: y } @include m; b: c }", "a { b: c }\n", 0, 2},
    // Nothing to do: the text comes out as it went in.
    {"ASheetWithoutNestingIsKeptByteForByte",
     "@charset \"utf-8\";\n@import url(\"a.css\") screen;\n<!-- p{x:y} -->\n:root { --gap: 1px }\n"
     "@media (min-width: 600px) { a:not(.x) > b ~ c + d::before { content: \"{\" } }\n"
     "@font-face { font-family: F; src: url(f.woff) }\n@keyframes k { from { top: 0 } 50% { top: 1px } }\n"
     "li:nth-child(2n + 1), [x|=\"a\"], *|p, p:has(b), :lang(en) { margin: 0 !important }\n"
     "/* a { b { } } */ .\\{ { background: url(a{b.png) }\nq { color: red",
     nullptr, 0, 0},
    {"DeclarationsOfAStyleAttributeAreKept", "color: red; background: url(x.png)", nullptr, 0, 0},
};

std::vector<Case> WithUnchangedText() {
    std::vector<Case> cases(std::begin(kCases), std::end(kCases));
    for (Case& c : cases)
        if (c.written == nullptr)
            c.written = c.input;
    return cases;
}

INSTANTIATE_TEST_SUITE_P(StyleSheets, FlatStyleRulesCase, ::testing::ValuesIn(WithUnchangedText()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Combining lists multiplies them, and nesting has no end: a rule whose selectors grow
// past reason, or nested past reason, is left out rather than written at any size.
TEST(FlatStyleRules, RulesThatWouldGrowPastReasonAreLeftOut) {
    std::string parents, nested;
    for (int i = 0; i < 300; ++i) {
        parents += (i ? ", .parent" : ".parent") + std::to_string(i);
        nested += (i ? ", .nested" : ".nested") + std::to_string(i);
    }
    std::string css = parents + " { color: red; " + nested + " { margin: 0 } }";
    litgen::FlatStyleRules result = litgen::FlattenStyleRules(css);
    EXPECT_EQ(1u, result.leftOut);
    EXPECT_EQ(parents + " { color: red; }\n", css);

    std::string deep;
    for (int depth = 0; depth < 100; ++depth)
        deep += "a { x: 1; ";
    deep += std::string(100, '}');
    result = litgen::FlattenStyleRules(deep);
    EXPECT_EQ(32u, result.flattened);
    EXPECT_EQ(1u, result.leftOut);
    size_t rules = 0;
    for (char ch : deep)
        rules += ch == '{' ? 1 : 0;
    EXPECT_EQ(33u, rules) << deep;  // the parent and its 32 nested rules, written flat
}

}  // namespace
