#pragma once

// Attribute text and path helpers shared by both scanner builds (they are published as
// CMarkupParser::SplitAttributes / FoldPath and CMarkupParserW::SplitAttributes /
// FoldPath).

#include <string>
#include <string_view>
#include <vector>

namespace leaf::markup {

// Cuts a tag's attribute text into tokens "name=value" (quotes removed) and bare "name".
// White space outside quotes separates tokens; a double quote inside single quotes (and
// the reverse) is an ordinary character; a quote right after a '\' inside a quoted value
// is kept as a character (the '\' dropped), except in an href value, whose trailing '\' is
// kept. Tokens are then joined across '=': `b = '2'` gives "b=2", and a value ending with
// '=' takes the next token (`x="a=" y=1` gives "x=a=y=1"). An empty quoted value gives
// "name=". Runs in time linear in the text.
template <typename Ch>
void SplitAttributes(std::basic_string_view<Ch> text, std::vector<std::basic_string<Ch>>& out);

// Normalises a path in place: every '\' becomes '/'; then, from the left, "x/../" drops
// the folder x (folding stops, leaving the rest as it is, when x is the path's first
// component); then every "/./" becomes "/". So "C:/a/b/../c/./d.htm" gives "C:/a/c/d.htm",
// while "../x" and "a/../b" stay.
template <typename Ch>
void FoldPath(std::basic_string<Ch>& path);

extern template void SplitAttributes<char>(std::string_view, std::vector<std::string>&);
extern template void SplitAttributes<char16_t>(std::u16string_view, std::vector<std::u16string>&);
extern template void FoldPath<char>(std::string&);
extern template void FoldPath<char16_t>(std::u16string&);

}  // namespace leaf::markup
