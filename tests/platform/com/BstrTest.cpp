#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Bstr.h"

namespace {

TEST(BstrTest, NullAndEmptyDiffer) {
    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(empty);
    SysFreeString(nullptr);

    leaf::Bstr nullText;
    leaf::Bstr emptyText(u"");
    EXPECT_TRUE(nullText.IsNull());
    EXPECT_FALSE(emptyText.IsNull());
    EXPECT_FALSE(nullText == emptyText);
    EXPECT_TRUE(leaf::Bstr(nullText).IsNull());
    EXPECT_FALSE(leaf::Bstr(emptyText).IsNull());
}

TEST(BstrTest, LengthPrefixCountsBytesAndAllowsEmbeddedNuls) {
    const OLECHAR text[] = {u'a', 0, u'b', u'c'};
    BSTR value = SysAllocStringLen(text, 4);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(SysStringLen(value), 4u);
    EXPECT_EQ(SysStringByteLen(value), 8u);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<char*>(value) - 4, 4);
    EXPECT_EQ(prefix, 8u);
    EXPECT_EQ(value[1], 0);
    EXPECT_EQ(value[3], u'c');
    EXPECT_EQ(value[4], 0);  // terminated after the length too
    EXPECT_EQ(leaf::BstrView(value), std::u16string_view(text, 4));
    SysFreeString(value);
}

TEST(BstrTest, ByteLengthStringsKeepOddLengthsAndTerminate) {
    BSTR value = SysAllocStringByteLen("abc", 3);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(SysStringByteLen(value), 3u);
    EXPECT_EQ(SysStringLen(value), 1u);
    EXPECT_EQ(std::memcmp(value, "abc\0\0", 5), 0);
    SysFreeString(value);

    BSTR zeroed = SysAllocStringByteLen(nullptr, 4);
    EXPECT_EQ(std::memcmp(zeroed, "\0\0\0\0\0\0", 6), 0);
    SysFreeString(zeroed);
}

TEST(BstrTest, ReallocationReplacesTheText) {
    BSTR value = SysAllocString(u"first");
    EXPECT_TRUE(SysReAllocString(&value, u"second one"));
    EXPECT_EQ(leaf::BstrView(value), u"second one");
    EXPECT_TRUE(SysReAllocStringLen(&value, u"xyz", 2));
    EXPECT_EQ(leaf::BstrView(value), u"xy");
    EXPECT_TRUE(SysReAllocString(&value, nullptr));
    EXPECT_EQ(value, nullptr);
}

TEST(BstrTest, Utf8RoundTripAndOwnership) {
    leaf::Bstr text = leaf::Bstr::FromUtf8("Grüße – 😀");
    EXPECT_EQ(text.Length(), 10u);  // the emoji is a surrogate pair
    EXPECT_EQ(text.ToUtf8(), "Grüße – 😀");

    BSTR detached = text.Detach();
    EXPECT_TRUE(text.IsNull());
    leaf::Bstr adopted = leaf::Bstr::Attach(detached);
    EXPECT_EQ(adopted.ToUtf16(), u"Grüße – 😀");

    leaf::Bstr target = leaf::Bstr::FromUtf8("old");
    *target.Receive() = SysAllocString(u"new");
    EXPECT_EQ(target.ToUtf8(), "new");
    EXPECT_EQ(leaf::BstrToUtf8(nullptr), "");
}

}  // namespace
