#include "sdk/package/PackageWriter.h"

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "platform/base/File.h"
#include "sdk/package/PackageFile.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr const char* kHeader =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE package\n"
    "  PUBLIC \"+//ISBN 0-9673008-1-9//DTD OEB 1.0.1 Package//EN\"\n"
    "  \"http://openebook.org/dtds/oeb-1.0.1/oebpkg101.dtd\">\n"
    "\n";
constexpr const char* kDCMetadataOpen =
    "\t\t<dc-metadata xmlns:dc=\"http://purl.org/dc/elements/1.0/\" "
    "xmlns:oebpackage=\"http://openebook.org/namespaces/oeb-package/1.0/\">\n";

std::string ReadAll(const std::string& path)
{
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents)) << path;
    return contents;
}

// The written text with the random GUID replaced by a fixed one.
std::string WithFixedGuid(std::string text)
{
    static const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
    return std::regex_replace(text, guid, "{GUID}");
}

TEST(PackageWriter, MinimalPackageGetsAGeneratedIdentifier)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddManifestItem(std::make_unique<CManifestItem>("a.htm", "a", "text/html"), TRUE);
    ASSERT_EQ(package.Write((folder / "book.opf").c_str()), S_OK);

    EXPECT_EQ(WithFixedGuid(ReadAll(folder / "book.opf")),
              std::string(kHeader) +
                  "<package unique-identifier=\"TallbrookGUID\">\n\n"
                  "\t<metadata>\n" +
                  kDCMetadataOpen +
                  "\t\t\t<dc:Identifier id=\"TallbrookGUID\" scheme=\"GUID\">{GUID}</dc:Identifier>\n"
                  "\t\t</dc-metadata>\n"
                  "\t</metadata>\n\n"
                  "\t<manifest>\n"
                  "\t\t<item id=\"a\" href=\"a.htm\" media-type=\"text/html\" />\n"
                  "\t</manifest>\n\n"
                  "\t<spine>\n"
                  "\t\t<itemref idref=\"a\" />\n"
                  "\t</spine>\n\n"
                  "</package>\n");
    EXPECT_EQ(package.GetUniqueIdentifier(), "TallbrookGUID");
    EXPECT_EQ(package.GetDCMetaCount(), 1);

    // A second write finds the identifier in place and adds none.
    ASSERT_EQ(package.Write((folder / "again.opf").c_str()), S_OK);
    EXPECT_EQ(package.GetDCMetaCount(), 1);
    EXPECT_EQ(ReadAll(folder / "book.opf"), ReadAll(folder / "again.opf"));
}

TEST(PackageWriter, EverySectionInItsPlace)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Title", "Tom \"Thumb\" & <Co>"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "0-12-3", "id='isbn' scheme=ISBN"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Rights", "", "holder=Me"));
    ASSERT_TRUE(package.SetUniqueIdentifier("isbn"));
    package.AddXMetaData(std::make_unique<CDCMetaItem>("lcver-SDK", "1, 0 (01/02/2003)"));
    package.AddXMetaData(std::make_unique<CDCMetaItem>("empty", ""));
    package.AddManifestItem(std::make_unique<CManifestItem>("a.htm?x=1&y=2", "a", "text/html"), TRUE);
    package.AddManifestItem(std::make_unique<CManifestItem>("pic.gif", "pic", ""), FALSE);
    auto tour = std::make_unique<CTourRecord>("Walk", "");
    tour->m_sites.push_back(std::make_unique<CTourSite>("Start", "a.htm#top"));
    package.AddTour(std::move(tour));
    package.AddGuideItem(std::make_unique<CGuideReference>("Contents", "toc", "a.htm"));
    package.AddGuideItem(std::make_unique<CGuideReference>("", "cover", ""));
    ASSERT_EQ(package.Write((folder / "book.opf").c_str()), S_OK);

    EXPECT_EQ(ReadAll(folder / "book.opf"),
              std::string(kHeader) +
                  "<package unique-identifier=\"isbn\">\n\n"
                  "\t<metadata>\n" +
                  kDCMetadataOpen +
                  "\t\t\t<dc:Title>Tom \"Thumb\" &amp; &lt;Co&gt;</dc:Title>\n"
                  "\t\t\t<dc:Identifier id=\"isbn\" scheme=\"ISBN\">0-12-3</dc:Identifier>\n"
                  "\t\t\t<dc:Rights holder=\"Me\" />\n"
                  "\t\t</dc-metadata>\n"
                  "\t\t<x-metadata>\n"
                  "\t\t\t<meta name=\"lcver-SDK\" content=\"1, 0 (01/02/2003)\" />\n"
                  "\t\t\t<meta name=\"empty\" />\n"
                  "\t\t</x-metadata>\n"
                  "\t</metadata>\n\n"
                  "\t<manifest>\n"
                  "\t\t<item id=\"a\" href=\"a.htm?x=1%26y=2\" media-type=\"text/html\" />\n"
                  "\t\t<item id=\"pic\" href=\"pic.gif\" />\n"
                  "\t</manifest>\n\n"
                  "\t<spine>\n"
                  "\t\t<itemref idref=\"a\" />\n"
                  "\t</spine>\n\n"
                  "\t<tours>\n"
                  "\t\t<tour title=\"Walk\" >\n"
                  "\t\t\t<site title=\"Start\" href=\"a.htm#top\" />\n"
                  "\t\t</tour>\n"
                  "\t</tours>\n\n"
                  "\t<guide>\n"
                  "\t\t<reference type=\"toc\" title=\"Contents\" href=\"a.htm\" />\n"
                  "\t\t<reference type=\"cover\" />\n"
                  "\t</guide>\n\n"
                  "</package>\n");
}

TEST(PackageWriter, IdentifierRecordsWithoutIdGetNumberedIds)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "1", "scheme=\"ISBN\""));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "2", "id=\"ID1\""));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "3", "id=\"\" scheme=\"X\""));
    EXPECT_FALSE(package.SetUniqueIdentifier("ID2"));
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);

    EXPECT_EQ(package.GetDCMetaItem(0)->m_strAttributes, "scheme=\"ISBN\" id=\"ID2\"");
    // An empty id is replaced, not written twice.
    EXPECT_EQ(package.GetDCMetaItem(2)->m_strAttributes, "id=\"ID3\" scheme=\"X\"");
    // No identifier had been chosen, so a GUID identifier is added as well.
    EXPECT_EQ(package.GetDCMetaCount(), 4);
    EXPECT_EQ(package.GetUniqueIdentifier(), "TallbrookGUID");
    const std::string text = ReadAll(folder / "p.opf");
    EXPECT_NE(text.find("<dc:Identifier id=\"ID3\" scheme=\"X\">3</dc:Identifier>"), std::string::npos);
}

TEST(PackageWriter, UnknownUniqueIdentifierIsReplaced)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "1", "id=\"real\""));
    ASSERT_TRUE(package.SetUniqueIdentifier("real"));
    package.GetDCMetaItem(0)->m_strAttributes = "id=\"changed\"";
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    EXPECT_EQ(package.GetUniqueIdentifier(), "TallbrookGUID");
}

TEST(PackageWriter, ManifestItemsWithoutIdGetUnusedIds)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddManifestItem(std::make_unique<CManifestItem>("one.htm", "", "text/html"), TRUE);
    package.AddManifestItem(std::make_unique<CManifestItem>("two.htm", "lc_id1", "text/html"), TRUE);
    package.AddManifestItem(std::make_unique<CManifestItem>("three.htm", "", "text/html"), TRUE);
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    const std::string text = ReadAll(folder / "p.opf");
    EXPECT_NE(text.find("<item id=\"LC_ID2\" href=\"one.htm\""), std::string::npos) << text;
    EXPECT_NE(text.find("<item id=\"LC_ID3\" href=\"three.htm\""), std::string::npos) << text;
    EXPECT_NE(text.find("<itemref idref=\"LC_ID2\" />\n\t\t<itemref idref=\"lc_id1\" />\n\t\t<itemref idref=\"LC_ID3\" />"),
              std::string::npos);
    EXPECT_TRUE(package.GetManifestItem(0)->m_strId.IsEmpty());  // the model is not changed
}

TEST(PackageWriterEscaping, EscapeXmlKeepsOnlyCompleteReferences)
{
    struct Case { const char* in; BOOL url; const char* out; };
    for (const Case c : {Case{"AT&T", FALSE, "AT&amp;T"},
                         Case{"&copy; 2001", FALSE, "&copy; 2001"},
                         Case{"&amp;&lt;&#233;&#xE9;", FALSE, "&amp;&lt;&#233;&#xE9;"},
                         Case{"&copy 2001", FALSE, "&amp;copy 2001"},
                         Case{"&nosuchname;", FALSE, "&amp;nosuchname;"},
                         Case{"&#XE9; &#; &#x; &#0; &#1;", FALSE, "&amp;#XE9; &amp;#; &amp;#x; &amp;#0; &amp;#1;"},
                         Case{"&#99999999999;", FALSE, "&amp;#99999999999;"},
                         Case{"&apos;&", FALSE, "&apos;&amp;"},
                         Case{"a<b>c", FALSE, "a&lt;b&gt;c"},
                         Case{"a.htm?x=1&y=2", TRUE, "a.htm?x=1%26y=2"},
                         Case{"say \"hi\".htm", TRUE, "say %22hi%22.htm"},
                         Case{"bell\x07tab\tend", FALSE, "bell tab\tend"}}) {
        EXPECT_EQ(CPackageWriter::EscapeXml(c.in, c.url).str(), c.out) << c.in;
    }
    EXPECT_EQ(CPackageWriter::EscapeQuotes("a \"b\"").str(), "a &quot;b&quot;");
}

TEST(PackageWriterEscaping, AttributeValuesAreAlwaysQuotedSafely)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Subject", "x", "scheme='say \"hi\"' bare"));
    package.AddGuideItem(std::make_unique<CGuideReference>("Tom \"Thumb\" & <Co>", "t\"y", "a \"b\".htm"));
    package.AddGuideItem(std::make_unique<CGuideReference>("ends\\", "ends=", "q.htm?a="));
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    const std::string text = ReadAll(folder / "p.opf");
    EXPECT_NE(text.find("<dc:Subject scheme=\"say &quot;hi&quot;\" bare=\"\">x</dc:Subject>"), std::string::npos)
        << text;
    EXPECT_NE(text.find("<reference type=\"t&quot;y\" title=\"Tom &quot;Thumb&quot; &amp; &lt;Co&gt;\" "
                        "href=\"a %22b%22.htm\" />"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<reference type=\"ends&#61;\" title=\"ends&#92;\" href=\"q.htm?a%3D\" />"),
              std::string::npos)
        << text;
}

TEST(PackageWriterEscaping, SupplementalItemsAlwaysCarryTheirName)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddXMetaData(std::make_unique<CDCMetaItem>("", "value"));
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    CPackageFile copy;
    ASSERT_EQ(copy.Read((folder / "p.opf").c_str()), S_OK);
    ASSERT_EQ(copy.GetXMetaCount(), 1);
    EXPECT_EQ(copy.GetXMetaItem(0)->m_strName, "");
    EXPECT_EQ(copy.GetXMetaItem(0)->m_strValue, "value");
}

// A record the file cannot carry fails the write, naming it, and leaves no file; nothing
// the author entered is dropped without a word.
TEST(PackageWriterFailures, RecordsXmlCannotCarryFailTheWriteByName)
{
    struct Case {
        const char* name;
        const char* attributes;
        const char* named;  // what the error text must name
    };
    for (const Case& bad : {Case{"my field", "", "\"my field\""}, Case{"", "", "\"\""},
                            Case{"dc:\xC2\xA9", "", "\"dc:\xC2\xA9\""},
                            Case{"dc:Creator", "a=1 9x=3", "\"9x\""},
                            Case{"dc:Creator", "role=aut role=edt", "\"role\" twice"}}) {
        SCOPED_TRACE(bad.name + std::string(" ") + bad.attributes);
        leaf::test::TempFolder folder;
        CPackageFile package;
        package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Title", "kept"));
        package.AddDCMetaData(std::make_unique<CDCMetaItem>(bad.name, "value", bad.attributes));
        EXPECT_EQ(package.Write((folder / "p.opf").c_str()), PKG_E_INVALIDRECORD);
        EXPECT_NE(package.GetLastWriteError().str().find(bad.named), std::string::npos) << package.GetLastWriteError().str();
        EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    }
}

TEST(PackageWriterEscaping, AnAttributeRepeatedWithTheSameValueIsWrittenOnce)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Creator", "z", "role=aut role='aut' file-as=Z"));
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    EXPECT_EQ(package.GetLastWriteError().str(), "");
    const std::string text = ReadAll(folder / "p.opf");
    EXPECT_NE(text.find("<dc:Creator role=\"aut\" file-as=\"Z\">z</dc:Creator>"), std::string::npos) << text;
}

TEST(PackageWriterEscaping, TextIsWrittenAsUtf8Characters)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Title", "caf\xE9 \xC3\xA9t\xC3\xA9 \xEF\xBF\xBF."));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:\xC3\xA9l\xC3\xA9ment", "kept"));
    ASSERT_EQ(package.Write((folder / "p.opf").c_str()), S_OK);
    const std::string text = ReadAll(folder / "p.opf");
    EXPECT_NE(text.find("<dc:Title>caf\xC3\xA9 \xC3\xA9t\xC3\xA9  .</dc:Title>"), std::string::npos) << text;
    EXPECT_NE(text.find("<dc:\xC3\xA9l\xC3\xA9ment>kept</dc:\xC3\xA9l\xC3\xA9ment>"), std::string::npos);
}

TEST(PackageWriterFailures, UncreatablePathGivesTheCreationError)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    package.AddManifestItem(std::make_unique<CManifestItem>("a.htm", "a", "text/html"), TRUE);
    EXPECT_EQ(package.Write((folder / "missing/book.opf").c_str()), PKG_E_CREATEFILE);
    EXPECT_EQ(package.Write(folder.Path().string().c_str()), PKG_E_CREATEFILE);
    EXPECT_EQ(package.Write(""), PKG_E_CREATEFILE);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(PackageWriterFailures, InconsistentModelLeavesNoFile)
{
    leaf::test::TempFolder folder;
    CPackageFile package;
    auto tour = std::make_unique<CTourRecord>("t", "");
    tour->m_sites.push_back(nullptr);
    package.AddTour(std::move(tour));
    EXPECT_EQ(package.Write((folder / "p.opf").c_str()), E_UNEXPECTED);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(PackageWriterFailures, ReplacesAnExistingFileWhole)
{
    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("book.opf", std::string(100000, 'x'));
    CPackageFile package;
    ASSERT_EQ(package.Write(path.c_str()), S_OK);
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("xxxx"), std::string::npos);
    EXPECT_TRUE(text.ends_with("</package>\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
