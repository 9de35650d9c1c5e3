#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/base/File.h"
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

}  // namespace
