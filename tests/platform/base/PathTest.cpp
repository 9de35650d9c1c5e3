#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/base/CString.h"
#include "platform/base/Path.h"
#include "tests/support/TempFolder.h"

namespace path = leaf::path;

namespace {

TEST(PathParts, SplitJoinAndExtension) {
    EXPECT_EQ(path::Normalize("a\\b\\c.htm"), "a/b/c.htm");
    EXPECT_EQ(path::Join("a", "b"), "a/b");
    EXPECT_EQ(path::Join("a/", "b"), "a/b");
    EXPECT_EQ(path::Join("a", "/abs"), "/abs");
    EXPECT_EQ(path::Join("", "b"), "b");
    EXPECT_EQ(path::Join("/", "b"), "/b");
    EXPECT_EQ(path::FolderPart("/x"), "/");
    EXPECT_EQ(path::FolderPart("a/b/c"), "a/b");
    EXPECT_EQ(path::FolderPart("c"), "");
    EXPECT_EQ(path::FilePart("a/b/c.txt"), "c.txt");
    EXPECT_EQ(path::FilePart("c.txt"), "c.txt");
    EXPECT_EQ(path::Extension("a/b/c.tar.gz"), ".gz");
    EXPECT_EQ(path::Extension("a.d/file"), "");
    EXPECT_EQ(path::Extension("noext"), "");
    EXPECT_TRUE(path::IsAbsolute("/a"));
    EXPECT_FALSE(path::IsAbsolute("a/b"));
    EXPECT_FALSE(path::IsAbsolute(""));
}

TEST(PathParts, UnderFolderRespectsSeparatorBoundary) {
    EXPECT_TRUE(path::IsUnderFolder("/book", "/book/x"));
    EXPECT_TRUE(path::IsUnderFolder("/book/", "/book/x"));
    EXPECT_TRUE(path::IsUnderFolder("/book", "/book"));
    EXPECT_FALSE(path::IsUnderFolder("/book", "/booklet/x"));
    EXPECT_FALSE(path::IsUnderFolder("/book", "/boo"));
    EXPECT_FALSE(path::IsUnderFolder("/Book", "/book/x"));
    EXPECT_TRUE(path::IsUnderFolder("/Book", "/book/x", true));
    EXPECT_TRUE(path::IsUnderFolder("/", "/anything"));
    EXPECT_FALSE(path::IsUnderFolder("", "/anything"));
}

TEST(PathParts, LexicallyNormal) {
    EXPECT_EQ(path::LexicallyNormal("/a//b/./c/../d"), "/a/b/d");
    EXPECT_EQ(path::LexicallyNormal("a/../../b"), "../b");
    EXPECT_EQ(path::LexicallyNormal("/../x"), "/x");
    EXPECT_EQ(path::LexicallyNormal("a/.."), ".");
    EXPECT_EQ(path::LexicallyNormal("a/b/"), "a/b/");
}

class PathResolve : public testing::Test {
protected:
    leaf::test::TempFolder folder;
};

TEST_F(PathResolve, FindsExactAndCaseInsensitiveMatches) {
    folder.WriteFile("pics/cover.gif", "gif");
    const std::string root = folder.Path().string();
    EXPECT_EQ(path::Resolve(root + "/pics/cover.gif"), root + "/pics/cover.gif");
    EXPECT_EQ(path::Resolve(root + "/Pics/Cover.GIF"), root + "/pics/cover.gif");
    EXPECT_EQ(path::Resolve(root + "/PICS"), root + "/pics");
    EXPECT_EQ(path::Resolve(root + "/Pics/missing.gif"), std::nullopt);
    EXPECT_EQ(path::Resolve(root + "/pics/cover.gif/x"), std::nullopt);
    EXPECT_EQ(path::Resolve(""), std::nullopt);
}

TEST_F(PathResolve, PrefersFirstSortedMatchAndKeepsRelativePaths) {
    folder.WriteFile("Notes.txt", "upper");
    folder.WriteFile("notes.txt", "lower");
    folder.WriteFile("sub/Page.htm", "page");
    const std::string root = folder.Path().string();
    EXPECT_EQ(path::Resolve(root + "/NOTES.TXT"), root + "/Notes.txt");

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    const auto relative = path::Resolve("SUB/page.HTM");
    std::filesystem::current_path(previous);
    EXPECT_EQ(relative, "sub/Page.htm");
}

// Two files whose names differ only in case: an exact name always wins, another spelling
// falls back to the first match, and a path with nothing on disk is keyed lower-cased.
TEST_F(PathResolve, AnExactNameWinsOverItsOtherSpellings) {
    folder.WriteFile("FAQ.html", "upper");
    folder.WriteFile("faq.html", "lower");
    folder.WriteFile("Pics/a.gif", "upper folder");
    folder.WriteFile("pics/a.gif", "lower folder");
    const std::string root = folder.Path().string();
    EXPECT_EQ(path::Resolve(root + "/faq.html"), root + "/faq.html");
    EXPECT_EQ(path::Resolve(root + "/FAQ.html"), root + "/FAQ.html");
    EXPECT_EQ(path::Resolve(root + "/Faq.HTML"), root + "/FAQ.html");
    EXPECT_EQ(path::Resolve(root + "/pics/A.GIF"), root + "/pics/a.gif");

    EXPECT_EQ(path::CaseKey(root + "/faq.html"), root + "/faq.html");
    EXPECT_EQ(path::CaseKey(root + "/FAQ.html"), root + "/FAQ.html");
    EXPECT_EQ(path::CaseKey(root + "/Faq.HTML"), root + "/FAQ.html");
    EXPECT_EQ(path::CaseKey(root + "/Missing.HTM"), leaf::ToLowerAscii(root + "/Missing.HTM"));
    EXPECT_EQ(path::CaseKey("Chapter.TXT"), "chapter.txt") << "relative paths are not looked up";
}

}  // namespace
