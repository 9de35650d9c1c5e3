// The command of a desktop entry, as the stand-in starts the desktop's e-book
// application without a book.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "outside/reader/DesktopApplications.h"
#include "tests/support/TempFolder.h"

namespace {

using Command = std::vector<std::string>;

TEST(DesktopEntryTest, ExecValuesSplitByTheEntryQuotingWithoutFieldCodes) {
    struct Case {
        const char* exec;
        Command expected;
    };
    const Case cases[] = {
        {"viewer %f", {"viewer"}},
        {"viewer --detach %U", {"viewer", "--detach"}},
        {"\"/opt/my viewer/bin/view\" %i %c %k", {"/opt/my viewer/bin/view"}},
        {"view --open=%u --x", {"view", "--open=", "--x"}},
        {"sh -c \"echo \\\"a\\$b\\\" \\\\ \\`\"", {"sh", "-c", "echo \"a$b\" \\ `"}},
        {"app 100%% %%f", {"app", "100%", "%f"}},
        {"  app\t\ttwo  ", {"app", "two"}},
        {"app \"two words\"x", {"app", "two wordsx"}},
        {"app \"unclosed", {"app", "unclosed"}},
        {"app %", {"app", "%"}},
        {"", {}},
        {"%F", {}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(reader::SplitExecValue(test.exec), test.expected) << test.exec;
}

TEST(DesktopEntryTest, TheCommandIsTheExecKeyOfTheMainGroup) {
    struct Case {
        const char* entry;
        Command expected;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nName=Viewer\nExec=viewer %f\n", {"viewer"}},
        {"[Desktop Entry]\r\nExec = viewer --new\r\n", {"viewer", "--new"}},
        // String escapes of the file come off before the command line is split.
        {"[Desktop Entry]\nExec=\"/opt/a\\sb/view\" \"x\\\\\"y\"\n", {"/opt/a b/view", "x\"y"}},
        // Actions and other groups have commands of their own.
        {"[Desktop Action new]\nExec=other\n[Desktop Entry]\nExec=viewer\n", {"viewer"}},
        {"[Desktop Entry]\nTryExec=viewer\nExecutable=x\n[Desktop Action a]\nExec=other\n", {}},
        {"Exec=outside-any-group\n", {}},
        {"", {}},
    };
    for (const Case& test : cases)
        EXPECT_EQ(reader::LaunchCommandFromEntry(test.entry), test.expected) << test.entry;
}

// An empty desktop entry at `path`, with its folders; the path.
std::string WriteEntry(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "[Desktop Entry]\n";
    return path.string();
}

TEST(DesktopEntryTest, EntriesAreFoundByIdInTheUsersFolderFirst) {
    leaf::test::ScopedFolderVariable home("XDG_DATA_HOME");
    leaf::test::ScopedFolderVariable system("XDG_DATA_DIRS");
    const std::filesystem::path systemApplications = std::filesystem::path(system.Path()) / "applications";
    // A '-' of the id may stand for a sub-folder, wherever it stands.
    std::string nested = WriteEntry(systemApplications / "org-example/viewer.desktop");
    std::string deep = WriteEntry(systemApplications / "kde/apps/reader.desktop");
    EXPECT_EQ(reader::FindDesktopEntry("org-example-viewer.desktop"), nested);
    EXPECT_EQ(reader::FindDesktopEntry("kde-apps-reader.desktop"), deep);
    EXPECT_EQ(reader::FindDesktopEntry("missing.desktop"), "");
    EXPECT_EQ(reader::FindDesktopEntry("../applications/kde/apps/reader.desktop"), "") << "ids hold no path";

    std::string own = WriteEntry(std::filesystem::path(home.Path()) / "applications/org-example-viewer.desktop");
    EXPECT_EQ(reader::FindDesktopEntry("org-example-viewer.desktop"), own);
}

}  // namespace
