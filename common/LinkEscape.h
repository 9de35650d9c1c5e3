#pragma once

// Links written into pages and packages: escaping a path so that a reader of the link
// finds the file it names, reading a link back as a path, and telling a link with a URL
// scheme from a path.

#include <string>
#include <string_view>

namespace leaf {

// `path` with every byte that a link cannot hold as it is written "%XX" (upper-case
// hexadecimal): control bytes and the space, '"', '\'', '#', '%', '<', '>', '?', and
// every byte from 0x7F up (so UTF-8 names are escaped byte by byte). A ':' before the
// first '/' of a relative path is escaped too, so that "c:x.html" is not read as a link
// of the scheme "c:". '/' and all other bytes stay.
std::string EscapeLinkPath(std::string_view path);

// A link as the path it names: its path part with the "%XX" escapes decoded, its
// fragment kept as written ("t%3Fwo.txt#x" gives "t?wo.txt#x"; the fragment is split off
// as SplitFragment does). A path that would read as a link with a URL scheme is written
// from its folder ("c%3Ax.html" gives "./c:x.html"). A link with a URL scheme, or of a
// fragment only, stays as it is.
std::string LinkToPath(std::string_view link);
// The reverse: a path (with a fragment or not) as a link, its path part escaped
// (EscapeLinkPath).
std::string PathToLink(std::string_view path);

// Text (a link, or any value) as a double-quoted attribute value of a page holds it: '&',
// '"', '<' and '>' written as references.
std::string EscapeAttributeText(std::string_view text);

// Whether a link starts with a URL scheme ("http:", "mailto:", "file:"): a letter, then
// letters, digits, '+', '-' or '.', then ':'.
bool HasUrlScheme(std::string_view link);

}  // namespace leaf
