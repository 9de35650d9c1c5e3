#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/com/Bstr.h"
#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

using namespace leaf::literals;

namespace {

constexpr GUID kSample = "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}"_guid;

TEST(GuidTest, TextFormIsBracedUpperCaseAndRoundTrips) {
    static_assert(kSample.Data1 == 0x12B6725F && kSample.Data2 == 0x5CC8 && kSample.Data3 == 0x4C79);
    static_assert(kSample.Data4[0] == 0x84 && kSample.Data4[7] == 0xB8);
    EXPECT_EQ(leaf::GuidToString(kSample), "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}");
    EXPECT_EQ(leaf::ParseGuid(std::string_view("{12b6725f-5cc8-4c79-8446-c4e16a3ceeb8}")), std::optional(kSample));
    EXPECT_EQ(leaf::GuidToString(IID_IConnectionPointContainer), "{B196B284-BAB4-101A-B69C-00AA00341D07}");
    EXPECT_EQ(leaf::GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTest, MalformedTextIsRefused) {
    for (const char* text : {"", "12B6725F-5CC8-4C79-8446-C4E16A3CEEB8", "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8",
                             "{12B6725F-5CC8-4C79-8446C4E16A3CEEB8}", "{12B6725G-5CC8-4C79-8446-C4E16A3CEEB8}",
                             " {12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}", "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}x",
                             "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB}"})
        EXPECT_FALSE(leaf::ParseGuid(std::string_view(text))) << text;
    EXPECT_THROW(leaf::MakeGuid("{nope}"), std::invalid_argument);
}

TEST(GuidTest, Win32ShapedConversions) {
    LPOLESTR text = nullptr;
    ASSERT_EQ(StringFromCLSID(kSample, &text), S_OK);
    EXPECT_EQ(std::u16string(text), u"{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}");
    CLSID parsed{};
    EXPECT_EQ(CLSIDFromString(text, &parsed), S_OK);
    EXPECT_EQ(parsed, kSample);
    CoTaskMemFree(text);

    OLECHAR buffer[39];
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);

    IID iid{};
    EXPECT_EQ(IIDFromString(u"{00020400-0000-0000-C000-000000000046}", &iid), S_OK);
    EXPECT_EQ(iid, IID_IDispatch);
    EXPECT_EQ(IIDFromString(u"{0002040-0000-0000-C000-000000000046}", &iid), E_INVALIDARG);
    EXPECT_EQ(CLSIDFromString(u"{bad}", &parsed), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString(u"No.Such.ProgID", &parsed), CO_E_CLASSSTRING);
}

TEST(GuidTest, NewGuidsAreRandomVersionFourAndDistinct) {
    std::unordered_set<GUID> seen;
    for (int i = 0; i < 200; ++i) {
        GUID guid{};
        ASSERT_EQ(CoCreateGuid(&guid), S_OK);
        EXPECT_EQ(guid.Data3 >> 12, 4);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);
        EXPECT_TRUE(seen.insert(guid).second);
    }
}

TEST(GuidTest, EqualityAndHashSeeEveryByte) {
    GUID other = kSample;
    EXPECT_EQ(other, kSample);
    other.Data4[7] ^= 1;
    EXPECT_NE(other, kSample);
    EXPECT_NE(std::hash<GUID>()(other), std::hash<GUID>()(kSample));
}

}  // namespace
