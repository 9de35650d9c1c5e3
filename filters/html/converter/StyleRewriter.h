#pragma once

// Rewriting of style text: the declarations of style attributes and the rules of style
// elements. Every function runs in time linear in its text, so a style sheet of one long
// line costs no more than many short ones.

#include <string>
#include <string_view>

namespace leaf::html {

// "background: red" becomes "background-color: red" when the value of the first
// "background:" declaration (letter case ignored) is a colour: a '#' and six characters,
// or text without '.', '%' or a background keyword that is not all digits. Images,
// positions and repeat settings stay. True when the text was changed.
bool ApplyBackgroundRule(std::string& style);

// Inside a table, page breaks cannot be honoured: removes every "page-break-before:" and
// "page-break-after:" declaration, found without regard to case (with a prefix such as
// "mso-"); the rest of the value stays as written. True when something was removed.
bool RemoveTablePageBreaks(std::string& style);

// Declarations of an Office word processor's style text: "page: x" becomes
// "page-break-before:always;", "mso-..." and the word processor's own properties are
// dropped, everything else is kept as written. Returns the kept declarations joined.
std::string RewriteOfficeDeclarations(std::string_view declarations);

// The same for the text of a style element: "@" rules are dropped, every other rule has
// its body rewritten as above (a rule left empty is dropped). Text before the first rule
// and after the last one stays.
std::string RewriteOfficeStyleText(std::string_view text);

// Class selectors that start with a digit get the prefix the class attributes get:
// ".1abc {" becomes ".LCSDK-1abc {". Only the selector part of each rule is touched.
std::string PrefixNumericClassSelectors(std::string_view text);

// The prefix of class names that start with a digit.
inline constexpr std::string_view kNumericClassPrefix = "LCSDK-";

}  // namespace leaf::html
