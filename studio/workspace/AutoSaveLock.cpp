#include "studio/workspace/AutoSaveLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/base/ScratchFiles.h"

namespace leaf {

namespace {

constexpr std::string_view kLockPrefix = "LCAS-0x";
constexpr std::string_view kLockSuffix = ".lock";

// The instance number in a lock file's name "LCAS-0x<8 hex digits>.lock"; false for any
// other name.
bool ParseLockFileName(std::string_view name, unsigned& instanceId) {
    if (name.size() != kLockPrefix.size() + 8 + kLockSuffix.size() || !name.starts_with(kLockPrefix) ||
        !name.ends_with(kLockSuffix))
        return false;
    unsigned value = 0;
    for (const char ch : name.substr(kLockPrefix.size(), 8)) {
        unsigned digit;
        if (ch >= '0' && ch <= '9') digit = static_cast<unsigned>(ch - '0');
        else if (ch >= 'A' && ch <= 'F') digit = static_cast<unsigned>(ch - 'A' + 10);
        else if (ch >= 'a' && ch <= 'f') digit = static_cast<unsigned>(ch - 'a' + 10);
        else return false;
        value = value * 16 + digit;
    }
    instanceId = value;
    return true;
}

// Removes one lock file when its lock can be taken and the name still leads to the file
// that was locked (nobody replaced it meanwhile).
void RemoveIfUnlocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return;
    struct stat opened;
    struct stat named;
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlink(path.c_str());
    ::close(fd);
}

}  // namespace

AutoSaveLock::~AutoSaveLock() { Release(); }

bool AutoSaveLock::Acquire(const std::string& path) {
    Release();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

void AutoSaveLock::Release() {
    if (m_fd < 0) return;
    // Remove the file while still holding the lock, so nobody takes a lock on a file
    // that is about to vanish.
    ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

bool AutoSaveLock::IsLockedByOther(const std::string& path) {
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    // flock locks belong to the open file description, so this test also sees a lock
    // held through another descriptor of this very process.
    bool locked = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) locked = (errno == EWOULDBLOCK);
    else ::flock(fd, LOCK_UN);
    ::close(fd);
    return locked;
}

std::string AutoSaveLock::LockFilePath(const std::string& folder, unsigned instanceId) {
    char name[32];
    std::snprintf(name, sizeof name, "LCAS-0x%.8X.lock", instanceId);
    return folder + "/" + name;
}

void AutoSaveLock::RemoveStaleLocks(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        unsigned instanceId = 0;
        if (!ParseLockFileName(entry->d_name, instanceId)) continue;
        // The process id is the instance number's low 24 bits; a running process's file
        // stays even while unlocked (it may be between creating and locking it).
        const pid_t owner = static_cast<pid_t>(instanceId & 0xFFFFFFu);
        if (owner == ::getpid() || !ProcessIsGone(owner)) continue;
        stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : stale) RemoveIfUnlocked((folder.empty() ? std::string(".") : folder) + "/" + name);
}

}  // namespace leaf
