#include <gtest/gtest.h>

#include "platform/base/TextEncoding.h"

using leaf::Utf16ToUtf8;
using leaf::Utf8Decoder;
using leaf::Utf8ToUtf16;

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }

class Utf8Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decoding, DecodesOrFallsBackToWindows1252) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decoding,
    testing::Values(
        DecodeCase{"ascii", "plain", u"plain"},
        DecodeCase{"two bytes", "caf\xC3\xA9", u"caf\u00e9"},
        DecodeCase{"three bytes", "\xE2\x82\xAC", u"\u20ac"},
        DecodeCase{"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        DecodeCase{"largest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        DecodeCase{"cp1252 euro and quotes", "\x80\x93x\x94", u"\u20ac\u201cx\u201d"},
        DecodeCase{"cp1252 letter", "caf\xE9!", u"caf\u00e9!"},
        DecodeCase{"undefined cp1252", "\x81\x8D\x8F\x90\x9D", u"\u0081\u008d\u008f\u0090\u009d"},
        DecodeCase{"overlong slash", "\xC0\xAF", u"\u00c0\u00af"},
        DecodeCase{"overlong three", "\xE0\x80\xAF", u"\u00e0\u20ac\u00af"},
        DecodeCase{"overlong four", "\xF0\x8F\xBF\xBF", u"\u00f0\u008f\u00bf\u00bf"},
        DecodeCase{"surrogate", "\xED\xA0\x80", u"\u00ed\u00a0\u20ac"},
        DecodeCase{"above max", "\xF4\x90\x80\x80", u"\u00f4\u0090\u20ac\u20ac"},
        DecodeCase{"truncated at end", "a\xE2\x82", u"a\u00e2\u201a"},
        DecodeCase{"truncated then ascii", "\xF0\x9F" "A", u"\u00f0\u0178A"},
        DecodeCase{"lone continuation", "\xBFx", u"\u00bfx"},
        DecodeCase{"invalid lead", "\xFF\xFE", u"\u00ff\u00fe"}),
    [](const testing::TestParamInfo<DecodeCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(Utf8Encoding, RoundTripAndLoneSurrogates) {
    const std::u16string text = u"A\u00e9\u20ac\U0001F600z";
    EXPECT_EQ(Utf16ToUtf8(text), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDBFF))), "\xEF\xBF\xBD");

    std::string out;
    leaf::AppendUtf8(out, 0x110000);
    leaf::AppendUtf8(out, 0xDFFF);
    EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
    std::u16string units;
    leaf::AppendUtf16(units, 0x1F600);
    leaf::AppendUtf16(units, 0xD800);
    EXPECT_EQ(units, std::u16string(u"\U0001F600\uFFFD"));
}

TEST(Utf8Validation, AcceptsOnlyShortestFormWithoutSurrogates) {
    EXPECT_TRUE(leaf::IsValidUtf8(""));
    EXPECT_TRUE(leaf::IsValidUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(leaf::IsValidUtf8("caf\xE9"));
    EXPECT_FALSE(leaf::IsValidUtf8("\xC0\x80"));
    EXPECT_FALSE(leaf::IsValidUtf8("\xED\xBF\xBF"));
    EXPECT_FALSE(leaf::IsValidUtf8("\xE2\x82"));
}

TEST(Utf8Decoder, EverySplitMatchesWholeDecoding) {
    const std::string mixed =
        "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x93\xE0\x80\xAF\xED\xA0\x80\xF0\x9F" "b\xC3\xE2\x82";
    const std::u16string whole = Utf8ToUtf16(mixed);
    for (size_t first = 0; first <= mixed.size(); ++first) {
        for (size_t second = first; second <= mixed.size(); ++second) {
            Utf8Decoder decoder;
            std::u16string out;
            decoder.Decode(mixed.substr(0, first), out);
            decoder.Decode(mixed.substr(first, second - first), out);
            decoder.Decode(mixed.substr(second), out);
            decoder.Finish(out);
            ASSERT_EQ(out, whole) << "split at " << first << " and " << second;
        }
    }
}

TEST(Utf8Decoder, ByteAtATimeAndReuseAfterFinish) {
    const std::string text = "\xF0\x9F\x98\x80\xE2\x82";
    Utf8Decoder decoder;
    std::u16string out;
    for (char ch : text)
        decoder.Decode(std::string_view(&ch, 1), out);
    EXPECT_EQ(out, u"\U0001F600");  // the incomplete tail waits
    decoder.Finish(out);
    EXPECT_EQ(out, u"\U0001F600\u00e2\u201a");
    out.clear();
    decoder.Decode("ok", out);
    decoder.Finish(out);
    EXPECT_EQ(out, u"ok");
}

}  // namespace
