#pragma once

// CLinkTargetCache: the link targets already collected from pages, so that a walk that
// meets a page again (every page of a book is linked from its contents page and from
// its neighbours) does not read and scan it again. An entry holds while the file is the
// one it was collected from: same device, inode, size and modification time.
//
// The cache keeps at most kMaxTargets targets; when a page would go beyond, it is
// emptied first, so that its memory stays small whatever the size of the book.
//
// The filter objects of a process share one cache (Shared), so that objects preparing
// pages on several threads at once read each page once between them; every operation
// may be called from any thread.

#include <sys/types.h>

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/CString.h"

class CLinkTargetCache {
public:
    // The identity of a file on disk at one moment; `valid` is false when it cannot be read.
    struct FileStamp {
        bool valid = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedSeconds = 0;
        long modifiedNanoseconds = 0;

        static FileStamp Of(const CString& path);
        bool operator==(const FileStamp& other) const = default;
    };

    static constexpr size_t kMaxTargets = 1 << 18;

    // The targets collected from `path` when the file is still the one they came from.
    bool Find(const CString& path, const FileStamp& stamp, std::vector<CString>& targets) const;
    // Keeps the targets of `path` as collected from the file with `stamp` (nothing is kept
    // for a file whose status could not be read).
    void Store(const CString& path, const FileStamp& stamp, const std::vector<CString>& targets);

    size_t GetTargetCount() const;

    // The cache of the process.
    static CLinkTargetCache& Shared();

private:
    struct Entry {
        FileStamp stamp;
        std::vector<CString> targets;
    };
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    size_t m_targetCount = 0;
};
