#pragma once

// The name under which the desktop is given an e-book. Desktops choose the application
// for a file by its extension first, so an EPUB publication saved under another name
// (the authoring program proposes ".lit") is handed over through a link named ".epub".

#include <string>

namespace reader {

// The file is a ZIP archive whose "mimetype" entry holds "application/epub+zip".
bool HoldsEpub(const std::string& path);

// The path to open for the e-book at `absolutePath`: the path itself when its name ends
// in ".epub" (in any letter case) or it holds no EPUB publication; else a symbolic link
// to it, "<name without extension>.epub", in a folder of its own (one per e-book path)
// inside "leafreader-<user id>" in the temporary folder, which only this user may enter.
// When that folder is not this user's own, or the link cannot be made, the path itself.
std::string DesktopNameFor(const std::string& absolutePath);

}  // namespace reader
