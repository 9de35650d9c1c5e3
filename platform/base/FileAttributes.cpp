// File attributes on POSIX: read-only is the owner's write bit, hidden a leading dot,
// archive and system the bits kept in the extended attribute "user.dosattrib" as decimal
// text ("0x" hexadecimal is accepted when read).

#include <errno.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <string>

#include "platform/base/File.h"
#include "platform/base/Path.h"

namespace leaf {

namespace {

constexpr const char* kAttributeName = "user.dosattrib";
constexpr BYTE kStoredAttributes = CFile::archive | CFile::system;

BYTE ReadStoredAttributes(const std::string& path) {
    char text[32];
    const ssize_t length = getxattr(path.c_str(), kAttributeName, text, sizeof(text) - 1);
    if (length <= 0)
        return 0;
    text[length] = '\0';
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end == text)
        return 0;
    return static_cast<BYTE>(value & kStoredAttributes);
}

bool WriteStoredAttributes(const std::string& path, BYTE attributes) {
    attributes &= kStoredAttributes;
    int result;
    if (attributes == 0) {
        result = removexattr(path.c_str(), kAttributeName);
        if (result != 0 && errno == ENODATA)
            result = 0;
    } else {
        const std::string text = std::to_string(attributes);
        result = setxattr(path.c_str(), kAttributeName, text.data(), text.size(), 0);
    }
    // A file system without extended attributes keeps no archive or system bits.
    return result == 0 || errno == ENOTSUP || errno == EOPNOTSUPP;
}

std::string ExistingPath(const char* path) {
    if (!path || !*path)
        return {};
    return path::Resolve(path).value_or(std::string());
}

}  // namespace

bool GetFileAttributes(const char* path, BYTE& attributes) {
    const std::string found = ExistingPath(path);
    struct stat info;
    if (found.empty() || stat(found.c_str(), &info) != 0)
        return false;
    attributes = 0;
    if (!(info.st_mode & S_IWUSR))
        attributes |= CFile::readOnly;
    if (S_ISDIR(info.st_mode))
        attributes |= CFile::directory;
    std::string name = path::FilePart(found);
    if (name.empty())  // a folder written with a trailing '/'
        name = path::FilePart(found.substr(0, found.size() - 1));
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= CFile::hidden;
    attributes |= ReadStoredAttributes(found);
    return true;
}

BOOL SetFileAttributes(const char* path, BYTE attributes) {
    const std::string found = ExistingPath(path);
    struct stat info;
    if (found.empty() || stat(found.c_str(), &info) != 0)
        return FALSE;
    const mode_t mode = info.st_mode & 07777;
    const bool makeReadOnly = (attributes & CFile::readOnly) != 0;
    // The extended attribute needs write permission: lift read-only first, set it last.
    if (!makeReadOnly && !(mode & S_IWUSR) && chmod(found.c_str(), mode | S_IWUSR) != 0)
        return FALSE;
    if (!WriteStoredAttributes(found, attributes))
        return FALSE;
    if (makeReadOnly && chmod(found.c_str(), mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) != 0)
        return FALSE;
    return TRUE;
}

}  // namespace leaf
