#pragma once

// The converter writes UTF-8 whatever the source was (UTF-16 is read as UTF-8 by the
// scanner, and 8-bit bytes that are no UTF-8 are written as the Windows-1252 characters
// they stand for), so a character set that a tag declares is made to say UTF-8: a reader
// that trusts the declaration then reads the bytes that were written.

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"

namespace leaf::html {

// The character set written into declarations.
inline constexpr std::string_view kOutputCharset = "UTF-8";

// Rewrites the declaration a tag carries, if any, to name UTF-8: a meta tag's "charset="
// item, the charset parameter of the "content=" item of a meta tag with
// http-equiv=Content-Type, and the "encoding=" item of an XML declaration (tag "?xml").
// A declaration that already names UTF-8 stays as written. `tagName` is lower-case.
void DeclareOutputCharset(std::string_view tagName, std::vector<CString>& items);

// The bytes as valid UTF-8: valid sequences stay, every other byte becomes the UTF-8 form
// of the Windows-1252 character it stands for. Text that is valid already is returned as
// it is.
std::string AsValidUtf8(std::string&& bytes);

}  // namespace leaf::html
