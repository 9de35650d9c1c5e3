// Scratch folders marked by their owner: a folder whose owner was killed is stale and goes;
// the user's folders, a live owner's and anything reached through a link stay.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/base/ScratchFolder.h"
#include "tests/support/KilledChild.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

bool StartsWithWork(std::string_view name) { return name.starts_with("work."); }

// A folder marked by a child that was then killed.
std::string KilledOwnersFolder(const leaf::test::TempFolder& parent, const std::string& name) {
    const std::string folder = parent / name;
    fs::create_directories(folder + "/sub");
    std::ofstream(folder + "/sub/page.htm") << "page";
    const pid_t child = leaf::test::RunUntilKilled([&] {
        static leaf::ScratchFolderOwner owner;  // still held when the child is killed
        if (!owner.Claim(folder))
            _exit(1);
    });
    EXPECT_NE(0, child);
    return folder;
}

TEST(ScratchFolder, AKilledOwnersFolderIsStaleAndGoesOthersStay) {
    leaf::test::TempFolder parent;
    const std::string killed = KilledOwnersFolder(parent, "work.1");
    ASSERT_TRUE(fs::exists(killed + "/" + leaf::kScratchFolderMark));
    EXPECT_TRUE(leaf::IsStaleScratchFolder(killed));

    // Look-alikes that are not a dead owner's: no mark, a live owner (this process), a
    // mark that is a link to a dead owner's, a link to the stale folder, a mark that is
    // not a process id, and a stale folder whose name the caller does not accept.
    fs::create_directories(parent / "work.unmarked");
    std::ofstream(parent / "work.unmarked/keep") << "mine";
    fs::create_directories(parent / "work.live");
    leaf::ScratchFolderOwner live;
    ASSERT_TRUE(live.Claim(parent / "work.live"));
    fs::create_directories(parent / "work.linkedmark");
    fs::create_symlink(killed + "/" + leaf::kScratchFolderMark,
                       parent / ("work.linkedmark/" + std::string(leaf::kScratchFolderMark)));
    fs::create_directory_symlink(killed, parent / "work.link");
    fs::create_directories(parent / "work.text");
    std::ofstream(parent / ("work.text/" + std::string(leaf::kScratchFolderMark))) << "12x\n";
    const std::string otherName = KilledOwnersFolder(parent, "other");

    leaf::RemoveStaleScratchFolders(parent.Path().string(), StartsWithWork);

    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(parent / "work.unmarked/keep"));
    EXPECT_TRUE(fs::exists(parent / "work.live"));
    EXPECT_TRUE(fs::exists(parent / "work.linkedmark"));
    EXPECT_TRUE(fs::is_symlink(parent / "work.link"));
    EXPECT_TRUE(fs::exists(parent / "work.text"));
    EXPECT_TRUE(fs::exists(otherName + "/sub/page.htm"));
}

TEST(ScratchFolder, ALockedMarkIsNeverStaleWhateverItsProcessId) {
    // An owner in another process-id space: its id names no process here, but it holds
    // the lock.
    leaf::test::TempFolder parent;
    const std::string folder = parent / "work.locked";
    fs::create_directories(folder);
    const std::string mark = folder + "/" + leaf::kScratchFolderMark;
    std::ofstream(mark) << "2147483000\n";
    const int fd = ::open(mark.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, flock(fd, LOCK_EX));
    EXPECT_EQ(2147483000, leaf::ScratchFolderMarkOwner(folder));
    EXPECT_FALSE(leaf::IsStaleScratchFolder(folder));
    EXPECT_TRUE(leaf::IsHeldScratchFolder(folder));
    leaf::RemoveStaleScratchFolders(parent.Path().string(), StartsWithWork);
    EXPECT_TRUE(fs::exists(folder));
    ::close(fd);
    EXPECT_TRUE(leaf::IsStaleScratchFolder(folder));
    EXPECT_FALSE(leaf::IsHeldScratchFolder(folder));
}

TEST(ScratchFolder, OwnerClaimsOnlyUnmarkedFoldersAndReleaseRemovesTheMark) {
    leaf::test::TempFolder parent;
    const std::string folder = parent / "work.own";
    fs::create_directories(folder);
    leaf::ScratchFolderOwner first;
    ASSERT_TRUE(first.Claim(folder));
    EXPECT_EQ(getpid(), leaf::ScratchFolderMarkOwner(folder));
    leaf::ScratchFolderOwner second;
    EXPECT_FALSE(second.Claim(folder));
    EXPECT_TRUE(leaf::IsHeldScratchFolder(folder)) << "held by an owner in this process";
    // Unlocked, the folder is still this live process's, but nobody uses it now.
    first.Unlock();
    EXPECT_FALSE(leaf::IsStaleScratchFolder(folder));
    EXPECT_FALSE(leaf::IsHeldScratchFolder(folder));
    first.Release();
    EXPECT_FALSE(fs::exists(folder + "/" + leaf::kScratchFolderMark));
    EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
