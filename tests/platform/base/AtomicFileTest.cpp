#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public testing::Test {
protected:
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
    }
    std::string Contents(const std::string& name) const {
        std::string contents;
        EXPECT_TRUE(leaf::ReadFileBytes(name, contents));
        return contents;
    }

    leaf::test::TempFolder folder;
};

TEST_F(AtomicFileTest, ReplacesContentsAndKeepsPermissions) {
    const std::string name = folder.WriteFile("target.txt", "old");
    ASSERT_EQ(chmod(name.c_str(), 0640), 0);
    ASSERT_TRUE(leaf::WriteFileAtomically(name, "new contents"));
    EXPECT_EQ(Contents(name), "new contents");
    struct stat info;
    ASSERT_EQ(stat(name.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, FailureLeavesOldFileAndNoTemporary) {
    // The target is a folder: the write must fail and leave everything as it was.
    fs::create_directory(folder / "busy");
    EXPECT_FALSE(leaf::WriteFileAtomically(folder / "busy", "x"));
    EXPECT_TRUE(fs::is_directory(folder / "busy"));
    EXPECT_EQ(EntryCount(), 1u);

    // A rename that fails at Commit is reported and cleans up.
    const std::string name = folder / "late.txt";
    leaf::AtomicFile file;
    ASSERT_TRUE(file.Open(name));
    ASSERT_TRUE(file.Write("data"));
    fs::create_directory(name);
    fs::create_directory(name + "/inside");  // a non-empty folder cannot be replaced
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(EntryCount(), 2u);
    EXPECT_TRUE(fs::is_directory(name + "/inside"));
}

TEST_F(AtomicFileTest, ReadOnlyFolderKeepsOldFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    const std::string name = folder.WriteFile("sub/target.txt", "old");
    ASSERT_EQ(chmod((folder / "sub").c_str(), 0555), 0);
    EXPECT_FALSE(leaf::WriteFileAtomically(name, "new"));
    chmod((folder / "sub").c_str(), 0755);
    EXPECT_EQ(Contents(name), "old");
}

TEST_F(AtomicFileTest, ReadOnlyTargetIsNotReplaced) {
    const std::string name = folder.WriteFile("locked.txt", "old");
    ASSERT_TRUE(leaf::SetFileAttributes(name.c_str(), CFile::readOnly));
    EXPECT_FALSE(leaf::WriteFileAtomically(name, "new"));
    EXPECT_EQ(Contents(name), "old");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, UncommittedFileIsDiscarded) {
    const std::string name = folder.WriteFile("keep.txt", "old");
    {
        leaf::AtomicFile file;
        ASSERT_TRUE(file.Open(name));
        ASSERT_TRUE(file.Write("half"));
    }
    EXPECT_EQ(Contents(name), "old");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(AtomicFileTest, WriteThroughSymbolicLinkKeepsLink) {
    const std::string real = folder.WriteFile("real.txt", "old");
    fs::create_symlink(real, folder / "link.txt");
    ASSERT_TRUE(leaf::WriteFileAtomically(folder / "link.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt"));
    EXPECT_EQ(Contents(real), "new");
}

TEST_F(AtomicFileTest, CommitReportsWriteFailure) {
    leaf::AtomicFile file;
    EXPECT_FALSE(file.Commit());  // never opened
    ASSERT_TRUE(file.Open(folder / "x.txt"));
    file.Discard();
    EXPECT_FALSE(file.Commit());
    EXPECT_FALSE(fs::exists(folder / "x.txt"));
}

TEST_F(AtomicFileTest, CopyFileBytes) {
    const std::string source = folder.WriteFile("Source.bin", std::string("a\0b", 3));
    const std::string copy = folder / "copy.bin";
    ASSERT_TRUE(leaf::CopyFileBytes(folder / "source.BIN", copy, true));
    EXPECT_EQ(Contents(copy), std::string("a\0b", 3));
    folder.WriteFile("other.bin", "other");
    EXPECT_FALSE(leaf::CopyFileBytes(folder / "other.bin", copy, true));
    EXPECT_EQ(Contents(copy), std::string("a\0b", 3));
    EXPECT_TRUE(leaf::CopyFileBytes(folder / "other.bin", copy, false));
    EXPECT_EQ(Contents(copy), "other");
    EXPECT_FALSE(leaf::CopyFileBytes(folder / "missing", folder / "m2", false));
    EXPECT_EQ(EntryCount(), 3u);
}

// Only a regular file is replaced: a FIFO or socket under the name (or behind a link)
// is left as it is and the write is refused.
TEST_F(AtomicFileTest, SpecialFilesAreNotReplaced) {
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string link = folder / "to-pipe";
    ASSERT_EQ(symlink("pipe", link.c_str()), 0);
    const std::string socketPath = folder / "socket";
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    // A device node too (one of /dev/null's kind), where this process may make one.
    const std::string device = folder / "device";
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::vector<std::string> targets = {fifo, link, socketPath};
    if (haveDevice)
        targets.push_back(device);
    for (const std::string& target : targets) {
        leaf::AtomicFile file;
        EXPECT_FALSE(file.Open(target)) << target;
        EXPECT_EQ(file.LastError(), leaf::kNotRegularFileError) << target;
        EXPECT_FALSE(leaf::WriteFileAtomically(target, "x")) << target;
        folder.WriteFile("source", "x");
        EXPECT_FALSE(leaf::CopyFileBytes(folder / "source", target, false)) << target;
        fs::remove(folder / "source");
    }
    ::close(server);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_socket(socketPath));
    if (haveDevice) {
        EXPECT_TRUE(fs::is_character_file(device));
    }
    EXPECT_EQ(EntryCount(), haveDevice ? 4u : 3u) << "no temporary is left";
}

// Commit looks at the target again: a FIFO or a folder put under its name since Open (in
// place of the old file or of nothing) is left as it is and the commit refused.
TEST_F(AtomicFileTest, CommitRefusesWhatIsNoLongerAFile) {
    struct Case {
        const char* kind;
        int (*make)(const char* path);
        int error;
    };
    const Case cases[] = {
        {"FIFO", [](const char* path) { return mkfifo(path, 0644); }, leaf::kNotRegularFileError},
        {"folder", [](const char* path) { return mkdir(path, 0755); }, EISDIR},
    };
    for (const Case& test : cases) {
        for (const bool replacing : {false, true}) {
            const std::string target = folder / "book.lcp";
            if (replacing)
                folder.WriteFile("book.lcp", "old");
            leaf::AtomicFile file;
            ASSERT_TRUE(file.Open(target)) << test.kind;
            ASSERT_TRUE(file.Write("new"));
            fs::remove(target);
            ASSERT_EQ(test.make(target.c_str()), 0) << test.kind;
            EXPECT_FALSE(file.Commit()) << test.kind << (replacing ? " in place of a file" : "");
            EXPECT_EQ(file.LastError(), test.error) << test.kind;
            EXPECT_EQ(fs::status(target).type(), test.error == EISDIR ? fs::file_type::directory : fs::file_type::fifo);
            EXPECT_EQ(EntryCount(), 1u) << "no temporary is left";
            fs::remove(target);
        }
    }
}

// A writer killed before it commits leaves no temporary beside the target.
TEST_F(AtomicFileTest, AKilledWriterLeavesNothingBehind) {
    const std::string name = folder.WriteFile("project.lcp", "old");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        leaf::AtomicFile file;
        if (file.Open(name) && file.Write("half of the new"))
            kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer could not open its file";
    EXPECT_EQ(Contents(name), "old");
    EXPECT_EQ(EntryCount(), 1u);
}

// Named temporaries that a dead process of ours left (where no unnamed file could be
// made, or where a commit was cut short before its rename) are removed by the next write
// that replaces the file; nothing else is touched.
TEST_F(AtomicFileTest, StaleTemporariesOfDeadProcessesAreRemoved) {
    folder.WriteFile("book.lcp", "saved before");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(0);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    const std::string live = std::to_string(getpid());
    folder.WriteFile(".book.lcp.tmp" + dead + "-0-17", "stale");
    folder.WriteFile(".book.lcp.tmp" + live + "-3-5", "in use by this process");
    folder.WriteFile(".book.lcp.tmp" + dead + "x-0-1", "not a temporary's name");
    folder.WriteFile(".other.lcp.tmp" + dead + "-0-1", "another file's");
    fs::create_directory(folder / (".book.lcp.tmp" + dead + "-0-18"));

    ASSERT_TRUE(leaf::WriteFileAtomically(folder / "book.lcp", "saved"));
    EXPECT_FALSE(fs::exists(folder / (".book.lcp.tmp" + dead + "-0-17")));
    EXPECT_TRUE(fs::exists(folder / (".book.lcp.tmp" + live + "-3-5")));
    EXPECT_TRUE(fs::exists(folder / (".book.lcp.tmp" + dead + "x-0-1")));
    EXPECT_TRUE(fs::exists(folder / (".other.lcp.tmp" + dead + "-0-1")));
    EXPECT_TRUE(fs::is_directory(folder / (".book.lcp.tmp" + dead + "-0-18")));
    EXPECT_EQ(Contents(folder / "book.lcp"), "saved");
    EXPECT_EQ(EntryCount(), 5u);
}

// Of two files whose names differ only in case, the one named exactly is replaced.
TEST_F(AtomicFileTest, AnExactNameWinsOverItsOtherSpelling) {
    const std::string upper = folder.WriteFile("FAQ.html", "upper");
    const std::string lower = folder.WriteFile("faq.html", "lower");
    ASSERT_TRUE(leaf::WriteFileAtomically(lower, "new lower"));
    EXPECT_EQ(Contents(upper), "upper");
    EXPECT_EQ(Contents(lower), "new lower");
}

// A write names its file as spelled: saving "book.lcp" beside "Book.lcp" makes a second
// file, while a folder of the path may still be spelled otherwise; copies behave alike.
TEST_F(AtomicFileTest, ANewNameNeverReplacesAnotherSpellingsFile) {
    const std::string existing = folder.WriteFile("Books/Book.lcp", "the other project");
    leaf::AtomicFile file;
    ASSERT_TRUE(file.Open(folder / "BOOKS/book.lcp"));
    EXPECT_EQ(file.TargetPath(), folder / "Books/book.lcp");
    ASSERT_TRUE(file.Write("saved") && file.Commit());
    EXPECT_EQ(Contents(existing), "the other project");
    EXPECT_EQ(Contents(folder / "Books/book.lcp"), "saved");

    const std::string source = folder.WriteFile("source.txt", "copied");
    ASSERT_TRUE(leaf::CopyFileBytes(source, folder / "books/BOOK.lcp", false));
    EXPECT_EQ(Contents(existing), "the other project");
    EXPECT_EQ(Contents(folder / "Books/BOOK.lcp"), "copied");
    EXPECT_FALSE(leaf::CopyFileBytes(source, folder / "Books/Book.lcp", true)) << "an exact name exists";
}

}  // namespace
