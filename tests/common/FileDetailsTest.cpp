#include "common/FileDetails.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/base/LocalTime.h"
#include "platform/base/ModulePath.h"
#include "platform/com/VersionInfo.h"
#include "platform/registry/RegistryKey.h"
#include "tests/support/TempFolder.h"

// This test program carries a version block of its own to read back.
LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("FileDescription", "Leafcraft test component")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("Comments", ""))

namespace {

TEST(GetVersionString, ReadsTheModulesVersionBlock)
{
    const CString self(leaf::GetExecutablePath());
    ASSERT_FALSE(self.IsEmpty());
    EXPECT_EQ(GetVersionString(self, "FileDescription"), "Leafcraft test component");
    EXPECT_EQ(GetVersionString(self, "FileVersion"), "2, 0, 2, 0215");
    EXPECT_EQ(GetVersionString(self, "Comments"), "");
    EXPECT_EQ(GetVersionString(self, "NoSuchKey"), "");
}

TEST(GetVersionString, FilesWithoutABlockGiveNothing)
{
    leaf::test::TempFolder folder;
    EXPECT_EQ(GetVersionString(folder.WriteFile("plain.txt", "not a module"), "FileVersion"), "");
    EXPECT_EQ(GetVersionString(folder / "missing.so", "FileVersion"), "");
}

TEST(GetFileDetails, DescriptionVersionAndDate)
{
    const CString self(leaf::GetExecutablePath());
    CString description, version, date;
    ASSERT_TRUE(GetFileDetails(self, description, version, date));
    EXPECT_EQ(description, "Leafcraft test component");
    EXPECT_EQ(version, "2, 0, 2, 0215");

    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("data.bin", "x");
    const std::time_t when = 1013774400;  // 15 Feb 2002, around noon
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_TRUE(GetFileDetails(CString(path), description, version, date));
    EXPECT_EQ(description, "");
    EXPECT_EQ(version, "");
    EXPECT_EQ(date.str(), leaf::FormatLocalTime(when, "%m/%d/%Y"));
    EXPECT_EQ(date.GetLength(), 10);
}

TEST(GetFileDetails, MissingFileFailsAndLeavesTheOutputs)
{
    leaf::test::TempFolder folder;
    CString description = "d", version = "v", date = "t";
    EXPECT_FALSE(GetFileDetails(CString(folder / "missing.so"), description, version, date));
    EXPECT_FALSE(GetFileDetails("", description, version, date));
    EXPECT_EQ(description, "d");
    EXPECT_EQ(date, "t");
}

TEST(GetInprocServerPath, FollowsProgIdToTheServerFile)
{
    const std::string clsid = "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}";
    EXPECT_EQ(GetInprocServerPath("Leafcraft.Test"), "");
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "Leafcraft.Test\\CLSID").WriteString("", clsid));
    EXPECT_EQ(GetInprocServerPath("Leafcraft.Test"), "");  // the class is not registered yet
    const std::string longPath = "/opt/" + std::string(300, 'p') + "/leafsdk.so";
    ASSERT_TRUE(leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32")
                    .WriteString("", longPath));
    EXPECT_EQ(GetInprocServerPath("Leafcraft.Test").str(), longPath);
    EXPECT_EQ(GetInprocServerPath("leafcraft.test").str(), longPath);
    EXPECT_EQ(GetInprocServerPath(""), "");
}

}  // namespace
