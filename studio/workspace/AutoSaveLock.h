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

    // The frame's lock file name in folder for an instance number: "LCAS-0x%.8X.lock".
    static std::string LockFilePath(const std::string& folder, unsigned instanceId);

    // Removes the lock files in folder that frames which ended without their normal exit
    // left: files named as LockFilePath names them whose process (the instance number's
    // low 24 bits) no longer runs and whose lock nobody holds. A file is removed only
    // while this call holds its lock. Auto-save copies and entries are not touched: the
    // restore at start-up takes an entry whose lock file is gone for an orphan, as it
    // takes one whose lock is free.
    static void RemoveStaleLocks(const std::string& folder);

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace leaf
