#pragma once

// What the desktop knows about its applications: the default application of a file type
// (as xdg-mime reports it), the desktop entry that describes it, and the command that
// entry starts.

#include <string>
#include <vector>

namespace reader {

inline constexpr const char* kEpubMediaType = "application/epub+zip";

// The desktop file id ("viewer.desktop") of the desktop's default application for the
// media type; "" when there is none or xdg-mime is not installed.
std::string DefaultApplicationFor(const std::string& mediaType);

// The desktop entry file of a desktop file id, looked up in the "applications" folder of
// XDG_DATA_HOME (default ~/.local/share) and then of each XDG_DATA_DIRS folder (default
// /usr/local/share:/usr/share); each '-' of the id may also stand for a sub-folder
// ("vendor-viewer.desktop" as "vendor/viewer.desktop"). "" when none is found.
std::string FindDesktopEntry(const std::string& desktopId);

// The command of a desktop entry's "Exec" key (in its [Desktop Entry] group), split into
// arguments by the entry format's quoting rules, with the field codes for files and
// URLs and the other field codes left out (no file is given) and "%%" read as "%".
// Empty when the file cannot be read or names no command.
std::vector<std::string> ReadLaunchCommand(const std::string& entryPath);

// The same for the text of a desktop entry.
std::vector<std::string> LaunchCommandFromEntry(const std::string& entryText);

// One "Exec" value (its string escapes already undone) split into the command's
// arguments, with the field codes left out.
std::vector<std::string> SplitExecValue(const std::string& value);

}  // namespace reader
