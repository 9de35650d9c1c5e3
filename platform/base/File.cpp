#include "platform/base/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/base/FileKind.h"
#include "platform/base/Path.h"

namespace {

const char* CauseName(int cause) {
    static const char* const names[] = {
        "no error", "generic error", "file not found", "bad path", "too many open files",
        "access denied", "invalid file", "cannot remove the current folder", "folder full",
        "bad seek", "hardware I/O error", "sharing violation", "lock violation", "disk full",
        "end of file"};
    if (cause < 0 || cause >= static_cast<int>(std::size(names)))
        return "unknown error";
    return names[cause];
}

std::string CurrentFolder() {
    std::unique_ptr<char, decltype(&free)> current(getcwd(nullptr, 0), &free);
    return current ? std::string(current.get()) : std::string("/");
}

// The absolute form of a path, without touching symbolic links.
std::string FullPath(const std::string& path) {
    if (leaf::path::IsAbsolute(path))
        return leaf::path::LexicallyNormal(path);
    return leaf::path::LexicallyNormal(leaf::path::Join(CurrentFolder(), path));
}

// The path to open: as written when it exists. Else, for a file opened to be read or
// written in place, its case-insensitive match; for a file that may be created (or
// truncated), the case-insensitive match of its folder plus the name as written, so that
// creating "book.lcp" never opens, and empties, a different file "Book.lcp".
std::string PathToOpen(const std::string& path, bool creating) {
    struct stat info;
    if (lstat(path.c_str(), &info) == 0)
        return path;
    if (!creating) {
        if (std::optional<std::string> found = leaf::path::Resolve(path))
            return *found;
        return path;
    }
    const std::string folder = leaf::path::FolderPart(path);
    if (!folder.empty()) {
        if (std::optional<std::string> foundFolder = leaf::path::Resolve(folder))
            return leaf::path::Join(*foundFolder, leaf::path::FilePart(path));
    }
    return path;
}

}  // namespace

// ---- CFileException ----

CFileException::CFileException(int cause, LONG osError, const char* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

int CFileException::OsErrorToCause(int osError) {
    switch (osError) {
    case 0:
        return none;
    case ENOENT:
        return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return badPath;
    case EMFILE:
    case ENFILE:
        return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case EEXIST:
        return accessDenied;
    case EBADF:
        return invalidFile;
    case ENOTEMPTY:
    case EBUSY:
        return removeCurrentDir;
    case ESPIPE:
    case EINVAL:
        return badSeek;
    case EIO:
        return hardIO;
    case ETXTBSY:
        return sharingViolation;
    case EAGAIN:
    case EDEADLK:
        return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return diskFull;
    default:
        return genericException;
    }
}

void CFileException::ThrowOsError(int osError, const char* fileName) {
    throw CFileException(OsErrorToCause(osError), osError, fileName);
}

const char* CFileException::what() const noexcept {
    try {
        m_message = CauseName(m_cause);
        if (m_lOsError > 0)
            m_message += std::string(" (") + std::strerror(m_lOsError) + ")";
        if (!m_strFileName.IsEmpty())
            m_message += ": " + m_strFileName.str();
        return m_message.c_str();
    } catch (...) {
        return "file error";
    }
}

// ---- CFile ----

CFile::CFile() = default;

CFile::CFile(const char* path, UINT openFlags) {
    CFileException error;
    if (!Open(path, openFlags, &error))
        throw error;
}

CFile::~CFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

CFile::CFile(CFile&& other) noexcept : m_fd(other.m_fd), m_strFileName(std::move(other.m_strFileName)) {
    other.m_fd = -1;
}

CFile& CFile::operator=(CFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_strFileName = std::move(other.m_strFileName);
        other.m_fd = -1;
    }
    return *this;
}

void CFile::Attach(int fd, const char* path) {
    if (m_fd >= 0)
        Abort();
    m_fd = fd;
    m_strFileName = path ? path : "";
}

BOOL CFile::Open(const char* path, UINT openFlags, CFileException* error) {
    if (m_fd >= 0)
        Abort();
    auto fail = [&](int osError, const char* name) {
        if (error) {
            error->m_cause = CFileException::OsErrorToCause(osError);
            error->m_lOsError = osError;
            error->m_strFileName = name ? name : "";
        }
        return FALSE;
    };
    if (!path || !*path)
        return fail(ENOENT, path);

    int flags = O_CLOEXEC;
    switch (openFlags & 0x3) {
    case modeRead:
        flags |= O_RDONLY;
        break;
    case modeWrite:
        flags |= O_WRONLY;
        break;
    case modeReadWrite:
        flags |= O_RDWR;
        break;
    default:
        return fail(EINVAL, path);
    }
    const bool creating = (openFlags & modeCreate) != 0;
    if (creating) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }

    const std::string actualPath = PathToOpen(path, creating);
    // Folders, FIFOs and devices are refused: a FIFO would block the open until someone
    // writes to it.
    const int fd = leaf::OpenRegularFile(actualPath, flags, 0666);
    if (fd < 0)
        return fail(errno, path);
    m_fd = fd;
    m_strFileName = FullPath(actualPath);
    return TRUE;
}

void CFile::ThrowIfClosed() const {
    if (m_fd < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName.c_str());
}

UINT CFile::Read(void* buffer, UINT count) {
    ThrowIfClosed();
    if (count == 0)
        return 0;
    auto* bytes = static_cast<char*>(buffer);
    UINT total = 0;
    while (total < count) {
        const ssize_t got = ::read(m_fd, bytes + total, count - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, m_strFileName.c_str());
        }
        if (got == 0)
            break;
        total += static_cast<UINT>(got);
    }
    return total;
}

void CFile::Write(const void* buffer, UINT count) {
    ThrowIfClosed();
    const auto* bytes = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t written = ::write(m_fd, bytes + done, count - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowOsError(errno, m_strFileName.c_str());
        }
        if (written == 0)
            CFileException::ThrowOsError(ENOSPC, m_strFileName.c_str());
        done += static_cast<UINT>(written);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    ThrowIfClosed();
    int whence;
    switch (from) {
    case begin:
        whence = SEEK_SET;
        break;
    case current:
        whence = SEEK_CUR;
        break;
    case end:
        whence = SEEK_END;
        break;
    default:
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName.c_str());
    }
    const off_t position = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (position < 0)
        throw CFileException(CFileException::badSeek, errno, m_strFileName.c_str());
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetPosition() const {
    ThrowIfClosed();
    const off_t position = ::lseek(m_fd, 0, SEEK_CUR);
    if (position < 0)
        throw CFileException(CFileException::badSeek, errno, m_strFileName.c_str());
    return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const {
    ThrowIfClosed();
    struct stat info;
    if (fstat(m_fd, &info) != 0)
        CFileException::ThrowOsError(errno, m_strFileName.c_str());
    return static_cast<ULONGLONG>(info.st_size);
}

void CFile::SetLength(ULONGLONG newLength) {
    ThrowIfClosed();
    if (::ftruncate(m_fd, static_cast<off_t>(newLength)) != 0)
        CFileException::ThrowOsError(errno, m_strFileName.c_str());
}

void CFile::Flush() {
    ThrowIfClosed();
    // Pipes and some special files cannot be synced; that is not an error.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        CFileException::ThrowOsError(errno, m_strFileName.c_str());
}

void CFile::Close() {
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    // The descriptor is released even when close reports an error (EINTR included).
    if (::close(fd) != 0 && errno != EINTR)
        CFileException::ThrowOsError(errno, m_strFileName.c_str());
}

void CFile::Abort() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CString CFile::GetFileName() const {
    return CString(leaf::path::FilePart(m_strFileName.str()));
}

BOOL CFile::GetStatus(CFileStatus& status) const {
    if (m_fd < 0)
        return FALSE;
    struct stat info;
    if (fstat(m_fd, &info) != 0)
        return FALSE;
    status.m_ctime = info.st_ctime;
    status.m_mtime = info.st_mtime;
    status.m_atime = info.st_atime;
    status.m_size = static_cast<ULONGLONG>(info.st_size);
    BYTE attributes = 0;
    leaf::GetFileAttributes(m_strFileName.c_str(), attributes);
    status.m_attribute = attributes;
    status.m_szFullName = m_strFileName;
    return TRUE;
}

BOOL CFile::GetStatus(const char* path, CFileStatus& status) {
    if (!path || !*path)
        return FALSE;
    const std::optional<std::string> found = leaf::path::Resolve(path);
    if (!found)
        return FALSE;
    struct stat info;
    if (stat(found->c_str(), &info) != 0)
        return FALSE;
    status.m_ctime = info.st_ctime;
    status.m_mtime = info.st_mtime;
    status.m_atime = info.st_atime;
    status.m_size = S_ISDIR(info.st_mode) ? 0 : static_cast<ULONGLONG>(info.st_size);
    BYTE attributes = 0;
    leaf::GetFileAttributes(found->c_str(), attributes);
    status.m_attribute = attributes;
    status.m_szFullName = FullPath(*found);
    return TRUE;
}

void CFile::Rename(const char* from, const char* to) {
    if (!from || !to)
        throw CFileException(CFileException::badPath, EINVAL, from);
    const std::string source = PathToOpen(from, false);
    if (::rename(source.c_str(), to) != 0)
        CFileException::ThrowOsError(errno, from);
}

void CFile::Remove(const char* path) {
    if (!path)
        throw CFileException(CFileException::badPath, EINVAL, path);
    const std::string target = PathToOpen(path, false);
    struct stat info;
    // Remove deletes files only, as its namesake does; folders need DeleteTree.
    if (lstat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        CFileException::ThrowOsError(EISDIR, path);
    if (::unlink(target.c_str()) != 0)
        CFileException::ThrowOsError(errno, path);
}
