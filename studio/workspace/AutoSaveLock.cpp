#include "studio/workspace/AutoSaveLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace leaf {

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

}  // namespace leaf
