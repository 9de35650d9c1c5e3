#include "platform/base/ScratchFolder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/ScratchFiles.h"

namespace leaf {

namespace {

// Enough for any process id and its line end.
constexpr size_t kMarkSize = 16;

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The process id a mark's text names: decimal digits and a line end, nothing else.
pid_t ParseMark(std::string_view text) {
    if (text.size() < 2 || text.back() != '\n')
        return 0;
    text.remove_suffix(1);
    long long pid = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9' || pid > 0x7FFFFFFF)
            return 0;
        pid = pid * 10 + (ch - '0');
    }
    return pid > 0 && pid <= 0x7FFFFFFF ? static_cast<pid_t>(pid) : 0;
}

// Opens folder's mark without following links or blocking; -1 when it is missing or not
// a regular file. The owner's id goes to *owner (0 when the text is not a mark).
int OpenMark(const std::string& folder, pid_t* owner) {
    *owner = 0;
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return -1;
    const int fd = ::openat(folderFd, kScratchFolderMark, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    ::close(folderFd);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    char text[kMarkSize + 1];
    ssize_t length;
    do {
        length = ::read(fd, text, sizeof text);
    } while (length < 0 && errno == EINTR);
    if (length > 0 && static_cast<size_t>(length) <= kMarkSize)
        *owner = ParseMark(std::string_view(text, static_cast<size_t>(length)));
    return fd;
}

// The locked descriptor of a stale folder's mark, -1 when the folder is not stale.
int LockStaleMark(const std::string& folder) {
    pid_t owner = 0;
    const int fd = OpenMark(folder, &owner);
    if (fd < 0)
        return -1;
    if (owner == 0 || owner == getpid() || !ProcessIsGone(owner) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

ScratchFolderOwner::~ScratchFolderOwner() {
    if (m_fd >= 0)
        ::close(m_fd);
}

ScratchFolderOwner::ScratchFolderOwner(ScratchFolderOwner&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_mark(std::move(other.m_mark)) {}

ScratchFolderOwner& ScratchFolderOwner::operator=(ScratchFolderOwner&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_mark = std::move(other.m_mark);
    }
    return *this;
}

bool ScratchFolderOwner::Claim(const std::string& folder) {
    Unlock();
    m_mark = path::Join(folder, kScratchFolderMark);
    // Exclusive creation: a mark that is there (another owner's, or a link planted in
    // its place) is never opened or rewritten.
    const int fd = ::open(m_mark.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_mark.clear();
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !WriteAll(fd, std::to_string(getpid()) + "\n")) {
        ::unlink(m_mark.c_str());
        ::close(fd);
        m_mark.clear();
        return false;
    }
    m_fd = fd;
    return true;
}

void ScratchFolderOwner::Unlock() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void ScratchFolderOwner::Release() {
    if (!m_mark.empty())
        ::unlink(m_mark.c_str());
    m_mark.clear();
    Unlock();
}

pid_t ScratchFolderMarkOwner(const std::string& folder) {
    pid_t owner = 0;
    const int fd = OpenMark(folder, &owner);
    if (fd >= 0)
        ::close(fd);
    return owner;
}

bool IsStaleScratchFolder(const std::string& folder) {
    const int fd = LockStaleMark(folder);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool IsHeldScratchFolder(const std::string& folder) {
    pid_t owner = 0;
    const int fd = OpenMark(folder, &owner);
    if (fd < 0)
        return false;
    // flock locks belong to the open file description, so this also sees a lock that an
    // owner in this very process holds.
    bool held = false;
    if (flock(fd, LOCK_SH | LOCK_NB) != 0)
        held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

void RemoveStaleScratchFolders(const std::string& parent, const std::function<bool(std::string_view)>& nameMatches,
                               const std::vector<std::string>& protectedFolders) {
    DIR* dir = opendir(parent.empty() ? "." : parent.c_str());
    if (!dir)
        return;
    std::vector<std::string> candidates;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !nameMatches(name))
            continue;
        struct stat info;
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode))
            candidates.emplace_back(name);
    }
    closedir(dir);
    for (const std::string& name : candidates) {
        const std::string folder = path::Join(parent.empty() ? "." : parent, name);
        // The mark stays locked while the folder goes, so no second run takes it meanwhile.
        const int lockFd = LockStaleMark(folder);
        if (lockFd < 0)
            continue;
        DeleteTree(folder, protectedFolders);
        ::close(lockFd);
    }
}

}  // namespace leaf
