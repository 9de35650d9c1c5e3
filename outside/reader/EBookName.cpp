#include "outside/reader/EBookName.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/base/Environment.h"
#include "platform/base/Path.h"

namespace reader {

namespace {

constexpr char kEpubMimetype[] = "application/epub+zip";

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

bool EndsWithEpub(const std::string& path) {
    std::string extension = leaf::path::Extension(path);
    if (extension.size() != 5)
        return false;
    for (char& ch : extension)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return extension == ".epub";
}

// A folder that exists (made now with mode 0700, or made before) and that no one but
// this user can enter or change; a link, another user's folder or an open one is refused.
bool EnsurePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

// A stable name for the folder of one e-book path (64-bit FNV-1a, in hexadecimal).
std::string FolderNameFor(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char ch : path) {
        hash ^= ch;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// `link` is a symbolic link to `target` (made, or replaced when it names another file).
bool PlaceLink(const std::string& target, const std::string& link) {
    struct stat info;
    if (::lstat(link.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            std::string current(4096, '\0');
            ssize_t length = ::readlink(link.c_str(), current.data(), current.size());
            if (length >= 0 && std::string(current.data(), static_cast<std::size_t>(length)) == target)
                return true;
        }
        if (::unlink(link.c_str()) != 0)
            return false;
    }
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace

bool HoldsEpub(const std::string& path) {
    int error = 0;
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(path.c_str(), ZIP_RDONLY, &error));
    if (!archive)
        return false;
    zip_stat_t info;
    zip_stat_init(&info);
    if (zip_stat(archive.get(), "mimetype", 0, &info) != 0 || (info.valid & ZIP_STAT_SIZE) == 0 ||
        info.size != sizeof kEpubMimetype - 1)
        return false;
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen(archive.get(), "mimetype", 0));
    if (!entry)
        return false;
    char contents[sizeof kEpubMimetype] = {};
    zip_int64_t got = zip_fread(entry.get(), contents, sizeof kEpubMimetype - 1);
    return got == static_cast<zip_int64_t>(sizeof kEpubMimetype - 1) &&
           std::string(contents, sizeof kEpubMimetype - 1) == kEpubMimetype;
}

std::string DesktopNameFor(const std::string& absolutePath) {
    if (EndsWithEpub(absolutePath) || !HoldsEpub(absolutePath))
        return absolutePath;
    std::string privateFolder =
        leaf::path::Join(leaf::GetTempFolder(), "leafreader-" + std::to_string(::geteuid()));
    std::string bookFolder = leaf::path::Join(privateFolder, FolderNameFor(absolutePath));
    if (!EnsurePrivateFolder(privateFolder) || !EnsurePrivateFolder(bookFolder))
        return absolutePath;
    std::string name = leaf::path::FilePart(absolutePath);
    std::string extension = leaf::path::Extension(name);
    std::string stem = name.substr(0, name.size() - extension.size());
    if (stem.empty())
        stem = "book";
    std::string link = leaf::path::Join(bookFolder, stem + ".epub");
    return PlaceLink(absolutePath, link) ? link : absolutePath;
}

}  // namespace reader
