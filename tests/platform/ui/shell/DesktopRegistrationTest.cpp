// Registering a file type with the desktop: the MIME package and the desktop entry in the
// user's data folder, written only when what is there differs, and the quoting of the
// program's path in the entry's Exec key.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "platform/base/File.h"
#include "platform/ui/shell/DesktopRegistration.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {
namespace {

const ui::DesktopFileType kType{"example", "<mime-info/>\n", "example-app", "[Desktop Entry]\nName=Example\n"};

// The file's inode: a rewrite (atomic, by renaming a new file into place) changes it.
ino_t Inode(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

std::string Read(const std::string& path) {
    std::string contents;
    ReadFileBytes(path, contents);
    return contents;
}

class DesktopRegistrationTest : public testing::Test {
protected:
    DesktopRegistrationTest() {
        // No system folder holds the type unless a test puts it there.
        setenv("XDG_DATA_DIRS", m_system.Path().c_str(), 1);
    }
    ~DesktopRegistrationTest() override {
        m_previousDirs ? setenv("XDG_DATA_DIRS", m_previousDirsText.c_str(), 1) : unsetenv("XDG_DATA_DIRS");
    }

    std::string MimeFile() const { return m_data.Path() + "/mime/packages/example.xml"; }
    std::string EntryFile() const { return m_data.Path() + "/applications/example-app.desktop"; }

    const char* m_previousDirs = std::getenv("XDG_DATA_DIRS");
    std::string m_previousDirsText = m_previousDirs ? m_previousDirs : "";
    ScopedFolderVariable m_data{"XDG_DATA_HOME"};
    TempFolder m_system;
};

TEST_F(DesktopRegistrationTest, WritesBothFilesOnceAndRewritesOnlyWhatChanged) {
    EXPECT_EQ(ui::DesktopDataHome(), m_data.Path());
    ui::DesktopRegistration first = ui::RegisterDesktopFileType(kType);
    EXPECT_TRUE(first.succeeded);
    EXPECT_TRUE(first.wroteMimeInfo);
    EXPECT_TRUE(first.wroteEntry);
    EXPECT_EQ(Read(MimeFile()), kType.mimeInfo);
    EXPECT_EQ(Read(EntryFile()), kType.entryText);
    ino_t mimeInode = Inode(MimeFile());
    ino_t entryInode = Inode(EntryFile());

    ui::DesktopRegistration again = ui::RegisterDesktopFileType(kType);
    EXPECT_TRUE(again.succeeded);
    EXPECT_FALSE(again.wroteMimeInfo);
    EXPECT_FALSE(again.wroteEntry);
    EXPECT_EQ(Inode(MimeFile()), mimeInode) << "an unchanged package is not written again";
    EXPECT_EQ(Inode(EntryFile()), entryInode) << "an unchanged entry is not written again";

    // An entry left by another copy of the program is brought up to date; the package stays.
    ASSERT_TRUE(WriteFileAtomically(EntryFile(), "[Desktop Entry]\nName=Old\n"));
    ui::DesktopRegistration changed = ui::RegisterDesktopFileType(kType);
    EXPECT_FALSE(changed.wroteMimeInfo);
    EXPECT_TRUE(changed.wroteEntry);
    EXPECT_EQ(Read(EntryFile()), kType.entryText);
    EXPECT_EQ(Inode(MimeFile()), mimeInode);
}

TEST_F(DesktopRegistrationTest, TheMimeDatabaseIsCompiledAfterAWrite) {
    if (std::system("command -v update-mime-database >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "update-mime-database is not installed";
    ui::DesktopFileType type = kType;
    type.mimeInfo =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-example\"><comment>Example</comment><glob pattern=\"*.exq\"/></mime-type>\n"
        "</mime-info>\n";
    ASSERT_TRUE(ui::RegisterDesktopFileType(type).succeeded);
    EXPECT_NE(Read(m_data.Path() + "/mime/globs2").find("application/x-example:*.exq"), std::string::npos);
}

TEST_F(DesktopRegistrationTest, AnIdenticalSystemCopyCountsAsRegistered) {
    std::string systemEntry = m_system.WriteFile("applications/example-app.desktop", kType.entryText);
    m_system.WriteFile("mime/packages/example.xml", kType.mimeInfo);
    ui::DesktopRegistration result = ui::RegisterDesktopFileType(kType);
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.wroteEntry);
    EXPECT_FALSE(result.wroteMimeInfo);
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));

    // A system copy that differs does not stand in for the user's own.
    ASSERT_TRUE(WriteFileAtomically(systemEntry, "[Desktop Entry]\nName=Other\n"));
    EXPECT_TRUE(ui::RegisterDesktopFileType(kType).wroteEntry);
    EXPECT_EQ(Read(EntryFile()), kType.entryText);
}

TEST_F(DesktopRegistrationTest, AFolderInTheWayIsReportedAsAFailure) {
    std::filesystem::create_directories(EntryFile());
    ui::DesktopRegistration result = ui::RegisterDesktopFileType(kType);
    EXPECT_FALSE(result.succeeded);
    EXPECT_FALSE(result.wroteEntry);
    EXPECT_TRUE(result.wroteMimeInfo);
}

TEST_F(DesktopRegistrationTest, UnregisteringTakesBackOnlyItsOwnFiles) {
    // Another copy of the program registered the type: its entry and the package stay.
    ASSERT_TRUE(ui::RegisterDesktopFileType(kType).succeeded);
    ui::DesktopFileType other = kType;
    other.entryText = "[Desktop Entry]\nExec=/elsewhere/example %f\n";
    EXPECT_TRUE(ui::UnregisterDesktopFileType(other));
    EXPECT_EQ(Read(EntryFile()), kType.entryText);
    EXPECT_EQ(Read(MimeFile()), kType.mimeInfo);

    // Its own registration goes, entry and package; once gone, unregistering again is no error.
    EXPECT_TRUE(ui::UnregisterDesktopFileType(kType));
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    EXPECT_FALSE(std::filesystem::exists(MimeFile()));
    EXPECT_TRUE(ui::UnregisterDesktopFileType(kType));
}

TEST(DesktopDataHomeTest, FallsBackToTheHomeFolderForARelativeOrMissingSetting) {
    ScopedFolderVariable data("XDG_DATA_HOME");
    ScopedFolderVariable home("HOME");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(ui::DesktopDataHome(), home.Path() + "/.local/share");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ui::DesktopDataHome(), home.Path() + "/.local/share");

    // A relative home is no place to register in: nothing is written (relative to the
    // current folder, or at the root).
    TempFolder current;
    std::string previous = std::filesystem::current_path().string();
    std::filesystem::current_path(current.Path());
    setenv("HOME", "relative-home", 1);
    EXPECT_EQ(ui::DesktopDataHome(), "");
    EXPECT_FALSE(ui::RegisterDesktopFileType(kType).succeeded);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(current.Path()));
}

TEST(QuoteDesktopExecArgumentTest, QuotesAndEscapesAsTheEntryFormatAsks) {
    struct Case {
        const char* argument;
        const char* expected;
    };
    const Case cases[] = {
        {"/usr/lib/leafcraft/leafstudio", "/usr/lib/leafcraft/leafstudio"},
        {"/home/a b/leafstudio", "\"/home/a b/leafstudio\""},
        {"/opt/100%/leafstudio", "\"/opt/100%%/leafstudio\""},
        {"/opt/x\"y/leafstudio", "\"/opt/x\\\\\"y/leafstudio\""},
        {"/opt/$HOME/`id`", "\"/opt/\\\\$HOME/\\\\`id\\\\`\""},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
        {"", "\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::QuoteDesktopExecArgument(c.argument), c.expected) << c.argument;
}

}  // namespace
}  // namespace leaf::test
