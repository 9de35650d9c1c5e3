#pragma once

// Registering a file type with the desktop, as the registry's class keys register it for
// the program: a shared-mime-info package that names the type and its file pattern, and a
// desktop entry that opens files of the type with the program. Both go to the user's data
// folder ($XDG_DATA_HOME, else ~/.local/share): "mime/packages/<package>.xml" and
// "applications/<entry>.desktop". A file is written only when no identical copy is there
// (in the user's folder, or in a folder of $XDG_DATA_DIRS when the user has none of
// their own), so a start-up that changes nothing writes nothing; after a write the
// desktop's caches are brought up to date with update-mime-database and
// update-desktop-database where they are installed.

#include <string>
#include <string_view>

namespace leaf::ui {

struct DesktopFileType {
    std::string mimePackage;   // file name without ".xml", e.g. "leafcraft"
    std::string mimeInfo;      // the package's XML text
    std::string desktopEntry;  // file name without ".desktop", e.g. "leafstudio"
    std::string entryText;     // the entry's text
};

struct DesktopRegistration {
    bool succeeded = false;     // both files are in place (written now or already there)
    bool wroteMimeInfo = false;
    bool wroteEntry = false;
};

// $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share (the password
// database's home when HOME is unset); empty when there is no absolute home folder.
std::string DesktopDataHome();

DesktopRegistration RegisterDesktopFileType(const DesktopFileType& type);

// Takes a registration back: the user's desktop entry goes when it holds the text `type`
// gives (so one that opens the type with another program stays), the MIME package with it
// when it holds the package's text; then the desktop's caches are brought up to date. False
// when a file of the registration could not be removed.
bool UnregisterDesktopFileType(const DesktopFileType& type);

// One argument of a desktop entry's Exec key, as the entry's text holds it: as it is when
// it holds only characters that need no quoting, else in double quotes with '"', '`',
// '$' and '\' escaped; then '%' doubled and every '\' doubled again for the string value.
std::string QuoteDesktopExecArgument(std::string_view argument);

}  // namespace leaf::ui
