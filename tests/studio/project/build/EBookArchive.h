#pragma once

// The entries of a built e-book (a ZIP archive of the package file and its items).

#include <map>
#include <string>

namespace buildtest {

// Entry name -> bytes; empty when the file is missing or no archive.
std::map<std::string, std::string> UnpackEBook(const std::string& path);

}  // namespace buildtest
