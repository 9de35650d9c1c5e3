#include "common/WideBuffer.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace {

std::u16string Text(const CWideBuffer& buffer)
{
    return std::u16string(buffer.GetData(), static_cast<size_t>(buffer.GetLength()));
}

void ExpectInvariant(const CWideBuffer& buffer)
{
    ASSERT_NE(buffer.GetData(), nullptr);
    EXPECT_LT(buffer.GetLength(), buffer.GetCapacity());
    EXPECT_EQ(buffer.GetData()[buffer.GetLength()], 0);
}

TEST(WideBuffer, DefaultOwnsNothing)
{
    CWideBuffer buffer;
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetCapacity(), 0);
    EXPECT_EQ(buffer.GetLength(), 0);
}

TEST(WideBuffer, EmptyTextGetsCapacityTwo)
{
    CWideBuffer buffer(u"");
    EXPECT_EQ(buffer.GetCapacity(), 2);
    EXPECT_EQ(buffer.GetLength(), 0);
    ExpectInvariant(buffer);
}

TEST(WideBuffer, ReserveGrowsToPowerOfTwoOfTwiceTheRequest)
{
    struct Case { int request; int capacity; };
    for (const Case c : {Case{5, 16}, Case{8, 16}, Case{9, 32}, Case{0, 1}, Case{-3, 1}}) {
        CWideBuffer buffer;
        buffer.Reserve(c.request, FALSE);
        EXPECT_EQ(buffer.GetCapacity(), c.capacity) << "request " << c.request;
    }
}

TEST(WideBuffer, NonExactReserveNeverShrinksAndKeepsText)
{
    CWideBuffer buffer(u"hello");
    const int capacity = buffer.GetCapacity();
    buffer.Reserve(2, FALSE);
    EXPECT_EQ(buffer.GetCapacity(), capacity);
    buffer.Reserve(100, FALSE);
    EXPECT_EQ(buffer.GetCapacity(), 256);
    EXPECT_EQ(Text(buffer), u"hello");
    ExpectInvariant(buffer);
}

TEST(WideBuffer, ExactShrinkBelowTheTextCutsItAndKeepsTheInvariant)
{
    CWideBuffer buffer(u"abcdefgh");
    buffer.Reserve(4, TRUE);
    EXPECT_EQ(buffer.GetCapacity(), 4);
    EXPECT_EQ(Text(buffer), u"abc");
    ExpectInvariant(buffer);
    buffer.Reserve(0, TRUE);
    EXPECT_EQ(buffer.GetLength(), 0);
    ExpectInvariant(buffer);
}

TEST(WideBuffer, HugeRequestsDoNotOverflowTheCapacity)
{
    CWideBuffer buffer(u"kept");
    EXPECT_THROW(buffer.Reserve(INT_MAX, FALSE), std::bad_alloc);
    EXPECT_THROW(buffer.Reserve(CWideBuffer::kMaxCapacity + 1, TRUE), std::bad_alloc);
    EXPECT_EQ(Text(buffer), u"kept");
    ExpectInvariant(buffer);
}

TEST(WideBuffer, AnsiConstructionCountsUtf16UnitsNotBytes)
{
    CWideBuffer buffer("caf\xC3\xA9 \xF0\x9F\x93\x96");  // "café 📖": 9 bytes... of UTF-8
    EXPECT_EQ(Text(buffer), u"café \U0001F4D6");
    EXPECT_EQ(buffer.GetLength(), 7);
    ExpectInvariant(buffer);
}

TEST(WideBuffer, AppendGrowsAndTerminates)
{
    CWideBuffer buffer;
    for (int i = 0; i < 1000; ++i) buffer.Append(static_cast<WCHAR>(u'a' + i % 26));
    EXPECT_EQ(buffer.GetLength(), 1000);
    EXPECT_EQ(buffer.GetData()[25], u'z');
    ExpectInvariant(buffer);
}

TEST(WideBuffer, AssignReplacesTextAndAcceptsItsOwnData)
{
    CWideBuffer buffer(u"first text");
    buffer.Assign(u"x");
    EXPECT_EQ(Text(buffer), u"x");
    buffer.Assign(u"self assignment");
    buffer.Assign(buffer.GetData() + 5);
    EXPECT_EQ(Text(buffer), u"assignment");
    ExpectInvariant(buffer);
}

TEST(WideBuffer, CopyAndMove)
{
    CWideBuffer original(u"copy me");
    CWideBuffer copy(original);
    EXPECT_EQ(Text(copy), u"copy me");
    EXPECT_NE(copy.GetData(), original.GetData());
    CWideBuffer moved(std::move(original));
    EXPECT_EQ(Text(moved), u"copy me");
    EXPECT_EQ(original.GetData(), nullptr);
    EXPECT_EQ(original.GetCapacity(), 0);
}

TEST(WideBuffer, SetLengthClampsToTheCapacity)
{
    CWideBuffer buffer;
    WCHAR* data = buffer.Reserve(8, TRUE);
    data[0] = u'o';
    data[1] = u'k';
    buffer.SetLength(2);
    EXPECT_EQ(Text(buffer), u"ok");
    buffer.SetLength(100);
    EXPECT_EQ(buffer.GetLength(), 7);
    ExpectInvariant(buffer);
}

TEST(WideBufferCompare, CompareAtFollowsThePrefixRules)
{
    CWideBuffer empty;
    EXPECT_EQ(empty.CompareAt(u"", TRUE, 0, 0), 0);
    EXPECT_EQ(empty.CompareAt(u"x", TRUE, 0, 0), -1);
    EXPECT_EQ(empty.CompareAt(u"x", TRUE, 0, 5), -1);

    CWideBuffer buffer(u"Chapter.HTM");
    EXPECT_EQ(buffer.CompareAt(u"chap", FALSE, 0, 4), 0);
    EXPECT_NE(buffer.CompareAt(u"chap", TRUE, 0, 4), 0);
    EXPECT_LT(buffer.CompareAt(u"Chapters", TRUE, 0, 7), 0);  // buffer part is a proper prefix
    EXPECT_GT(buffer.CompareAt(u"Chapter.HTM", TRUE, 0, 20), 0);
    EXPECT_GT(buffer.CompareAt(u"Cha", TRUE, 0, 7), 0);
}

TEST(WideBufferCompare, PositionsOutsideTheTextReadNothingBeyondIt)
{
    CWideBuffer buffer(u"abc");
    EXPECT_LT(buffer.CompareAt(u"x", TRUE, 50, 1), 0);
    EXPECT_LT(buffer.CompareAt(u"x", TRUE, -50, 1), 0);
    EXPECT_LT(buffer.CompareAt(u"c", TRUE, 3, 1), 0);
    EXPECT_EQ(buffer.CompareAt(u"c", TRUE, 2, 1), 0);
}

TEST(WideBufferCompare, CompareRightTestsAnEnding)
{
    EXPECT_EQ(CWideBuffer(u"styles/Main.CSS").CompareRight(u".css", FALSE, 4), 0);
    EXPECT_NE(CWideBuffer(u"styles/Main.CSS").CompareRight(u".css", TRUE, 4), 0);
    EXPECT_NE(CWideBuffer(u"page.htm").CompareRight(u".css", FALSE, 4), 0);
    EXPECT_EQ(CWideBuffer(u".cs").CompareRight(u".css", FALSE, 4), -1);
    EXPECT_NE(CWideBuffer(u"ss").CompareRight(u".css", FALSE, 4), 0);
    EXPECT_EQ(CWideBuffer(u"a.css").CompareRight(u".css", TRUE), 0);
}

TEST(DecodeUrlEscapes, DecodesValidEscapesAndKeepsTheRest)
{
    struct Case { const char* in; const char* out; };
    for (const Case c : {Case{"", ""}, Case{"My%20Book.htm", "My Book.htm"}, Case{"a%2Fb%2", "a/b%2"},
                         Case{"100%%", "100%"}, Case{"%zz%4", "%zz%4"}, Case{"%c3%A9", "\xC3\xA9"},
                         Case{"a%00b", "a%00b"}, Case{"%", "%"}, Case{"%%41", "%41"}}) {
        const CString decoded = DecodeUrlEscapes(c.in);
        EXPECT_EQ(decoded.str(), std::string(c.out)) << c.in;
    }
}

}  // namespace
