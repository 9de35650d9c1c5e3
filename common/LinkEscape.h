#pragma once

// Escaping the path of a link written into a page.

#include <string>
#include <string_view>

namespace leaf {

// `path` with every byte that a link cannot hold as it is written "%XX" (upper-case
// hexadecimal): control bytes and the space, '"', '\'', '#', '%', '<', '>', '?', and
// every byte from 0x7F up (so UTF-8 names are escaped byte by byte). '/' and all other
// bytes stay.
std::string EscapeLinkPath(std::string_view path);

}  // namespace leaf
