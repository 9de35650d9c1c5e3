#pragma once

// The Recycle Bin: a file the program replaces goes to the user's trash, the desktop's
// "Trash" folder in the user's data folder ($XDG_DATA_HOME, else ~/.local/share), with its
// files/ and info/ folders, where a file manager shows it and can put it back. A file is
// moved there only by renaming (same volume); where that cannot be, nothing moves and the
// caller falls back to deleting.

#include <string>

#include "platform/base/Types.h"

namespace leaf::ui {

// Moves the file or folder into the trash. FALSE (nothing changed) when the path does not
// exist, there is no trash folder to be had, or the trash lies on another volume.
BOOL MoveToRecycleBin(const char* path);

// The user's trash folder.
std::string RecycleBinFolder();

}  // namespace leaf::ui
