// Which families the pages and sheets of a book name, in which weight and style, and
// the characters of the text set in them.

#include "outside/fontembedder/FontUsageScanner.h"

#include <gtest/gtest.h>

#include "tests/support/Utf16Bytes.h"

namespace fontembed {
namespace {

using leaf::test::Utf16Bytes;

// The characters of a usage as UTF-8 text, in code point order.
std::string Characters(const FontUsage& usage) {
    std::u32string text(usage.characters.begin(), usage.characters.end());
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

const FontUsage* Find(const std::vector<FontUsage>& usages, const std::string& family, LONG weight = 400,
                      bool italic = false) {
    for (const FontUsage& usage : usages)
        if (usage.family == family && usage.weight == weight && usage.italic == italic)
            return &usage;
    return nullptr;
}

TEST(FontUsageScannerTest, LinkedSheetClassesAndInheritance) {
    CFontUsageScanner scanner;
    scanner.AddStyleSheet("/work/css/book.css",
                          ".story { font-family: \"Story Face\", serif }\n"
                          "p.quote em { font-family: Quoted }\n"
                          "#title { font-weight: bold }\n"
                          ".unused { font-family: Never Used; font-style: italic }");
    scanner.ScanPage("/work/pages/one.htm",
                     "<html><head><link rel=\"StyleSheet\" href=\"../css/book.css\"><title>Ignored</title></head>"
                     "<body><div class=\"story\">aab<span>c</span>"
                     "<p class=quote>d<em>e&amp;&#x263A;</em></p>"
                     "<h2 id=title class='story'>H</h2></div>x</body></html>");
    std::vector<FontUsage> usages = scanner.Usages();

    const FontUsage* story = Find(usages, "Story Face");
    ASSERT_NE(story, nullptr);
    EXPECT_EQ(Characters(*story), "abcd");
    const FontUsage* storyBold = Find(usages, "Story Face", 700);
    ASSERT_NE(storyBold, nullptr);
    EXPECT_EQ(Characters(*storyBold), "H");
    const FontUsage* quoted = Find(usages, "Quoted", 400, true);  // em is italic
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(Characters(*quoted), "&e\xE2\x98\xBA");
    const FontUsage* serif = Find(usages, "serif");
    ASSERT_NE(serif, nullptr);
    EXPECT_EQ(Characters(*serif), "abcd");  // the second family of the same list
    const FontUsage* unused = Find(usages, "Never Used", 400, true);
    ASSERT_NE(unused, nullptr);  // named by a sheet, though no text uses it
    EXPECT_TRUE(unused->characters.empty());
    EXPECT_EQ(Find(usages, "Ignored"), nullptr);
}

TEST(FontUsageScannerTest, InlineStylesFontFacesAndTagDefaults) {
    CFontUsageScanner scanner;
    scanner.ScanPage("page.html",
                     "<style>b { font-weight: normal } .i { font-style: italic }</style>"
                     "<p style=\"font: bold 10px Inline\">x<b>y</b><i>z</i></p>"
                     "<font face='Old, Older'>\xC3\xA9 \xE9</font>"  // UTF-8 e-acute, then a Windows-1252 one
                     "<strong><span class=i style='font-family:Both'>q</span></strong>"
                     "<br/><img src=a.png>after<!-- <p style='font-family:Hidden'>h</p> -->");
    std::vector<FontUsage> usages = scanner.Usages();
    ASSERT_NE(Find(usages, "Inline", 700), nullptr);
    EXPECT_EQ(Characters(*Find(usages, "Inline", 700)), "x");
    ASSERT_NE(Find(usages, "Inline", 400), nullptr);  // b made normal by the page's own rule
    EXPECT_EQ(Characters(*Find(usages, "Inline", 400)), "y");
    ASSERT_NE(Find(usages, "Inline", 700, true), nullptr);
    EXPECT_EQ(Characters(*Find(usages, "Inline", 700, true)), "z");
    ASSERT_NE(Find(usages, "Older"), nullptr);
    EXPECT_EQ(Characters(*Find(usages, "Older")), "\xC3\xA9");  // one character, counted once
    ASSERT_NE(Find(usages, "Both", 700, true), nullptr);
    EXPECT_EQ(Find(usages, "Hidden"), nullptr);
}

TEST(FontUsageScannerTest, MentionsGiveWayToUsedStylesAndFontFacesAreExternal) {
    CFontUsageScanner scanner;
    scanner.AddStyleSheet("/b/s.css",
                          "h1 { font-family: Heading }\n"
                          "@font-face { font-family: \"Own Face\"; src: local(x), url('fonts/own.woff') }\n"
                          "p { font-family: 'Own Face' }");
    scanner.ScanPage("/b/p.xhtml", "<link rel=stylesheet href=s.css /><h1>T</h1><p>o</p>");
    std::vector<FontUsage> usages = scanner.Usages();
    EXPECT_EQ(Find(usages, "Heading", 400), nullptr);  // only the bold heading text uses it
    ASSERT_NE(Find(usages, "Heading", 700), nullptr);
    const FontUsage* own = Find(usages, "Own Face");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->externalUrl, "fonts/own.woff");
    EXPECT_EQ(Characters(*own), "o");
}

TEST(FontUsageScannerTest, Utf16PagesAndSheetsOfEitherByteOrderAreRead) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        CFontUsageScanner scanner;
        scanner.AddStyleSheet("/b/s.css", Utf16Bytes(u".t { font-family: Sheet\u00C9 }", bigEndian));
        scanner.ScanPage("/b/p.html", Utf16Bytes(u"<link rel=stylesheet href=s.css><p class=t>\u00E9</p>"
                                                 u"<p style='font-family: Inline'>\u4E2D&#x41;</p>",
                                                 bigEndian));
        std::vector<FontUsage> usages = scanner.Usages();
        ASSERT_NE(Find(usages, "Sheet\xC3\x89"), nullptr);
        EXPECT_EQ(Characters(*Find(usages, "Sheet\xC3\x89")), "\xC3\xA9");
        ASSERT_NE(Find(usages, "Inline"), nullptr);
        EXPECT_EQ(Characters(*Find(usages, "Inline")), "A\xE4\xB8\xAD");
    }
    // A UTF-8 mark is no text.
    CFontUsageScanner scanner;
    scanner.ScanPage("p.html", "\xEF\xBB\xBF<p style='font-family: Marked'>m</p>");
    ASSERT_NE(Find(scanner.Usages(), "Marked"), nullptr);
    EXPECT_EQ(Characters(*Find(scanner.Usages(), "Marked")), "m");
}

TEST(FontUsageScannerTest, SheetsNotAddedAndUnclosedMarkupAreHarmless) {
    CFontUsageScanner scanner;
    std::string page = "<link rel=stylesheet href=\"missing.css\"><link rel=stylesheet href=\"http://x/y.css\">";
    for (int i = 0; i < 5000; ++i)
        page += "<div style='font-family: Deep'>";
    page += "z</p></div><p class=\"a";  // an end tag without start, an attribute never closed
    scanner.ScanPage("/b/p.html", page);
    std::vector<FontUsage> usages = scanner.Usages();
    ASSERT_EQ(usages.size(), 1u);
    EXPECT_EQ(Characters(usages[0]), "z");
}

}  // namespace
}  // namespace fontembed
