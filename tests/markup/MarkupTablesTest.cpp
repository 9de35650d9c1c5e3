// The scanner's tables: character classes, tag flags, context and raw-content sets and
// the decoding of character references, in both builds.

#include <gtest/gtest.h>

#include "markup/MarkupParser.h"
#include "markup/MarkupParserW.h"
#include "markup/MarkupTables.h"
#include "tests/markup/RecordingParser.h"

namespace {

using leaf::markup::kSeparator;
using leaf::markup::kWordChar;
using leaf::markup::kWordInternalChar;

TEST(MarkupTables, ByteClassesKeepAsciiRulesAndTakeEveryHighByteAsWordCharacter) {
    CMarkupParser parser;
    for (char ch : std::string("09AZaz")) EXPECT_EQ(parser.GetCharClass(ch), kWordChar) << ch;
    for (char ch : std::string("'-_`")) EXPECT_EQ(parser.GetCharClass(ch), kWordInternalChar) << ch;
    for (char ch : std::string(" \t\n\r.,;:!?\"<>&=/()[]{}@#$%^*+|~\\")) {
        EXPECT_EQ(parser.GetCharClass(ch), kSeparator);
    }
    EXPECT_EQ(parser.GetCharClass('\0'), kSeparator);
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        EXPECT_EQ(parser.GetCharClass(static_cast<char>(byte)), kWordChar) << byte;
    }
}

TEST(MarkupTables, Utf16ClassesTakeLettersOfEveryScriptAsWordCharacters) {
    CMarkupParserW parser;
    for (char16_t ch : std::u16string(u"09AZazÀÿéßªµ")) EXPECT_EQ(parser.GetCharClass(ch), kWordChar) << int(ch);
    for (char16_t ch : std::u16string(u"ĀœЖжαΩשعअ中あ한\u0301")) EXPECT_EQ(parser.GetCharClass(ch), kWordChar) << int(ch);
    for (char16_t ch : std::u16string(u"'-_`\u00B4\u2018\u2019")) EXPECT_EQ(parser.GetCharClass(ch), kWordInternalChar);
    for (char16_t ch : std::u16string(u" .\u00D7\u00F7\u00A0\u00A5\u2014\u20AC\u3000\u3002")) {
        EXPECT_EQ(parser.GetCharClass(ch), kSeparator) << int(ch);
    }
    EXPECT_EQ(parser.GetCharClass(0xD83D), kWordChar);  // surrogates stay inside words
    EXPECT_EQ(parser.GetCharClass(0xDE00), kWordChar);
}

TEST(MarkupTables, TagFlagsAreLookedUpWithoutRegardToCase) {
    struct Row {
        const char* name;
        DWORD flags;
    } rows[] = {{"a", 0x000},     {"P", 0x199},     {"br", 0x184},       {"TABLE", 0x1A1}, {"!DOCTYPE", 0x1C5},
                {"?xml", 0x1C5},  {"colgroup", 0x098}, {"Marquee", 0x1B8}, {"wbr", 0x18C}, {"blockquote", 0x1A1},
                {"b", 0x022},     {"nobr", 0x008},  {"br/", 0},          {"unknown", 0},   {"", 0},
                {"blockquotes", 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(leaf::markup::GetTagFlags(std::string_view(row.name)), row.flags) << row.name;
        EXPECT_EQ(leaf::markup::GetTagFlags(leaf::Utf8ToUtf16(row.name)), row.flags) << row.name;
    }
    EXPECT_EQ(leaf::markup::GetTagFlags(std::u16string_view(u"t\u0130tle")), 0u);
}

template <typename Parser>
class MarkupTablesBuilds : public testing::Test {};
using Builds = testing::Types<CMarkupParser, CMarkupParserW>;
TYPED_TEST_SUITE(MarkupTablesBuilds, Builds);

template <typename Parser>
typename Parser::String Text(const char* utf8) {
    if constexpr (std::is_same_v<typename Parser::Char, char>) {
        return utf8;
    } else {
        return leaf::Utf8ToUtf16(utf8);
    }
}

TYPED_TEST(MarkupTablesBuilds, WordBreakBlockAndContextTags) {
    TypeParam parser;
    EXPECT_TRUE(parser.IsWordBreakTag(Text<TypeParam>("TD")));
    EXPECT_FALSE(parser.IsWordBreakTag(Text<TypeParam>("b")));
    EXPECT_FALSE(parser.IsWordBreakTag(Text<TypeParam>("nosuchtag")));
    EXPECT_TRUE(parser.IsBlockTag(Text<TypeParam>("p")));
    EXPECT_FALSE(parser.IsBlockTag(Text<TypeParam>("td")));

    WORD state = 0;
    parser.UpdateContext(Text<TypeParam>("HEAD"), state, FALSE);
    parser.UpdateContext(Text<TypeParam>("title"), state, FALSE);
    EXPECT_EQ(state, 0x0005);
    parser.UpdateContext(Text<TypeParam>("body"), state, FALSE);
    parser.UpdateContext(Text<TypeParam>("p"), state, FALSE);
    EXPECT_EQ(state, 0x0005);
    parser.UpdateContext(Text<TypeParam>("Title"), state, TRUE);
    EXPECT_EQ(state, 0x0004);
    for (const char* name : {"style", "script", "applet", "embed", "object", "comment", "del"}) {
        WORD one = 0;
        parser.UpdateContext(Text<TypeParam>(name), one, FALSE);
        EXPECT_NE(one, 0) << name;
    }

    EXPECT_EQ(parser.GetRawContentMask(), 0x01F9);
    EXPECT_EQ(parser.FormatRawEndTag(0x0010 | 0x0004), Text<TypeParam>("</script>"));
    EXPECT_EQ(parser.FormatRawEndTag(0x0100), Text<TypeParam>("</comment>"));
    EXPECT_EQ(parser.FormatRawEndTag(0x0004), Text<TypeParam>(""));
}

struct EntityCase {
    const char* text;       // what follows the '&'
    bool recognised;
    const char* entityText;
    const char* replacement;  // UTF-8
};

const EntityCase kEntityCases[] = {
    {"amp;", true, "amp;", "&"},
    {"ampx;", true, "amp", "&"},
    {"amp", true, "amp", "&"},
    {"amp\n", true, "amp", "&"},
    {"amp rest", true, "amp", "&"},
    {"lt;", true, "lt;", "<"},
    {"lt", true, "lt", "<"},
    {"ltx", false, "", ""},
    {"lt ", false, "", ""},
    {"Amp;", false, "", ""},
    {"AMP;", true, "AMP;", "&"},
    {"TRADE;", true, "TRADE;", "\u2122"},
    {"frac12;", true, "frac12;", "\u00BD"},
    {"yacute;", true, "yacute;", "\u00FD"},
    {"euro;", true, "euro;", "\u20AC"},
    {"mdash;", true, "mdash;", "\u2014"},
    {"nbsp;", true, "nbsp;", "\u00A0"},
    {"thetasym;", true, "thetasym;", "\u03D1"},
    {"thetasymbol;", true, "thetasym", "\u03D1"},
    {";", false, "", ""},
    {"", false, "", ""},
    {"#233;", true, "#233;", "\u00E9"},
    {"#xE9;", true, "#xE9;", "\u00E9"},
    {"#XE9;", true, "#XE9;", "\u00E9"},
    {"#xe9", true, "#xe9", "\u00E9"},
    {"#8212;", true, "#8212;", "\u2014"},
    {"#8364;", true, "#8364;", "\u20AC"},
    {"#150;", true, "#150;", "\u2013"},
    {"#151;", true, "#151;", "\u2014"},
    {"#65", true, "#65", "A"},
    {"#65x", true, "#65", "A"},
    {"#;", false, "", ""},
    {"#x;", false, "", ""},
    {"#0;", false, "", ""},
    {"#000;", false, "", ""},
    {"#x1F600;", true, "#x1F600;", "\U0001F600"},
    {"#128512;", true, "#128512;", "\U0001F600"},
    {"#xD800;", true, "#xD800;", "\uFFFD"},
    {"#x110000;", true, "#x110000;", "\uFFFD"},
    {"#99999999999999999999999;", true, "#99999999999999999999999;", "\uFFFD"},
    {"#xFFFFFFFFFFFFFFFFFFFF", true, "#xFFFFFFFFFFFFFFFFFFFF", "\uFFFD"},
};

TYPED_TEST(MarkupTablesBuilds, DecodeEntityReadsNamedAndNumericReferences) {
    TypeParam parser;
    for (const EntityCase& entity : kEntityCases) {
        typename TypeParam::String entityText, replacement;
        const BOOL recognised = parser.DecodeEntity(Text<TypeParam>(entity.text), entityText, replacement);
        EXPECT_EQ(recognised != FALSE, entity.recognised) << entity.text;
        if (recognised) {
            EXPECT_EQ(leaf::test::ToUtf8(entityText), entity.entityText) << entity.text;
            EXPECT_EQ(leaf::test::ToUtf8(replacement), entity.replacement) << entity.text;
        }
    }
}

// An attribute value as a browser reads it: references decoded, except a named one
// without ';' that runs on into '=' or a letter or digit.
TYPED_TEST(MarkupTablesBuilds, DecodeAttributeValueReadsReferencesAsABrowserDoes) {
    const std::pair<const char*, const char*> cases[] = {
        {"a&amp;b.html", "a&b.html"},          {"x&#38;y&#x26;z.gif", "x&y&z.gif"},
        {"?a=1&copy=2", "?a=1&copy=2"},        {"&copy2", "&copy2"},
        {"&copy 2", "\u00A9 2"},               {"&copy;2", "\u00A92"},
        {"n&amp", "n&"},                        {"AT&T &nosuch; &", "AT&T &nosuch; &"},
        {"&quot;q&quot;", "\"q\""},           {"", ""},
    };
    for (const auto& [value, decoded] : cases)
        EXPECT_EQ(leaf::test::ToUtf8(TypeParam::DecodeAttributeValue(Text<TypeParam>(value))), decoded) << value;
}

TEST(MarkupTables, Utf16ReferencesBeyondTheBasicPlaneGiveASurrogatePair) {
    CMarkupParserW parser;
    std::u16string entityText, replacement;
    ASSERT_TRUE(parser.DecodeEntity(u"#x1D11E;", entityText, replacement));
    EXPECT_EQ(replacement, std::u16string(u"\U0001D11E"));
    EXPECT_EQ(replacement.size(), 2u);
}

TEST(MarkupTables, EveryTableEntityIsFound) {
    // A few from each set of the table, and the names beyond HTML 4.01.
    for (const char* name : {"quot", "AElig", "yuml", "fnof", "alefsym", "lArr", "zwj", "rsaquo", "QUOT", "apos",
                             "APOS", "LT", "GT", "brkbar", "die", "COPY", "REG", "hibar"}) {
        EXPECT_NE(leaf::markup::LookupEntity(std::string_view(name)), 0u) << name;
    }
    EXPECT_EQ(leaf::markup::LookupEntity(std::string_view("brkbar")), 166u);
    EXPECT_EQ(leaf::markup::LookupEntity(std::string_view("hibar")), 175u);
    EXPECT_EQ(leaf::markup::LookupEntity(std::u16string_view(u"hearts")), 9829u);
    EXPECT_EQ(leaf::markup::LookupEntity(std::u16string_view(u"h\u00E9arts")), 0u);
}

}  // namespace
