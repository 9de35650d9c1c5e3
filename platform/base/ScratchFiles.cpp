#include "platform/base/ScratchFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace leaf {

bool ProcessIsGone(pid_t pid) {
    return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH;
}

pid_t ScratchFileOwner(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    long long pid = 0;
    size_t digits = 0;
    while (digits < name.size() && digits < 10 && name[digits] >= '0' && name[digits] <= '9')
        pid = pid * 10 + (name[digits++] - '0');
    if (digits == 0 || digits >= name.size() || name[digits] != '-' || pid <= 0 || pid > 0x7FFFFFFF)
        return 0;
    return static_cast<pid_t>(pid);
}

void RemoveStaleScratchFiles(const std::string& folder, std::string_view prefix) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(dir)) {
        const pid_t owner = ScratchFileOwner(entry->d_name, prefix);
        if (owner != 0 && owner != getpid() && ProcessIsGone(owner))
            stale.emplace_back(entry->d_name);
    }
    const int folderFd = dirfd(dir);
    for (const std::string& name : stale) {
        struct stat info;
        if (fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            unlinkat(folderFd, name.c_str(), 0);
    }
    closedir(dir);
}

int CreateUnnamedFile(const std::string& folder, int flags, mode_t mode) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_CLOEXEC | flags, mode);
    // Kernels and file systems without O_TMPFILE answer in several ways.
    if (fd < 0 && (errno == EISDIR || errno == EINVAL || errno == ENOSYS))
        errno = EOPNOTSUPP;
    return fd;
}

}  // namespace leaf
