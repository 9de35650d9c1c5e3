#pragma once

// The entries of a built e-book (a ZIP archive of the package file and its items).

#include <map>
#include <string>

namespace leaf::test {

// Entry name -> bytes; an empty map when the file is missing or is no consistent archive.
std::map<std::string, std::string> UnpackEBook(const std::string& path);

}  // namespace leaf::test
