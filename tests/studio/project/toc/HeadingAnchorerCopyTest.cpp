// The anchorer's copy beside the source: a run killed part-way leaves none, and the name
// the copy takes at the end is never one that a file got in the meantime.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/base/File.h"
#include "studio/project/HeadingAnchorer.h"
#include "tests/support/KilledChild.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::vector<CString> kTags{"<h1>", "<h2>"};

// Calls `onEntry` for every heading reported; the run goes on.
struct EntryAction {
    std::function<void(const std::string& text)> onEntry;
    static BOOL OnEntry(int, const CString& text, const CString&, void* context) {
        static_cast<EntryAction*>(context)->onEntry(text.str());
        return TRUE;
    }
};

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadAll(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
    return contents;
}

TEST(HeadingAnchorerCopy, ARunKilledPartWayLeavesTheSourceAndNoCopy) {
    leaf::test::TempFolder folder;
    std::string page = "<h1>One</h1>\n" + std::string(100000, 'x') + "\n<h2>Two</h2>\n";
    const std::string path = folder.WriteFile("ch.htm", page);
    ASSERT_NE(0, leaf::test::RunUntilKilled([&](const leaf::test::KillHere& killHere) {
        EntryAction action{[&](const std::string& text) {
            if (text == "Two") killHere();  // the copy holds everything up to here
        }};
        CHeadingAnchorer anchorer(&EntryAction::OnEntry, nullptr, &action);
        anchorer.AnchorHeadings(path.c_str(), 1, kTags, "TOC");
        _exit(1);
    }));
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"ch.htm"});
    EXPECT_EQ(ReadAll(path), page);
}

TEST(HeadingAnchorerCopy, ANameTakenWhileTheRunWentOnIsLeftToItsFile) {
    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("ch.htm", "<h1>One</h1>");
    EntryAction takeTheName{[&](const std::string&) { folder.WriteFile("ch.001", "the user's"); }};
    CHeadingAnchorer anchorer(&EntryAction::OnEntry, nullptr, &takeTheName);
    ASSERT_TRUE(anchorer.AnchorHeadings(path.c_str(), 1, kTags, "TOC"));
    EXPECT_EQ(ReadAll(path), "<h1 id=\"_LCTOC-1\">One</h1>");
    EXPECT_EQ(ReadAll(folder / "ch.001"), "the user's");
    EXPECT_EQ(Names(folder.Path()), (std::vector<std::string>{"ch.001", "ch.htm"}));

    // A run that replaces nothing removes no file of the copy's name either.
    const std::string plain = folder.WriteFile("plain.htm", "<p>no heading " + std::string(500, 'y') + " here</p>");
    struct MakeTheName {
        std::string name;
        static BOOL OnProgress(LONGLONG, void* context) {
            const std::string& name = static_cast<MakeTheName*>(context)->name;
            if (!fs::exists(name)) leaf::WriteFileAtomically(name, "made meanwhile");
            return TRUE;
        }
    } makeTheName{folder / "plain.001"};
    CHeadingAnchorer quiet(&EntryAction::OnEntry, &MakeTheName::OnProgress, &makeTheName);
    ASSERT_TRUE(quiet.AnchorHeadings(plain.c_str(), 1, kTags, "TOC"));
    EXPECT_EQ(ReadAll(folder / "plain.001"), "made meanwhile");
}

}  // namespace
