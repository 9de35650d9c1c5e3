#pragma once

// The names of the e-book's items inside its container. OCF forbids some characters in
// them (quotation mark, '*', ':', '<', '>', '?', '\', '|', control characters, private-use
// and non-characters) and a name ending in '.'; a '#' cuts every link to the item at
// itself. An item whose href holds any of these is written under a safe name instead,
// and every reference to it is written to that name.

#include <string>
#include <string_view>

namespace litgen {

// Whether a publication path ('/' separated) may stand in the container as it is.
bool IsSafeArchiveName(std::string_view path);

// The path with every such character replaced by '_' ("Notes?.htm" is "Notes_.htm"),
// and the dots that end a folder or file name taken off ("tile.gif." is "tile.gif").
// Valid UTF-8 in, valid UTF-8 out.
std::string SafeArchiveName(std::string_view path);

// The name with "-N" before its extension ("a.htm", 2: "a-2.htm"), for a name that is taken.
std::string NumberedName(std::string_view path, int number);

}  // namespace litgen
