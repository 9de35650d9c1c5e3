#pragma once

// The class library's file classes on POSIX file descriptors, plus whole-file helpers.
//
// CFile owns one descriptor. Sharing modes are advisory and ignored. Opening a path that
// does not exist exactly falls back to a case-insensitive match (path::Resolve), so a
// link written "Pics/Cover.GIF" opens "pics/cover.gif"; GetFilePath() then reports the
// spelling found on disk. A file opened with modeCreate (and AtomicFile's target) keeps
// its name as spelled, only its folders matched so, so that creating "book.lcp" never
// empties a file "Book.lcp". Failures after opening throw CFileException.
//
// Attributes: read-only is the owner's write bit, hidden is a leading dot in the name,
// archive and system live in the extended attribute "user.dosattrib" (see
// SetFileAttributes) and read as clear where it is missing or unsupported.

#include <ctime>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CFileException : public std::exception {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr);

    // The cause that best describes an errno value.
    static int OsErrorToCause(int osError);
    // Throws a CFileException for an errno value.
    [[noreturn]] static void ThrowOsError(int osError, const char* fileName = nullptr);

    const char* what() const noexcept override;

    int m_cause;
    LONG m_lOsError;      // the errno value, -1 when there is none
    CString m_strFileName;

private:
    mutable std::string m_message;
};

struct CFileStatus {
    time_t m_ctime = 0;   // status change time
    time_t m_mtime = 0;
    time_t m_atime = 0;
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;  // CFile::Attribute bits
    CString m_szFullName;  // absolute path
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };
    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };

    CFile();
    // Opens at once; throws CFileException on failure.
    CFile(const char* path, UINT openFlags);
    virtual ~CFile();

    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;

    // FALSE on failure, with the cause in *error when given.
    virtual BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr);
    // Takes over an open descriptor, which the file then closes; path is the name it goes
    // by (an unnamed file has none yet).
    void Attach(int fd, const char* path);

    // Reads up to count bytes; returns 0 at the end of the file.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all count bytes or throws (diskFull when the disk is full).
    virtual void Write(const void* buffer, UINT count);

    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG SeekToBegin() { return Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG newLength);
    virtual void Flush();
    // Closes; throws when closing reports an error (data not written).
    virtual void Close();
    // Closes, ignoring every error.
    virtual void Abort();

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    bool IsOpen() const { return m_fd >= 0; }
    int GetHandle() const { return m_fd; }

    BOOL GetStatus(CFileStatus& status) const;
    static BOOL GetStatus(const char* path, CFileStatus& status);
    static void Rename(const char* from, const char* to);
    static void Remove(const char* path);

protected:
    void ThrowIfClosed() const;

    int m_fd = -1;
    CString m_strFileName;
};

// Text-mode file: lines end in "\n" when written; "\r\n" and "\n" are both accepted when
// read. Reads and writes are buffered; Read/Write/Seek may be mixed with the line calls.
class CStdioFile : public CFile {
public:
    CStdioFile() = default;
    CStdioFile(const char* path, UINT openFlags);
    ~CStdioFile() override;

    CStdioFile(CStdioFile&& other) noexcept = default;
    CStdioFile& operator=(CStdioFile&& other) noexcept;

    // Reads the next line, of any length, without its line end. FALSE at the end of the
    // file when nothing was read.
    BOOL ReadString(CString& line);
    // Writes the text's bytes as given.
    void WriteString(std::string_view text);

    BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG newLength) override;
    void Flush() override;
    void Close() override;
    void Abort() override;

private:
    void FlushWrites();
    void DropReadBuffer();
    bool FillReadBuffer();

    std::string m_readBuffer;
    size_t m_readPosition = 0;
    std::string m_writeBuffer;
};

namespace leaf {

// Reads a whole regular file; false when it cannot be opened or read, and for a FIFO,
// socket or device (which is never opened, so the call cannot block).
bool ReadFileBytes(const std::string& path, std::string& contents);

// Replaces the file with the contents: a temporary file in the same folder is written,
// synced and renamed over the target. On failure the old file is untouched and no
// temporary is left. Only a regular file (or nothing) is replaced: a folder gives EISDIR,
// a FIFO, socket or device kNotRegularFileError (FileKind.h).
bool WriteFileAtomically(const std::string& path, std::string_view contents);

// A file written in pieces and put in place all at once (see WriteFileAtomically). The
// destructor discards an uncommitted temporary. A new file gets the default permissions
// (0666 less the umask), a replaced one keeps the old file's permission bits.
//
// The temporary is an unnamed file (O_TMPFILE) that gets a name only at Commit, so a
// process killed while writing leaves nothing behind. Where the file system has no
// unnamed files it is ".<name>.tmp<pid>-..." beside the target, and Open removes those
// whose process no longer runs (as it does before replacing a file, whose commit may
// have been cut short between naming the new contents and renaming them).
//
// Only a regular file is replaced, checked at Open and once more at Commit: a folder
// gives EISDIR, a FIFO, socket or device (or a link to one) kNotRegularFileError.
class AtomicFile {
public:
    // Synced: the contents and the folder entry reach the disk before Commit returns.
    // Unsynced: for scratch files that live no longer than the process's work, where a
    // sync per file would cost more than the rest of the write.
    enum class Durability { Synced, Unsynced };

    explicit AtomicFile(Durability durability = Durability::Synced) : m_durability(durability) {}
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Open(const std::string& target);
    // False once any write has failed; the failure is also reported by Commit.
    bool Write(std::string_view data);
    // Syncs, closes and renames over the target. With replaceExisting false, fails when
    // the target exists. True only when the new contents are in place.
    bool Commit(bool replaceExisting = true);
    // Removes the temporary without touching the target.
    void Discard();
    // Gives the new file these permission bits instead of the default ones.
    bool SetPermissions(unsigned mode);

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& TargetPath() const { return m_target; }
    // The errno value of the first failure, 0 when none.
    int LastError() const { return m_error; }

private:
    Durability m_durability;
    int m_fd = -1;
    bool m_unnamed = false;  // m_fd is an unnamed file that Commit links in
    std::string m_target;
    std::string m_temporary;
    int m_error = 0;
};

// Deletes a file, a symbolic link or a folder with everything in it. Never follows a
// symbolic link (a link is removed, not its target). Refuses, deleting nothing, an empty
// path, a path whose last component is "." or "..", the root, the home folder or a
// folder holding it, and any folder that equals or contains one of protectedFolders.
// True when nothing remains at the path.
bool DeleteTree(const std::string& path, const std::vector<std::string>& protectedFolders = {});

// Copies a file's bytes (and permission bits) to a new or replaced file, atomically at
// the target. With failIfExists, an existing target is an error and is left alone.
bool CopyFileBytes(const std::string& from, const std::string& to, bool failIfExists);

// Sets the attributes a file can keep here: readOnly clears (or restores) the owner's
// write bit; archive and system are stored in "user.dosattrib" as a decimal text of the
// attribute bits (e.g. "32" for archive); where the file system has no extended
// attributes they are dropped silently. hidden, directory and volume cannot be set.
BOOL SetFileAttributes(const char* path, BYTE attributes);

// The attribute bits of a file (CFile::Attribute); false when the file does not exist.
bool GetFileAttributes(const char* path, BYTE& attributes);

}  // namespace leaf
