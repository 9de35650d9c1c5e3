#pragma once

// The lock file by which a running main frame marks its auto-save entry as its own. The
// frame creates the file and holds an exclusive advisory lock on it while it runs; the
// next start tries to take the same lock: when it can (or the file is gone), the entry's
// owner no longer runs and its copy is an orphan. A process that dies loses its locks, so
// a crash leaves an entry that the next start recognises.

#include <string>

namespace leaf {

class AutoSaveLock {
public:
    AutoSaveLock() = default;
    ~AutoSaveLock();
    AutoSaveLock(const AutoSaveLock&) = delete;
    AutoSaveLock& operator=(const AutoSaveLock&) = delete;

    // Creates the file and takes its lock; false when either fails.
    bool Acquire(const std::string& path);
    // Gives up the lock and removes the file.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

    // Whether some live holder has the lock on that file (false for a missing file or an
    // empty path).
    static bool IsLockedByOther(const std::string& path);

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace leaf
