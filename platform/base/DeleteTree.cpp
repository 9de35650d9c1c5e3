// Recursive delete that works below one open folder descriptor at a time, so a symbolic
// link met anywhere in the tree is removed as a link and never entered.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/File.h"
#include "platform/base/Path.h"

namespace leaf {

namespace {

std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&free)> resolved(realpath(path.c_str(), nullptr), &free);
    return resolved ? std::string(resolved.get()) : std::string();
}

// The absolute, symbolic-link-free form of a folder to protect; folders that do not
// exist are taken lexically.
std::string CanonicalFolder(const std::string& folder) {
    std::string real = RealPath(folder);
    if (!real.empty())
        return real;
    if (path::IsAbsolute(folder))
        return path::LexicallyNormal(folder);
    std::string current = RealPath(".");
    return current.empty() ? std::string() : path::LexicallyNormal(path::Join(current, folder));
}

bool RemoveAt(int parentFd, const std::string& name);

bool RemoveContents(int folderFd) {
    const int listFd = dup(folderFd);
    if (listFd < 0)
        return false;
    DIR* dir = fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    bool ok = true;
    for (const std::string& name : names)
        ok = RemoveAt(folderFd, name) && ok;
    return ok;
}

bool RemoveAt(int parentFd, const std::string& name) {
    struct stat info;
    if (fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return unlinkat(parentFd, name.c_str(), 0) == 0 || errno == ENOENT;
    const int folderFd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return false;
    const bool emptied = RemoveContents(folderFd);
    ::close(folderFd);
    return emptied && (unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
}

}  // namespace

bool DeleteTree(const std::string& path, const std::vector<std::string>& protectedFolders) {
    std::string target = path;
    while (target.size() > 1 && target.back() == '/')
        target.pop_back();
    if (target.empty() || target == "/")
        return false;
    const std::string lastComponent = path::FilePart(target);
    if (lastComponent == "." || lastComponent == "..")
        return false;

    struct stat info;
    if (lstat(target.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))  // a file or a symbolic link: remove just that
        return unlink(target.c_str()) == 0;

    const std::string folder = RealPath(target);
    if (folder.empty() || folder == "/")
        return false;
    if (const char* home = std::getenv("HOME"); home && *home) {
        const std::string homeFolder = CanonicalFolder(home);
        if (!homeFolder.empty() && path::IsUnderFolder(folder, homeFolder))
            return false;
    }
    for (const std::string& protectedFolder : protectedFolders) {
        if (protectedFolder.empty())
            continue;
        const std::string kept = CanonicalFolder(protectedFolder);
        if (kept.empty() || path::IsUnderFolder(folder, kept))
            return false;
    }

    const int parentFd = ::open(path::FolderPart(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    const bool ok = RemoveAt(parentFd, path::FilePart(folder));
    ::close(parentFd);
    return ok;
}

}  // namespace leaf
