// The readers of the document package: bookmarks with their positions, built-in
// properties, dates, and what malformed text does.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "outside/word/DocxPackage.h"
#include "outside/word/XmlScanner.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

using namespace wordstub;

namespace {

std::vector<std::pair<std::string, long>> Read(std::string_view xml) {
    std::vector<DocxBookmark> bookmarks;
    EXPECT_TRUE(ReadBookmarks(xml, bookmarks));
    std::vector<std::pair<std::string, long>> result;
    for (const DocxBookmark& bookmark : bookmarks)
        result.emplace_back(bookmark.name, bookmark.start);
    return result;
}

}  // namespace

TEST(XmlScannerTest, ReadsElementsAttributesAndDecodedText) {
    XmlScanner scanner("<?xml version=\"1.0\"?><!-- note --><a x='1' p:y=\"&lt;&#65;&#x42;\"><b/>t&amp;u"
                       "<![CDATA[<raw>]]></a>");
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::StartElement);
    EXPECT_EQ(scanner.Name(), "a");
    EXPECT_EQ(scanner.Attribute("x"), "1");
    EXPECT_EQ(scanner.Attribute("y"), "<AB");
    EXPECT_EQ(scanner.Attribute("p:y"), "<AB");
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::StartElement);
    EXPECT_EQ(scanner.Depth(), 2);
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::EndElement);
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::Text);
    EXPECT_EQ(scanner.Text(), "t&u");
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::Text);
    EXPECT_EQ(scanner.Text(), "<raw>");
    ASSERT_EQ(scanner.Next(), XmlScanner::Token::EndElement);
    EXPECT_EQ(scanner.Next(), XmlScanner::Token::End);
}

TEST(XmlScannerTest, StopsAtMalformedInput) {
    for (const char* bad : {"<a", "<a b>", "<a b=\"1>", "</a>", "<a>&bogus;</a>", "<a>&#xZZ;</a>", "<!-- open",
                            "<a>&#12345678901;</a>"}) {
        XmlScanner scanner(bad);
        XmlScanner::Token token;
        int guard = 0;
        do {
            token = scanner.Next();
        } while (token != XmlScanner::Token::Error && token != XmlScanner::Token::End && ++guard < 10);
        EXPECT_EQ(token, XmlScanner::Token::Error) << bad;
    }
}

TEST(DocxBookmarksTest, PositionsCountTextTabsAndParagraphEnds) {
    auto bookmarks = Read(
        "<w:document xmlns:w='x'><w:body>"
        "<w:p><w:pPr><w:tabs><w:tab w:pos='720'/></w:tabs></w:pPr><w:bookmarkStart w:id='0' w:name='First'/>"
        "<w:r><w:t>Ab</w:t><w:tab/><w:t>\xC3\xA9\xF0\x9F\x98\x80</w:t></w:r></w:p>"
        "<w:p><w:r><w:delText>gone</w:delText></w:r><w:bookmarkStart w:id='1' w:name='Second'/></w:p>"
        "</w:body></w:document>");
    // "Ab" + tab + e-acute + one character outside the basic plane (two units) + paragraph end.
    ASSERT_EQ(bookmarks.size(), 2u);
    EXPECT_EQ(bookmarks[0], (std::pair<std::string, long>{"First", 0}));
    EXPECT_EQ(bookmarks[1], (std::pair<std::string, long>{"Second", 7}));
}

TEST(DocxBookmarksTest, HiddenBookmarksAreLeftOut) {
    auto bookmarks = Read(leaf::test::DocumentXml({{"One", {"_GoBack", "_Toc123", "Visible"}}}));
    ASSERT_EQ(bookmarks.size(), 1u);
    EXPECT_EQ(bookmarks[0].first, "Visible");
}

TEST(DocxBookmarksTest, MalformedDocumentIsRefused) {
    std::vector<DocxBookmark> bookmarks;
    EXPECT_FALSE(ReadBookmarks("<w:document><w:p><w:bookmarkStart w:name='a'", bookmarks));
}

TEST(DocxPropertiesTest, CoreAndAppPartsGiveWordNames) {
    std::map<std::string, DocxPropertyValue> properties;
    ReadCoreProperties("<cp:coreProperties xmlns:cp='c' xmlns:dc='d'><dc:title>A &amp; B</dc:title>"
                       "<dc:creator>Ann</dc:creator><dc:subject></dc:subject><unknown>x</unknown>"
                       "</cp:coreProperties>",
                       properties);
    ReadAppProperties("<Properties><Pages>12</Pages><Company>Tallbrook</Company></Properties>", properties);
    ASSERT_TRUE(properties.count("Title"));
    EXPECT_EQ(properties["Title"].text, "A & B");
    EXPECT_EQ(properties["Author"].text, "Ann");
    EXPECT_EQ(properties.count("Subject"), 0u) << "an empty element sets nothing";
    EXPECT_EQ(properties["Number of Pages"].kind, DocxPropertyValue::Kind::Number);
    EXPECT_EQ(properties["Number of Pages"].number, 12);
    EXPECT_EQ(properties["Company"].text, "Tallbrook");
    EXPECT_EQ(properties.size(), 4u);
}

TEST(DocxPropertiesTest, BuiltInNamesAreKnownWithoutRegardToCase) {
    EXPECT_EQ(BuiltInPropertyKind("title"), DocxPropertyValue::Kind::Text);
    EXPECT_EQ(BuiltInPropertyKind("Creation Date"), DocxPropertyValue::Kind::Date);
    EXPECT_EQ(BuiltInPropertyKind("Number of Bytes"), DocxPropertyValue::Kind::Number);
    EXPECT_FALSE(BuiltInPropertyKind("Colour"));
}

TEST(DocxPropertiesTest, DatesBecomeAutomationDates) {
    setenv("TZ", "UTC", 1);
    tzset();
    // 1 March 2024 is day 45352 after 30 December 1899.
    std::optional<double> date = ParseW3cDate("2024-03-01T12:00:00Z");
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(*date, 45352.5);
    EXPECT_DOUBLE_EQ(ParseW3cDate("2024-03-01T12:00:00+02:00").value_or(0), 45352.5 - 2.0 / 24);
    EXPECT_DOUBLE_EQ(ParseW3cDate("2024-03-01").value_or(0), 45352.0);
    EXPECT_FALSE(ParseW3cDate("yesterday"));
    EXPECT_FALSE(ParseW3cDate("2024-13-01T00:00:00Z"));
}

TEST(DocxPackageTest, ReadsAWrittenPackageAndRefusesOtherFiles) {
    leaf::test::TempFolder folder;
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"Hello", {"Start"}}, {"World", {"Zeta", "alpha"}}};
    fixture.title = "Fixture Title";
    ASSERT_TRUE(fixture.Write(folder / "a.docx"));
    ASSERT_TRUE(LooksLikePackage(folder / "a.docx"));
    std::optional<DocxContent> content = ReadDocxPackage(folder / "a.docx");
    ASSERT_TRUE(content);
    ASSERT_EQ(content->bookmarks.size(), 3u);
    EXPECT_EQ(content->bookmarks[0].name, "Start");
    EXPECT_EQ(content->bookmarks[1].start, 6);  // "Hello" and its paragraph end
    EXPECT_EQ(content->properties["Title"].text, "Fixture Title");

    std::string text = folder.WriteFile("plain.doc", "not a package");
    EXPECT_FALSE(LooksLikePackage(text));
    EXPECT_FALSE(ReadDocxPackage(text));
    EXPECT_FALSE(ReadDocxPackage(folder / "missing.docx"));

    // A FIFO under a package's name is none, and is never waited on.
    const std::string fifo = folder / "pipe.docx";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    leaf::test::FifoWatchdog watchdog(fifo);
    EXPECT_FALSE(LooksLikePackage(fifo));
    EXPECT_FALSE(watchdog.Fired()) << "the FIFO was opened";
}
