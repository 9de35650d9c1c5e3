#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <random>
#include <string_view>

#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/Path.h"
#include "platform/base/ScratchFiles.h"

namespace leaf {

namespace {

// The file a write to path should replace: the path as written, its folder matched
// without regard to case when it does not exist as written, and the target of a symbolic
// link (so the link survives). The name itself is taken as spelled: writing "book.lcp"
// beside "Book.lcp" makes a second file and never replaces the other one.
std::string ReplacementTarget(const std::string& path) {
    struct stat info;
    std::string target = path;
    if (lstat(path.c_str(), &info) != 0 && !path::FolderPart(path).empty()) {
        if (std::optional<std::string> folder = path::Resolve(path::FolderPart(path)))
            target = path::Join(*folder, path::FilePart(path));
    }
    if (lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = realpath(target.c_str(), nullptr)) {
            target = real;
            free(real);
        }
    }
    return target;
}

// Named temporaries are ".<name>.tmp<pid>-<serial>-<random>" beside the target, so that
// a later write can tell the leftovers of a process that died before it committed.
std::string TemporaryPrefix(const std::string& target) {
    return "." + path::FilePart(target) + ".tmp";
}

std::string TemporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random(std::random_device{}());
    const std::string folder = path::FolderPart(target);
    const std::string name = TemporaryPrefix(target) + std::to_string(getpid()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(random() % 100000);
    return folder.empty() ? name : path::Join(folder, name);
}

// An unnamed file in the target's folder (O_TMPFILE): a process killed before it
// commits leaves nothing behind. -1 where the file system cannot make one.
int OpenUnnamedFile(const std::string& target) {
    return CreateUnnamedFile(path::FolderPart(target), O_WRONLY, 0666);
}

// Whether an O_TMPFILE failure means only that the file system (or kernel) has none,
// so a named temporary should be used instead.
bool UnnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP;
}

// Gives the unnamed file open on fd the name `name`; 0 or the errno value.
int LinkUnnamedFile(int fd, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int procError = errno;
    // Without /proc, linking by descriptor needs the privilege to do so.
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
        return 0;
    return procError == ENOENT ? errno : procError;
}

void SyncFolder(const std::string& file) {
    std::string folder = path::FolderPart(file);
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Why a file of this mode may not be replaced: a folder is no file, and a device, FIFO or
// socket under the name is not ours to turn into one. 0 for a regular file.
int ReplacementRefusal(mode_t mode) {
    if (S_ISDIR(mode))
        return EISDIR;
    if (!S_ISREG(mode))
        return kNotRegularFileError;
    return 0;
}

// Opens a file that must be a regular file (a FIFO or device is refused, never opened).
int OpenForReading(const std::string& path) {
    int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0 && errno == ENOENT) {
        if (std::optional<std::string> found = path::Resolve(path))
            fd = OpenRegularFile(*found, O_RDONLY);
    }
    return fd;
}

bool ReadAll(int fd, std::string& contents) {
    contents.clear();
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (info.st_size > 0)
        contents.reserve(static_cast<size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        contents.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Open(const std::string& target) {
    Discard();
    m_error = 0;
    if (target.empty()) {
        m_error = ENOENT;
        return false;
    }
    m_target = ReplacementTarget(target);
    struct stat existing;
    const bool replacing = stat(m_target.c_str(), &existing) == 0;
    if (replacing && (m_error = ReplacementRefusal(existing.st_mode)) != 0)
        return false;
    // A read-only file stays protected, whatever the permissions of the process.
    if (replacing && !(existing.st_mode & S_IWUSR)) {
        m_error = EACCES;
        return false;
    }
    // The temporaries of this file that writers killed before their commit left behind:
    // named ones where the file system has no unnamed files, and otherwise only where a
    // commit replaces a file (a new file is linked in under its own name at once).
    const auto removeStaleTemporaries = [this] {
        RemoveStaleScratchFiles(path::FolderPart(m_target), TemporaryPrefix(m_target));
    };
    if (replacing)
        removeStaleTemporaries();
    m_fd = OpenUnnamedFile(m_target);
    m_unnamed = m_fd >= 0;
    if (m_fd < 0 && UnnamedFilesUnsupported(errno)) {
        if (!replacing)
            removeStaleTemporaries();
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_temporary = TemporaryName(m_target);
            m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0 || errno != EEXIST)
                break;
        }
    }
    if (m_fd < 0) {
        m_error = errno;
        m_temporary.clear();
        return false;
    }
    if (replacing) {
        // Keep the replaced file's owner and permissions (best effort for the owner).
        if (fchown(m_fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the superuser may give a file away; the new file stays the process's.
        }
        fchmod(m_fd, existing.st_mode & 07777);
    }
    return true;
}

bool AtomicFile::SetPermissions(unsigned mode) {
    if (m_fd < 0)
        return false;
    if (fchmod(m_fd, static_cast<mode_t>(mode & 07777)) != 0) {
        if (m_error == 0)
            m_error = errno;
        return false;
    }
    return true;
}

bool AtomicFile::Write(std::string_view data) {
    if (m_fd < 0 || m_error != 0)
        return false;
    while (!data.empty()) {
        const ssize_t written = ::write(m_fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        if (written == 0) {
            m_error = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool AtomicFile::Commit(bool replaceExisting) {
    if (m_fd < 0) {
        if (m_error == 0)
            m_error = EBADF;
        return false;
    }
    if (m_error == 0 && m_durability == Durability::Synced && ::fsync(m_fd) != 0)
        m_error = errno;
    // Something other than a file may have been put under the target's name since Open.
    struct stat existing;
    if (m_error == 0 && stat(m_target.c_str(), &existing) == 0)
        m_error = ReplacementRefusal(existing.st_mode);
    // An unnamed file gets its name only now: straight at the target where nothing is
    // there (linking fails on an existing name), else a temporary name renamed over it.
    bool inPlace = false;
    if (m_error == 0 && m_unnamed) {
        m_error = LinkUnnamedFile(m_fd, m_target);
        inPlace = m_error == 0;
        if (m_error == EEXIST && replaceExisting) {
            for (int attempt = 0; attempt < 100; ++attempt) {
                m_temporary = TemporaryName(m_target);
                m_error = LinkUnnamedFile(m_fd, m_temporary);
                if (m_error != EEXIST)
                    break;
            }
            if (m_error != 0)
                m_temporary.clear();
        }
    }
    const int fd = m_fd;
    m_fd = -1;
    m_unnamed = false;
    if (::close(fd) != 0 && m_error == 0 && errno != EINTR)
        m_error = errno;
    if (m_error == 0 && !inPlace) {
        if (replaceExisting) {
            if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
                m_error = errno;
        } else if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE) != 0) {
            // File systems without RENAME_NOREPLACE: a hard link fails on an existing name too.
            if (errno != EINVAL && errno != ENOSYS)
                m_error = errno;
            else if (::link(m_temporary.c_str(), m_target.c_str()) != 0)
                m_error = errno;
            else
                ::unlink(m_temporary.c_str());
        }
    }
    if (m_error != 0) {
        if (!m_temporary.empty())
            ::unlink(m_temporary.c_str());
        m_temporary.clear();
        return false;
    }
    m_temporary.clear();
    if (m_durability == Durability::Synced)
        SyncFolder(m_target);
    return true;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);  // an unnamed file goes with its descriptor
        m_fd = -1;
    }
    m_unnamed = false;
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool ReadFileBytes(const std::string& path, std::string& contents) {
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    const bool ok = ReadAll(fd, contents);
    ::close(fd);
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    AtomicFile file;
    return file.Open(path) && file.Write(contents) && file.Commit();
}

bool CopyFileBytes(const std::string& from, const std::string& to, bool failIfExists) {
    const int source = OpenForReading(from);
    if (source < 0)
        return false;
    struct stat info;
    if (fstat(source, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(source);
        return false;
    }
    AtomicFile target;
    if (!target.Open(to) || (failIfExists && access(target.TargetPath().c_str(), F_OK) == 0)) {
        ::close(source);
        return false;
    }
    target.SetPermissions(info.st_mode);
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!target.Write(std::string_view(buffer, static_cast<size_t>(got)))) {
            ok = false;
            break;
        }
    }
    ::close(source);
    return ok && target.Commit(!failIfExists);
}

}  // namespace leaf
