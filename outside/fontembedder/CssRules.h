#pragma once

// A small reader of style sheet text, enough to learn which font families a sheet names
// and with which weight and style: rules with their selectors and declarations,
// @font-face rules, and the rules inside @media blocks. Other at-rules are skipped.
// It never fails: text it cannot make sense of is passed over.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Types.h"

namespace fontembed {

struct CssDeclaration {
    std::string name;   // lower-cased
    std::string value;  // trimmed, without "!important"
};

struct CssRule {
    std::vector<std::string> selectors;  // the comma-separated selectors, trimmed
    std::vector<CssDeclaration> declarations;
    bool fontFace = false;  // an @font-face rule (no selectors)
};

// What a set of declarations says about fonts; a member left empty was not declared.
struct FontSpec {
    std::optional<std::vector<std::string>> families;
    std::optional<LONG> weight;  // 400 or 700
    std::optional<bool> italic;
};

inline constexpr LONG kWeightNormal = 400;
inline constexpr LONG kWeightBold = 700;

std::vector<CssRule> ParseCssRules(std::string_view css);
// The declarations of a style attribute or a rule's block ("a: b; c: d").
std::vector<CssDeclaration> ParseCssDeclarations(std::string_view text);
// The family names of a font-family value, unquoted, in order; CSS-wide keywords and
// empty entries are dropped.
std::vector<std::string> ParseFontFamilyList(std::string_view value);
// font-family, font-weight, font-style and the font shorthand.
FontSpec FontSpecFromDeclarations(const std::vector<CssDeclaration>& declarations);
// The weight a font-weight value stands for: 700 for bold, bolder and 600 to 900, else 400.
LONG ParseFontWeight(std::string_view value);

// ASCII lower case.
std::string ToLowerAscii(std::string_view text);
std::string_view TrimCss(std::string_view text);

}  // namespace fontembed
