// Attribute splitting, path folding and base-href link resolution.

#include <gtest/gtest.h>

#include "markup/MarkupAttributes.h"
#include "tests/markup/RecordingParser.h"

namespace {

using leaf::test::ParseText;
using leaf::test::TempFolder;
using Strings = std::vector<std::string>;

struct SplitCase {
    const char* text;
    Strings tokens;
};

const SplitCase kSplitCases[] = {
    {"a=1 b = '2' c=\"\" d", {"a=1", "b=2", "c=", "d"}},
    {"title='say \"hi\"'", {"title=say \"hi\""}},
    {"href=\"C:\\dir\\\"", {"href=C:\\dir\\"}},
    {"HREF = \"x\\\" y", {"HREF=x\\", "y"}},
    {"alt=\"a \\\"q\\\" b\"", {"alt=a \"q\" b"}},
    {"x=\"a=\" y=1", {"x=a=y=1"}},
    {"a\tb\r\nc\fd\ve", {"a", "b", "c", "d", "e"}},
    {"= \"v\"", {"=v"}},
    {"\"\" =x", {"=x"}},
    {"a \"\" b", {"a", "", "b"}},
    {"\"x\\\"", {"x\""}},  // an escaped quote before any token
    {"'\\'", {"'"}},
    {"a='unterminated b=1", {"a=unterminated b=1"}},
    {"", {}},
    {"  ", {}},
};

TEST(SplitAttributes, CutsTokensInBothBuilds) {
    for (const SplitCase& split : kSplitCases) {
        std::vector<CString> bytes;
        CMarkupParser::SplitAttributes(split.text, bytes);
        Strings got;
        for (const CString& token : bytes) got.push_back(token.str());
        EXPECT_EQ(got, split.tokens) << split.text;

        std::vector<std::u16string> units;
        CMarkupParserW::SplitAttributes(leaf::Utf8ToUtf16(split.text), units);
        Strings wide;
        for (const std::u16string& token : units) wide.push_back(leaf::Utf16ToUtf8(token));
        EXPECT_EQ(wide, split.tokens) << split.text;
    }
}

TEST(SplitAttributes, IsLinearOnHugeInput) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "a=\"\\\"\" = ";
    std::vector<std::string> tokens;
    leaf::markup::SplitAttributes<char>(text, tokens);
    EXPECT_EQ(tokens.size(), 1u);  // every value ends joined to the next by '='
}

TEST(FoldPath, FoldsDotDotAndDotComponents) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/a/b/../c/./d.htm", "C:/a/c/d.htm"},
        {"C:\\a\\b\\..\\c\\.\\d.htm", "C:/a/c/d.htm"},
        {"..\\x", "../x"},
        {"a\\..\\b", "a/../b"},
        {"/a/../../b", "/../b"},
        {"x/y/../../z", "x/../z"},
        {"a//../b", "a/b"},
        {"a/b/./../c", "a/b/c"},
        {"/./x", "/x"},
        {"a/././b", "a/b"},
        {"a/./", "a/"},
        {"a/b/..", "a/b/.."},
        {"/book/pics/../x.gif", "/book/x.gif"},
        {"", ""},
        {"plain", "plain"},
    };
    for (const auto& [in, out] : cases) {
        CString bytes(in);
        CMarkupParser::FoldPath(bytes);
        EXPECT_EQ(bytes.str(), out) << in;
        std::u16string units = leaf::Utf8ToUtf16(in);
        CMarkupParserW::FoldPath(units);
        EXPECT_EQ(leaf::Utf16ToUtf8(units), out) << in;
    }
}

template <typename Recorder>
class BaseHref : public testing::Test {
protected:
    std::string Folder() const { return folder.Path().string(); }
    TempFolder folder;
};
using Recorders = testing::Types<leaf::test::ByteRecorder, leaf::test::WideRecorder>;
TYPED_TEST_SUITE(BaseHref, Recorders);

TYPED_TEST(BaseHref, LinksResolveAgainstTheBaseRelativeToTheParsedFile) {
    TypeParam parser;
    const std::string page =
        "<head><base href=\"" + this->Folder() + "/pics/\"></base></head>\n"
        "<img src=a.gif alt=\"\">\n"
        "<a href=\"c:\\other\\b.htm\"><img src=\"\\\\server\\a.gif\"><a href=\"/abs/x.htm\">"
        "<a href=\"http://x.org/y\"><a href=\"\">\n"
        "<a name=\"n\" href=\"b.htm\" src=\"c.gif\">\n"
        "<img src=\"../up.gif\" title='say \"hi\"'><IMG SRC=sub\\d.gif>"
        "<img src=\"\u00E9.gif\" alt=\"Gr\u00FC\u00DFe\">\n"
        "</a>\n";
    ASSERT_EQ(ParseText(parser, this->folder, page), 0);
    EXPECT_EQ(parser.events, (Strings{
                                 "tag head [] line=1",
                                 "tag /head [] line=1",
                                 "tag img [src=\"pics/a.gif\" alt] line=2",
                                 "tag a [href=\"c:\\other\\b.htm\"] line=3",
                                 "tag img [src=\"\\\\server\\a.gif\"] line=3",
                                 "tag a [href=\"/abs/x.htm\"] line=3",
                                 "tag a [href=\"http://x.org/y\"] line=3",
                                 "tag a [href=\"\"] line=3",
                                 "tag a [name=\"n\" href=\"pics/b.htm\" src=\"c.gif\"] line=4",
                                 "tag img [src=\"up.gif\" title=\"say \\\"hi\\\"\"] line=5",
                                 "tag IMG [SRC=\"pics/sub/d.gif\"] line=5",
                                 "tag img [src=\"pics/\u00E9.gif\" alt=\"Gr\u00FC\u00DFe\"] line=5",
                                 "tag /a [] line=6",
                             }));
    EXPECT_EQ(leaf::test::ToUtf8(parser.GetBaseFolder()), this->Folder() + "/pics");

    // The base folder outlives the parse.
    parser.events.clear();
    ParseText(parser, this->folder, "<img src=b.gif>\n", "other.htm");
    EXPECT_EQ(parser.events, (Strings{"tag img [src=\"pics/b.gif\"] line=1"}));
}

TYPED_TEST(BaseHref, ABaseOutsideTheHeadIsAnOrdinaryTag) {
    TypeParam parser;
    ParseText(parser, this->folder, "<base href=\"/x/\"><img src=a.gif>\n");
    EXPECT_EQ(parser.events, (Strings{"tag base [href=\"/x/\"] line=1", "tag img [src=a.gif] line=1"}));
    EXPECT_TRUE(parser.GetBaseFolder().empty());
}

TYPED_TEST(BaseHref, CanBeSwitchedOffByUsersThatWriteTheFileBack) {
    TypeParam parser;
    parser.EnableBaseHref(FALSE);
    ParseText(parser, this->folder, "<head><base href=\"/x/\"></head><img src=a.gif>\n");
    EXPECT_EQ(parser.events, (Strings{"tag head [] line=1", "tag base [href=\"/x/\"] line=1", "tag /head [] line=1",
                                      "tag img [src=a.gif] line=1"}));
}

TYPED_TEST(BaseHref, EachScannerObjectHasItsOwnBase) {
    TypeParam first, second;
    ParseText(first, this->folder, "<head><base href=\"/one\"></head>\n");
    ParseText(second, this->folder, "<img src=a.gif>\n");
    EXPECT_EQ(second.events, (Strings{"tag img [src=a.gif] line=1"}));
    ParseText(first, this->folder, "<img src=a.gif>\n");
    EXPECT_EQ(first.events.back(), "tag img [src=\"/one/a.gif\"] line=1");
}

}  // namespace
