#include "common/StringSort.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Plain(const std::vector<CString>& strings)
{
    std::vector<std::string> out;
    for (const CString& s : strings) out.push_back(s.str());
    return out;
}

TEST(SortStringArray, AscendingAndDescendingIgnoreCase)
{
    std::vector<CString> strings{"banana", "Apple", "cherry", "apple2", "BANANA0"};
    SortStringArray(strings, TRUE);
    EXPECT_EQ(Plain(strings), (std::vector<std::string>{"Apple", "apple2", "banana", "BANANA0", "cherry"}));
    SortStringArray(strings, FALSE);
    EXPECT_EQ(Plain(strings), (std::vector<std::string>{"cherry", "BANANA0", "banana", "apple2", "Apple"}));
}

TEST(SortStringArray, EqualStringsKeepTheirOrder)
{
    std::vector<CString> strings{"b", "ABC", "x", "abc", "Abc"};
    SortStringArray(strings, TRUE);
    EXPECT_EQ(Plain(strings), (std::vector<std::string>{"ABC", "abc", "Abc", "b", "x"}));
    SortStringArray(strings, FALSE);
    EXPECT_EQ(Plain(strings), (std::vector<std::string>{"x", "b", "ABC", "abc", "Abc"}));
}

TEST(SortStringArray, ShortArraysAreLeftAlone)
{
    std::vector<CString> none;
    SortStringArray(none, TRUE);
    EXPECT_TRUE(none.empty());
    std::vector<CString> one{"z"};
    SortStringArray(one, FALSE);
    EXPECT_EQ(one.front(), "z");
}

TEST(SortStringArray, Utf8BytesCompareExactlyAfterAscii)
{
    std::vector<CString> strings{"\xC3\xA9t\xC3\xA9", "Zebra", "eagle"};
    SortStringArray(strings, TRUE);
    EXPECT_EQ(Plain(strings), (std::vector<std::string>{"eagle", "Zebra", "\xC3\xA9t\xC3\xA9"}));
}

}  // namespace
