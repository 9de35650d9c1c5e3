#include "platform/ui/shell/RecycleBin.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/Path.h"

namespace leaf::ui {

namespace {

// The path as the trash information file writes it: percent-escaped except for the
// characters a file address keeps.
std::string EscapePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char ch : path) {
        bool keep = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
                    ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (keep) {
            escaped += static_cast<char>(ch);
        } else {
            escaped += '%';
            escaped += hex[ch >> 4];
            escaped += hex[ch & 0xF];
        }
    }
    return escaped;
}

bool MakeFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat status {};
        return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }
    return false;
}

bool MakeFolderTree(const std::string& folder) {
    if (folder.empty() || folder == "/") return true;
    std::string parent = leaf::path::FolderPart(folder);
    if (parent != folder && !MakeFolderTree(parent)) return false;
    return MakeFolder(folder);
}

}  // namespace

std::string RecycleBinFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return leaf::path::Join(data, "Trash");
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return std::string();
    return leaf::path::Join(home, ".local/share/Trash");
}

BOOL MoveToRecycleBin(const char* path) {
    if (!path || !*path) return FALSE;
    std::optional<std::string> found = leaf::path::Resolve(leaf::path::Normalize(path));
    if (!found || !leaf::path::IsAbsolute(*found)) return FALSE;
    std::string source = leaf::path::LexicallyNormal(*found);
    std::string trash = RecycleBinFolder();
    if (trash.empty() || !MakeFolderTree(trash) || !MakeFolder(trash + "/files") || !MakeFolder(trash + "/info"))
        return FALSE;

    // A name of its own in the trash, claimed by creating its information file.
    std::string name = leaf::path::FilePart(source);
    std::string stem = name;
    std::string extension = leaf::path::Extension(name);
    if (!extension.empty() && extension.size() < name.size()) stem = name.substr(0, name.size() - extension.size());
    else extension.clear();
    std::string infoPath;
    int descriptor = -1;
    for (int n = 1; n < 10000 && descriptor < 0; ++n) {
        if (n > 1) name = stem + "." + std::to_string(n) + extension;
        infoPath = trash + "/info/" + name + ".trashinfo";
        descriptor = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno != EEXIST) return FALSE;
    }
    if (descriptor < 0) return FALSE;

    char when[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    std::string info = "[Trash Info]\nPath=" + EscapePath(source) + "\nDeletionDate=" + when + "\n";
    bool written = ::write(descriptor, info.data(), info.size()) == static_cast<ssize_t>(info.size());
    ::close(descriptor);
    // Only a rename: a file on another volume is not copied.
    if (!written || ::rename(source.c_str(), (trash + "/files/" + name).c_str()) != 0) {
        ::unlink(infoPath.c_str());
        return FALSE;
    }
    return TRUE;
}

}  // namespace leaf::ui
