// Auto-save: copies in the temporary folder, numbered and replaced in turn, recorded
// under the frame's key, written on the timer and cleared with the project.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry/RegistryKey.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/AutoSaveLock.h"
#include "studio/workspace/MainFrame.h"
#include "tests/studio/workspace/app/AppFixture.h"

namespace fs = std::filesystem;
using leaf::test::AppFixture;

namespace {

class AutoSave : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(Start());
        Document()->AddSourceFile(WriteSource("a.htm").c_str(), 0);
    }
    CString RecordedPath() const {
        return leaf::GetAppProfileString(Frame()->GetAutoSaveKey().c_str(), "Path", "<none>");
    }
    std::vector<std::string> Copies() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_temp.Path()))
            if (entry.path().extension() == ".tmp") names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(AutoSave, TheKeyIsNamedAfterTheFrame) {
    CString key = Frame()->GetAutoSaveKey();
    EXPECT_EQ(key.Left(12), "Auto-save\\0x");
    EXPECT_EQ(key.GetLength(), 20);
}

TEST_F(AutoSave, EachCopyReplacesThePreviousOne) {
    Frame()->AutoSave();
    std::vector<std::string> first = Copies();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(RecordedPath(), (m_temp.Path() / first[0]).string().c_str());
    Frame()->AutoSave();
    std::vector<std::string> second = Copies();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second[0], first[0]);
    // The copy holds the project.
    CLeafcraftDoc copy;
    ASSERT_TRUE(copy.SerializeToPath((m_temp.Path() / second[0]).string().c_str(), TRUE));
    EXPECT_EQ(copy.GetSourceCount(), 1);
    // Taking a copy changes neither the flag nor the project's path.
    EXPECT_TRUE(Document()->GetPathName().IsEmpty());
}

TEST_F(AutoSave, ANameInUseIsSkipped) {
    Frame()->AutoSave();
    std::string taken = Copies().at(0);
    int number = std::stoi(taken.substr(4, 4));
    char next[32];
    std::snprintf(next, sizeof next, "LCAS%.4d.tmp", (number + 1) % 10000);
    m_temp.WriteFile(next, "someone else's");
    Frame()->AutoSave();
    std::vector<std::string> now = Copies();
    ASSERT_EQ(now.size(), 2u);   // the stranger's file and the new copy
    char expected[32];
    std::snprintf(expected, sizeof expected, "LCAS%.4d.tmp", (number + 2) % 10000);
    EXPECT_NE(std::find(now.begin(), now.end(), expected), now.end());
}

TEST_F(AutoSave, TheTimerWritesACopyOnceTheIntervalIsOver) {
    leaf::WriteAppProfileInt("Auto-save", "Interval", 1);
    for (int tick = 0; tick < 9; ++tick) Frame()->OnTimer(CMainFrame::ID_AUTOSAVE_TIMER);
    EXPECT_TRUE(Copies().empty());
    Frame()->OnTimer(CMainFrame::ID_AUTOSAVE_TIMER);   // 60 seconds
    EXPECT_EQ(Copies().size(), 1u);
    // Other timers are not auto-save ticks.
    for (int tick = 0; tick < 20; ++tick) Frame()->OnTimer(7);
    EXPECT_EQ(Copies().size(), 1u);
}

TEST_F(AutoSave, IntervalMinusOneKeepsNoCopy) {
    Frame()->AutoSave();
    ASSERT_EQ(Copies().size(), 1u);
    leaf::WriteAppProfileInt("Auto-save", "Interval", -1);
    Frame()->AutoSave();
    EXPECT_TRUE(Copies().empty());
    EXPECT_EQ(RecordedPath(), "");
}

TEST_F(AutoSave, DeleteRemovesCopyAndKey) {
    Frame()->AutoSave();
    Frame()->DeleteAutoSave();
    EXPECT_TRUE(Copies().empty());
    EXPECT_EQ(RecordedPath(), "<none>");
}

TEST_F(AutoSave, TheEntryOfARunningFrameIsNotAnOrphan) {
    Frame()->AutoSave();
    CString path, key;
    EXPECT_FALSE(m_app->FindOrphanAutoSave(path, key));
    EXPECT_EQ(Copies().size(), 1u);
}

TEST_F(AutoSave, ClosingTheProjectDeletesTheCopy) {
    Frame()->AutoSave();
    ASSERT_EQ(Copies().size(), 1u);
    Document()->SetModifiedFlag(FALSE);
    Document()->OnCloseDocument();
    EXPECT_TRUE(Copies().empty());
}

TEST(AutoSaveLock, OnlyALiveHolderCounts) {
    leaf::test::TempFolder folder;
    std::string path = (folder.Path() / "x.lock").string();
    EXPECT_FALSE(leaf::AutoSaveLock::IsLockedByOther(path));
    {
        leaf::AutoSaveLock lock;
        ASSERT_TRUE(lock.Acquire(path));
        EXPECT_TRUE(leaf::AutoSaveLock::IsLockedByOther(path));
        leaf::AutoSaveLock second;
        EXPECT_FALSE(second.Acquire(path));
    }
    EXPECT_FALSE(fs::exists(path));
    // A file left behind without a holder (a crashed run) is not locked.
    folder.WriteFile("x.lock", "");
    EXPECT_FALSE(leaf::AutoSaveLock::IsLockedByOther(path));
    EXPECT_FALSE(leaf::AutoSaveLock::IsLockedByOther(""));
}

}  // namespace
