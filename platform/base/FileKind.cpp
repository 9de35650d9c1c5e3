#include "platform/base/FileKind.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/Path.h"

namespace leaf {

namespace {

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    return FileKind::Special;
}

}  // namespace

FileKind KindOfFile(const std::string& path) {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return FileKind::Missing;
    return KindOfMode(info.st_mode);
}

FileKind KindOfFileFound(const std::string& path) {
    const FileKind kind = KindOfFile(path);
    if (kind != FileKind::Missing)
        return kind;
    const std::optional<std::string> found = path::Resolve(path);
    return found ? KindOfFile(*found) : FileKind::Missing;
}

std::optional<FileIdentity> IdentityOfFile(const std::string& path) {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool IsSameFile(const std::string& first, const std::string& second) {
    const std::optional<std::string> firstFound = path::Resolve(first);
    const std::optional<std::string> secondFound = path::Resolve(second);
    if (!firstFound || !secondFound)
        return false;
    const std::optional<FileIdentity> a = IdentityOfFile(*firstFound);
    return a && a == IdentityOfFile(*secondFound);
}

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    // Looking first keeps a device or FIFO from ever being opened; the check on the
    // descriptor catches one put there in between, and O_NONBLOCK keeps that open from
    // waiting for a writer.
    if (KindOfFile(path) == FileKind::Special) {
        errno = kNotRegularFileError;
        return -1;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat info;
    int error = 0;
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;  // opening a folder read-only succeeds on POSIX, but it is no file
    else if (!S_ISREG(info.st_mode))
        error = kNotRegularFileError;
    else if ((flags & O_NONBLOCK) == 0)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace leaf
