#pragma once

// What kind of thing a path names, which file it is, and opening a file without
// blocking on what is not one.
//
// Sources, pictures and saved files are regular files. A FIFO, a socket or a device
// node under a file's name is refused before it is opened: opening a FIFO blocks until
// someone writes to it, and opening a device may act on the device. The refusal is the
// errno value kNotRegularFileError.

#include <sys/types.h>

#include <cerrno>
#include <optional>
#include <string>

namespace leaf {

enum class FileKind {
    Missing,  // nothing there (or the path cannot be examined)
    Regular,
    Folder,
    Special   // FIFO, socket, block or character device
};

// The errno value for a path that names something other than a regular file or folder
// where a file is expected.
inline constexpr int kNotRegularFileError = EPERM;

// The kind of what the path names, following symbolic links.
FileKind KindOfFile(const std::string& path);

// The kind of what opening the path would reach: the exact name, else its match without
// regard to case (as files are opened), following symbolic links.
FileKind KindOfFileFound(const std::string& path);

// Which file a path names: the device and inode of what it leads to.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what the path names, following symbolic links; nullopt when it does
// not exist.
std::optional<FileIdentity> IdentityOfFile(const std::string& path);

// True when both paths, looked up as files are opened (the exact name, else its
// case-insensitive match), lead to one existing file: hard links, symbolic links and
// other spellings of one file included. Two files whose names differ only in case are
// two files.
bool IsSameFile(const std::string& first, const std::string& second);

// open(2) for a file that must be a regular file: a path that names a FIFO, socket or
// device is refused (errno kNotRegularFileError) without being opened, a folder opened
// for reading is refused with EISDIR, and the descriptor is checked again after
// opening, which never blocks. -1 with errno set on failure. O_CLOEXEC is always added.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0666);

}  // namespace leaf
