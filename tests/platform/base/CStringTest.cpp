#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/base/CString.h"

namespace {

TEST(CStringFormat, LongModifierTakes32BitArguments) {
    CString text;
    const LONG negative = -42;
    const DWORD big = 0xFFFFFFFFu;
    // Followed by a 64-bit argument: a 64-bit read of the LONGs would misplace it.
    // The format comes from a string table in real use, so the compiler does not see it.
    const char* format = "%ld|%lu|%lx|%li|%lld|%s";
    text.Format(format, negative, big, DWORD{0xBEEF}, LONG{7}, LONGLONG{1} << 40, "end");
    EXPECT_EQ(text, "-42|4294967295|beef|7|1099511627776|end");
}

TEST(CStringFormat, I64AndPlainConversions) {
    CString text;
    const char* format = "%I64d %I64u %5.2f [%-4s] %c %% %03d";
    text.Format(format, LONGLONG{-5000000000}, ULONGLONG{18000000000000000000ull},
                3.14159, "ab", 'z', 7);
    EXPECT_EQ(text, "-5000000000 18000000000000000000  3.14 [ab  ] z % 007");
}

TEST(CStringFormat, LongOutputIsNotTruncated) {
    const std::string big(10000, 'x');
    CString text;
    text.Format("<%s>%d", big.c_str(), 12345);
    ASSERT_EQ(text.GetLength(), 10000 + 2 + 5);
    EXPECT_EQ(text.Right(6), ">12345");
    text.AppendFormat("%s", big.c_str());
    EXPECT_EQ(text.GetLength(), 20007);
}

TEST(CStringFormat, FormatReplacesPreviousContents) {
    CString text("old contents");
    text.Format("%d", 1);
    EXPECT_EQ(text, "1");
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringExtract, MidLeftRightClamp) {
    const CString text("abcdef");
    EXPECT_EQ(text.Mid(2), "cdef");
    EXPECT_EQ(text.Mid(2, 2), "cd");
    EXPECT_EQ(text.Mid(-3, 2), "ab");
    EXPECT_EQ(text.Mid(4, 100), "ef");
    EXPECT_EQ(text.Mid(10), "");
    EXPECT_EQ(text.Mid(1, -1), "");
    EXPECT_EQ(text.Left(-1), "");
    EXPECT_EQ(text.Left(3), "abc");
    EXPECT_EQ(text.Left(99), "abcdef");
    EXPECT_EQ(text.Right(2), "ef");
    EXPECT_EQ(text.Right(99), "abcdef");
    EXPECT_EQ(text.Right(-5), "");
    EXPECT_EQ(text.GetAt(6), 0);
    EXPECT_EQ(text.GetAt(-1), 0);
    EXPECT_EQ(text.SpanIncluding("abc"), "abc");
    EXPECT_EQ(text.SpanExcluding("de"), "abc");
}

TEST(CStringSearch, FindFamily) {
    const CString text("one two one");
    EXPECT_EQ(text.Find('o'), 0);
    EXPECT_EQ(text.Find('o', 1), 6);
    EXPECT_EQ(text.Find('o', 11), -1);
    EXPECT_EQ(text.Find('o', -1), -1);
    EXPECT_EQ(text.Find("one", 1), 8);
    EXPECT_EQ(text.Find("xyz"), -1);
    EXPECT_EQ(text.Find("one", 12), -1);
    EXPECT_EQ(text.ReverseFind('o'), 8);
    EXPECT_EQ(text.FindOneOf("wt"), 4);
    EXPECT_EQ(text.FindOneOf("q"), -1);
}

TEST(CStringEdit, ReplaceInsertDeleteRemove) {
    CString text("a-b-c");
    EXPECT_EQ(text.Replace("-", "--"), 2);
    EXPECT_EQ(text, "a--b--c");
    EXPECT_EQ(text.Replace("", "x"), 0);
    EXPECT_EQ(text.Remove('-'), 4);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(text.Insert(99, "Z"), 4);
    EXPECT_EQ(text.Insert(-1, '_'), 5);
    EXPECT_EQ(text, "_abcZ");
    EXPECT_EQ(text.Delete(3, 100), 3);
    EXPECT_EQ(text, "_ab");
    EXPECT_EQ(text.Delete(10), 3);
    EXPECT_EQ(text.Replace('a', 'A'), 1);
    EXPECT_EQ(text.MakeReverse(), "bA_");
}

TEST(CStringEdit, TrimAndCase) {
    CString text(" \t\r\nMixed Case\xC3\xA9 \n");
    text.Trim();
    EXPECT_EQ(text, "Mixed Case\xC3\xA9");
    text.MakeUpper();
    EXPECT_EQ(text, "MIXED CASE\xC3\xA9");  // UTF-8 bytes untouched
    text.MakeLower();
    EXPECT_EQ(text, "mixed case\xC3\xA9");
    CString dots("..x..");
    EXPECT_EQ(dots.TrimLeft("."), "x..");
    EXPECT_EQ(dots.TrimRight("."), "x");
    CString blank("   ");
    EXPECT_TRUE(blank.Trim().IsEmpty());
}

TEST(CStringCompare, CaseFoldsAsciiOnly) {
    EXPECT_EQ(CString("Apple").CompareNoCase("aPPLE"), 0);
    EXPECT_LT(CString("apple").CompareNoCase("Banana"), 0);
    EXPECT_GT(CString("b").Compare("a"), 0);
    EXPECT_LT(CString("a").Compare("\xC3\xA9"), 0);  // bytes compare unsigned
    EXPECT_FALSE(leaf::EqualsNoCase("\xC3\xA9", "\xC3\x89"));
    EXPECT_TRUE(leaf::EqualsNoCase(u"K\u00e9Y", u"k\u00e9y"));
    EXPECT_TRUE(leaf::StartsWithNoCase("Content-Type", "content-"));
    EXPECT_FALSE(leaf::StartsWithNoCase("Con", "content"));
    EXPECT_EQ(leaf::ToLowerAscii(u"ABC\u00c9"), u"abc\u00c9");

    std::unordered_set<std::string, leaf::NoCaseHash, leaf::NoCaseEqual> keys{"Software"};
    EXPECT_EQ(keys.count("SOFTWARE"), 1u);
    EXPECT_EQ(keys.count("Softwares"), 0u);
}

TEST(CStringConstruct, EmbeddedNulAndRepeat) {
    const CString withNul("a\0b", 3);
    EXPECT_EQ(withNul.GetLength(), 3);
    EXPECT_EQ(CString("abc", -1), "");
    EXPECT_EQ(CString(nullptr), "");
    EXPECT_EQ(CString('x', 3), "xxx");
    EXPECT_EQ(CString('x', -3), "");
}

}  // namespace
