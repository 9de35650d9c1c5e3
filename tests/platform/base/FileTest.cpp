#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "tests/support/TempFolder.h"

namespace {

class FileTest : public testing::Test {
protected:
    leaf::test::TempFolder folder;
};

TEST_F(FileTest, WriteReadSeekAndLength) {
    const std::string name = folder / "data.bin";
    CFile file;
    ASSERT_TRUE(file.Open(name.c_str(), CFile::modeCreate | CFile::modeReadWrite));
    file.Write("hello world", 11);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.Seek(6, CFile::begin), 6u);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5u);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(file.Seek(-5, CFile::end), 6u);
    file.SetLength(3);
    EXPECT_EQ(file.GetLength(), 3u);
    EXPECT_EQ(file.GetFileName(), "data.bin");
    EXPECT_THROW(file.Seek(-100, CFile::current), CFileException);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_THROW(file.Read(buffer, 1), CFileException);
}

TEST_F(FileTest, CreateTruncatesUnlessNoTruncate) {
    const std::string name = folder.WriteFile("keep.txt", "contents");
    {
        CFile file(name.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
        EXPECT_EQ(file.GetLength(), 8u);
    }
    CFile file(name.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(file.GetLength(), 0u);
}

TEST_F(FileTest, OpenFailuresReportCause) {
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open((folder / "missing.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_NE(std::string(error.what()).find("missing.txt"), std::string::npos);
    EXPECT_FALSE(file.Open(folder.Path().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_THROW(CFile((folder / "nope/x").c_str(), CFile::modeRead), CFileException);
}

TEST_F(FileTest, OpensCaseInsensitiveMatchAndReportsDiskSpelling) {
    folder.WriteFile("Pics/cover.gif", "GIF89a");
    CFile file;
    ASSERT_TRUE(file.Open((folder / "pics/COVER.gif").c_str(), CFile::modeRead));
    EXPECT_EQ(file.GetFilePath(), folder / "Pics/cover.gif");
    ASSERT_TRUE(file.Open((folder / "PICS/new.txt").c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(file.GetFilePath(), folder / "Pics/new.txt");
}

// Creating a file takes its name as spelled (its folders may still differ in case), so a
// file whose name differs only in case is neither emptied nor written over; opening an
// existing file to write in place still finds its other spelling.
TEST_F(FileTest, CreatingNeverTakesAnotherSpellingsFile) {
    const std::string existing = folder.WriteFile("Pics/Book.lcp", "the other project");
    for (const UINT flags : {CFile::modeCreate | CFile::modeWrite,
                             CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite}) {
        CFile file;
        ASSERT_TRUE(file.Open((folder / "PICS/book.lcp").c_str(), flags));
        EXPECT_EQ(file.GetFilePath(), folder / "Pics/book.lcp");
        file.SetLength(0);
        file.Write("new", 3);
    }
    std::string contents;
    ASSERT_TRUE(leaf::ReadFileBytes(existing, contents));
    EXPECT_EQ(contents, "the other project");
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "Pics/book.lcp", contents));
    EXPECT_EQ(contents, "new");

    folder.WriteFile("Pics/Notes.txt", "notes");
    CFile inPlace;
    ASSERT_TRUE(inPlace.Open((folder / "pics/NOTES.TXT").c_str(), CFile::modeReadWrite));
    EXPECT_EQ(inPlace.GetFilePath(), folder / "Pics/Notes.txt");
}

TEST_F(FileTest, DiskFullIsReported) {
    // A file-size limit makes a write fail as a full disk would (EFBIG), on a regular file.
    struct rlimit previous;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousAction;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    CFile file((folder / "full.bin").c_str(), CFile::modeCreate | CFile::modeWrite);
    struct rlimit limit = previous;
    limit.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    int cause = CFileException::none;
    try {
        file.Write("12345678", 8);
    } catch (const CFileException& error) {
        cause = error.m_cause;
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    sigaction(SIGXFSZ, &previousAction, nullptr);
    EXPECT_EQ(cause, CFileException::diskFull);
}

// A FIFO, a socket or a device is no file: opening one is refused before anything can
// block (a FIFO's open waits for a writer) or act on a device.
TEST_F(FileTest, SpecialFilesAreRefusedWithoutBeingOpened) {
    const std::string fifo = folder / "pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // A writer is held open, so that an open that does not refuse returns instead of waiting.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    CFile file;
    CFileException error;
    ASSERT_FALSE(file.Open(fifo.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_EQ(error.m_lOsError, leaf::kNotRegularFileError);
    EXPECT_FALSE(file.Open((folder / "PIPE.TXT").c_str(), CFile::modeRead)) << "nor through its other spelling";
    EXPECT_EQ(leaf::KindOfFileFound(folder / "PIPE.TXT"), leaf::FileKind::Special);
    EXPECT_EQ(leaf::KindOfFileFound(folder / "none.txt"), leaf::FileKind::Missing);
    EXPECT_FALSE(file.Open(fifo.c_str(), CFile::modeCreate | CFile::modeWrite));
    std::string contents;
    EXPECT_FALSE(leaf::ReadFileBytes(fifo, contents));
    EXPECT_FALSE(leaf::CopyFileBytes(fifo, folder / "copy.txt", false));
    EXPECT_FALSE(std::filesystem::exists(folder / "copy.txt"));
    ::close(writer);

    const std::string link = folder / "null.txt";
    ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
    EXPECT_FALSE(file.Open(link.c_str(), CFile::modeRead));
    EXPECT_FALSE(file.Open(link.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(leaf::KindOfFile(link), leaf::FileKind::Special);

    EXPECT_FALSE(file.Open(folder.Path().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_lOsError, EISDIR);
}

TEST_F(FileTest, IdentityFollowsLinksAndTellsFilesApart) {
    const std::string upper = folder.WriteFile("FAQ.html", "upper");
    const std::string lower = folder.WriteFile("faq.html", "lower");
    const std::string hard = folder / "hard.html";
    ASSERT_EQ(link(upper.c_str(), hard.c_str()), 0);
    const std::string soft = folder / "soft.html";
    ASSERT_EQ(symlink("FAQ.html", soft.c_str()), 0);
    EXPECT_TRUE(leaf::IsSameFile(upper, hard));
    EXPECT_TRUE(leaf::IsSameFile(upper, soft));
    EXPECT_TRUE(leaf::IsSameFile(upper, folder / "./FAQ.html"));
    EXPECT_FALSE(leaf::IsSameFile(upper, lower));
    EXPECT_FALSE(leaf::IsSameFile(folder / "missing", folder / "missing"));
    EXPECT_EQ(leaf::KindOfFile(upper), leaf::FileKind::Regular);
    EXPECT_EQ(leaf::KindOfFile(folder.Path().string()), leaf::FileKind::Folder);
    EXPECT_EQ(leaf::KindOfFile(folder / "missing"), leaf::FileKind::Missing);

    // Two files whose names differ only in case are two files; an exact name wins.
    CFile file;
    char buffer[8] = {};
    ASSERT_TRUE(file.Open(lower.c_str(), CFile::modeRead));
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_STREQ(buffer, "lower");
    EXPECT_EQ(file.GetFilePath(), lower);
}

TEST_F(FileTest, StatusAttributesAndRenameRemove) {
    const std::string name = folder.WriteFile(".hidden", "12345");
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(name.c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(status.m_szFullName, name);
    EXPECT_TRUE(status.m_attribute & CFile::hidden);
    EXPECT_FALSE(status.m_attribute & CFile::readOnly);

    ASSERT_TRUE(leaf::SetFileAttributes(name.c_str(), CFile::readOnly | CFile::archive));
    ASSERT_TRUE(CFile::GetStatus(name.c_str(), status));
    EXPECT_TRUE(status.m_attribute & CFile::readOnly);
    struct stat info;
    ASSERT_EQ(stat(name.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & S_IWUSR, 0u);
    ASSERT_TRUE(leaf::SetFileAttributes(name.c_str(), CFile::normal));
    ASSERT_TRUE(CFile::GetStatus(name.c_str(), status));
    EXPECT_FALSE(status.m_attribute & (CFile::readOnly | CFile::archive));

    ASSERT_TRUE(CFile::GetStatus(folder.Path().c_str(), status));
    EXPECT_TRUE(status.m_attribute & CFile::directory);
    EXPECT_FALSE(CFile::GetStatus((folder / "none").c_str(), status));

    const std::string moved = folder / "moved";
    CFile::Rename(name.c_str(), moved.c_str());
    EXPECT_FALSE(CFile::GetStatus(name.c_str(), status));
    CFile::Remove(moved.c_str());
    EXPECT_FALSE(CFile::GetStatus(moved.c_str(), status));
    EXPECT_THROW(CFile::Remove(moved.c_str()), CFileException);
    EXPECT_THROW(CFile::Remove(folder.Path().c_str()), CFileException);
}

TEST_F(FileTest, ArchiveBitIsKeptWhereExtendedAttributesWork) {
    const std::string name = folder.WriteFile("a.txt", "x");
    ASSERT_TRUE(leaf::SetFileAttributes(name.c_str(), CFile::archive | CFile::system));
    BYTE attributes = 0;
    ASSERT_TRUE(leaf::GetFileAttributes(name.c_str(), attributes));
    if (attributes == 0)
        GTEST_SKIP() << "the temporary folder's file system keeps no extended attributes";
    EXPECT_EQ(attributes, CFile::archive | CFile::system);
}

TEST_F(FileTest, MovedFileKeepsDescriptor) {
    const std::string name = folder.WriteFile("m.txt", "abc");
    CFile first(name.c_str(), CFile::modeRead);
    CFile second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    char buffer[3];
    EXPECT_EQ(second.Read(buffer, 3), 3u);
}

class StdioFileTest : public FileTest {};

TEST_F(StdioFileTest, ReadsCrLfAndLfLines) {
    const std::string name = folder.WriteFile("lines.txt", "a\r\nb\n\nlast\r");
    CStdioFile file(name.c_str(), CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "a");
    EXPECT_EQ(file.GetPosition(), 3u);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "b");
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "last\r");  // only a \r\n pair is a line end
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_FALSE(file.ReadString(line));
}

TEST_F(StdioFileTest, ReadsLinesLongerThanTheBuffer) {
    std::string longLine(100 * 1024, 'x');
    longLine[70000] = 'y';
    const std::string crAtBoundary = std::string(64 * 1024 - 1, 'z') + "\r\nend";
    const std::string name = folder.WriteFile("long.txt", longLine + "\n" + crAtBoundary);
    CStdioFile file(name.c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line.str(), longLine);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line.GetLength(), 64 * 1024 - 1);
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_EQ(line, "end");
    EXPECT_FALSE(file.ReadString(line));
}

TEST_F(StdioFileTest, WritesAsGivenAndMixesWithSeek) {
    const std::string name = folder / "out.txt";
    {
        CStdioFile file(name.c_str(), CFile::modeCreate | CFile::modeReadWrite);
        file.WriteString("one\ntwo\n");
        EXPECT_EQ(file.GetPosition(), 8u);
        EXPECT_EQ(file.GetLength(), 8u);
        file.SeekToBegin();
        CString line;
        ASSERT_TRUE(file.ReadString(line));
        EXPECT_EQ(line, "one");
        file.WriteString("TWO");  // overwrites at the reading position
        file.Close();
    }
    std::string contents;
    ASSERT_TRUE(leaf::ReadFileBytes(name, contents));
    EXPECT_EQ(contents, "one\nTWO\n");
}

}  // namespace
