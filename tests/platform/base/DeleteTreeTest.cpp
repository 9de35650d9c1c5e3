#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/base/File.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

class DeleteTreeTest : public testing::Test {
protected:
    leaf::test::TempFolder folder;
};

TEST_F(DeleteTreeTest, DeletesNestedTree) {
    folder.WriteFile("work/a/b/c.txt", "c");
    folder.WriteFile("work/.hidden", "h");
    fs::create_directories(folder / "work/empty");
    EXPECT_TRUE(leaf::DeleteTree(folder / "work/"));
    EXPECT_FALSE(fs::exists(folder / "work"));
    EXPECT_TRUE(leaf::DeleteTree(folder / "work"));  // nothing left to delete
}

TEST_F(DeleteTreeTest, RemovesLinksNotTheirTargets) {
    const std::string outside = folder.WriteFile("outside/keep.txt", "keep");
    folder.WriteFile("work/file.txt", "x");
    fs::create_directory_symlink(folder / "outside", folder / "work/linked");
    fs::create_symlink(outside, folder / "work/filelink");
    fs::create_directory_symlink(folder / "outside", folder / "toplink");

    EXPECT_TRUE(leaf::DeleteTree(folder / "work"));
    EXPECT_FALSE(fs::exists(folder / "work"));
    EXPECT_TRUE(leaf::DeleteTree(folder / "toplink"));
    EXPECT_FALSE(fs::is_symlink(folder / "toplink"));
    EXPECT_TRUE(fs::exists(outside));
}

TEST_F(DeleteTreeTest, RefusesDangerousPaths) {
    folder.WriteFile("work/sources/page.htm", "p");
    folder.WriteFile("home/file", "f");
    const std::string work = folder / "work";
    for (const std::string& path : {std::string(), std::string("/"), std::string("//"), work + "/.",
                                    work + "/sources/..", work + "/./", std::string("."), std::string("..")}) {
        EXPECT_FALSE(leaf::DeleteTree(path)) << path;
    }
    EXPECT_FALSE(leaf::DeleteTree(work, {folder / "work/sources/"}));
    EXPECT_FALSE(leaf::DeleteTree(work, {folder / "work"}));
    EXPECT_FALSE(leaf::DeleteTree(folder / "work/sources", {folder / "work/sources"}));
    EXPECT_TRUE(fs::exists(folder / "work/sources/page.htm"));

    const char* previousHome = std::getenv("HOME");
    const std::string savedHome = previousHome ? previousHome : "";
    setenv("HOME", (folder / "home").c_str(), 1);
    const bool deletedHome = leaf::DeleteTree(folder / "home");
    const bool deletedParentOfHome = leaf::DeleteTree(folder.Path().string());
    if (previousHome)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
    EXPECT_FALSE(deletedHome);
    EXPECT_FALSE(deletedParentOfHome);
    EXPECT_TRUE(fs::exists(folder / "home/file"));

    // A protected folder next to the tree does not stop it.
    EXPECT_TRUE(leaf::DeleteTree(work, {folder / "workshop", folder / "home"}));
    EXPECT_FALSE(fs::exists(work));
}

}  // namespace
