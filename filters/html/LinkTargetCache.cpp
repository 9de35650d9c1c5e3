#include "filters/html/LinkTargetCache.h"

#include <sys/stat.h>

CLinkTargetCache::FileStamp CLinkTargetCache::FileStamp::Of(const CString& path) {
    FileStamp stamp;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return stamp;
    stamp.valid = true;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    stamp.size = status.st_size;
    stamp.modifiedSeconds = static_cast<long long>(status.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = status.st_mtim.tv_nsec;
    return stamp;
}

bool CLinkTargetCache::Find(const CString& path, const FileStamp& stamp, std::vector<CString>& targets) const {
    if (!stamp.valid)
        return false;
    std::lock_guard lock(m_mutex);
    auto found = m_entries.find(path.str());
    if (found == m_entries.end() || !(found->second.stamp == stamp))
        return false;
    targets.insert(targets.end(), found->second.targets.begin(), found->second.targets.end());
    return true;
}

void CLinkTargetCache::Store(const CString& path, const FileStamp& stamp, const std::vector<CString>& targets) {
    if (!stamp.valid || targets.size() > kMaxTargets)
        return;
    std::lock_guard lock(m_mutex);
    auto found = m_entries.find(path.str());
    if (found != m_entries.end()) {
        m_targetCount -= found->second.targets.size();
        m_entries.erase(found);
    }
    if (m_targetCount + targets.size() > kMaxTargets) {
        m_entries.clear();
        m_targetCount = 0;
    }
    m_entries.emplace(path.str(), Entry{stamp, targets});
    m_targetCount += targets.size();
}

size_t CLinkTargetCache::GetTargetCount() const {
    std::lock_guard lock(m_mutex);
    return m_targetCount;
}

CLinkTargetCache& CLinkTargetCache::Shared() {
    static CLinkTargetCache cache;
    return cache;
}
