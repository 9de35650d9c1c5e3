// The per-user profile: defaults, types, deletions, and reads at the moment of the call.

#include <gtest/gtest.h>

#include "platform/registry/Profile.h"
#include "platform/registry/RegistryKey.h"
#include "tests/platform/registry/RegistryTestSupport.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {
namespace {

constexpr const char* kSdkKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\SDK";

class ProfileTest : public testing::Test {
protected:
    ScopedRegistryRoot m_root;
    Profile m_profile{"Tallbrook Systems, Inc.", "Leafcraft"};
};

TEST_F(ProfileTest, MissingOrMistypedEntriesGiveTheDefault) {
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "AutoDelete", 1), 1u);
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "Negative", -3), static_cast<UINT>(-3));
    EXPECT_EQ(m_profile.GetProfileString("SDK", "TempFolder"), CString(""));
    EXPECT_EQ(m_profile.GetProfileString("SDK", "TempFolder", nullptr), CString(""));
    EXPECT_EQ(m_profile.GetProfileString("Image Filter", "Align", "center"), CString("center"));

    RegistryKey sdk = RegistryKey::Create(HKEY_CURRENT_USER, kSdkKey);
    ASSERT_TRUE(sdk.WriteString("AutoDelete", "0"));
    ASSERT_TRUE(sdk.WriteDword("TempFolder", 5));
    ASSERT_TRUE(sdk.WriteString("Binary", "text"));
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "AutoDelete", 1), 1u) << "a string is not an integer";
    EXPECT_EQ(m_profile.GetProfileString("SDK", "TempFolder", "dflt"), CString("dflt"));
    std::vector<BYTE> bytes{9};
    EXPECT_FALSE(m_profile.GetProfileBinary("SDK", "Binary", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(m_profile.GetProfileInt(nullptr, "x", 4), 4u);
}

TEST_F(ProfileTest, WritesLandBelowTheCompanyAndApplicationKey) {
    ASSERT_TRUE(m_profile.WriteProfileInt("HTML Filter", "WalkLinkLevel", 5));
    ASSERT_TRUE(m_profile.WriteProfileString("SDK", "TempFolder", "/var/tmp/ü"));
    const BYTE blob[] = {0, 1, 2, 255};
    ASSERT_TRUE(m_profile.WriteProfileBinary("SDK", "Placement", blob, sizeof blob));

    RegistryKey html = RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Tallbrook Systems, Inc.\\Leafcraft\\HTML Filter");
    EXPECT_EQ(html.ReadDword("WalkLinkLevel"), 5u);
    EXPECT_EQ(RegistryKey::Open(HKEY_CURRENT_USER, kSdkKey).ReadString("TempFolder"), "/var/tmp/ü");
    EXPECT_EQ(m_profile.GetProfileInt("html filter", "walklinklevel", 3), 5u);
    EXPECT_EQ(m_profile.GetProfileString("SDK", "TempFolder"), CString("/var/tmp/ü"));
    std::vector<BYTE> read;
    ASSERT_TRUE(m_profile.GetProfileBinary("SDK", "Placement", read));
    EXPECT_EQ(read, std::vector<BYTE>(std::begin(blob), std::end(blob)));
    EXPECT_EQ(m_profile.BaseKeyPath(), "Software\\Tallbrook Systems, Inc.\\Leafcraft");
}

TEST_F(ProfileTest, NullValueDeletesTheEntryAndNullEntryTheSection) {
    ASSERT_TRUE(m_profile.WriteProfileString("SDK", "TempFolder", "/x"));
    ASSERT_TRUE(m_profile.WriteProfileInt("SDK", "AutoDelete", 0));
    ASSERT_TRUE(m_profile.WriteProfileString("SDK", "TempFolder", nullptr));
    EXPECT_EQ(m_profile.GetProfileString("SDK", "TempFolder", "gone"), CString("gone"));
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "AutoDelete", 1), 0u) << "other entries stay";
    EXPECT_FALSE(m_profile.WriteProfileString("SDK", "TempFolder", nullptr)) << "nothing left to delete";

    ASSERT_TRUE(m_profile.WriteProfileString("SDK", nullptr, nullptr));
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, kSdkKey).IsOpen());
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "AutoDelete", 1), 1u);
    EXPECT_TRUE(RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Tallbrook Systems, Inc.\\Leafcraft").IsOpen());
}

TEST_F(ProfileTest, EveryReadSeesTheRegistryAsItIsNow) {
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "FriendlyTempFolder", 0), 0u);
    RegistryKey sdk = RegistryKey::Create(HKEY_CURRENT_USER, kSdkKey);
    ASSERT_TRUE(sdk.WriteDword("FriendlyTempFolder", 1));
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "FriendlyTempFolder", 0), 1u);
    ASSERT_TRUE(sdk.DeleteValue("FriendlyTempFolder"));
    EXPECT_EQ(m_profile.GetProfileInt("SDK", "FriendlyTempFolder", 0), 0u);
}

}  // namespace
}  // namespace leaf::test
