#pragma once

// The files a style sheet names: the targets of its url(...) references. Both the
// control's own style-sheet filter and the HTML filter (for <style> elements and style
// attributes) report them as dependencies of the document that holds them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace leaf {

// The targets of every url(...) in style-sheet text (UTF-8), and of every "@import" of a
// quoted name, in order. The name "url" is
// matched without regard to case; the value may be quoted with ' or " and is trimmed of
// white space; a backslash escape (a character, or up to six hexadecimal digits and one
// optional white-space character) is undone. Comments and quoted strings outside url(...)
// are passed over, so a url( inside them names nothing. Empty targets and inline data
// ("data:") are left out, and so is the fragment of a target ("#..."). "%XX" escapes
// are kept: the caller decodes them as it does for other links.
std::vector<std::string> FindStyleSheetUrls(std::string_view text);

// One reference of a style sheet and where its value stands, so that it can be replaced.
struct StyleSheetUrl {
    size_t begin = 0;      // the value in the text, quotes included: [begin, end)
    size_t end = 0;
    std::string target;    // the file named, as FindStyleSheetUrls gives it
    std::string fragment;  // the "#..." that followed it, or empty
};

// The references of FindStyleSheetUrls with their places, in order.
std::vector<StyleSheetUrl> FindStyleSheetUrlSpans(std::string_view text);

// A value written as a double-quoted style-sheet string ('"' and '\' escaped), as a new
// reference is put in the place of an old one.
std::string QuotedStyleSheetString(std::string_view value);

}  // namespace leaf
