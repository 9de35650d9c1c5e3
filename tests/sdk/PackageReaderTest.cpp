#include "sdk/package/PackageReader.h"

#include <gtest/gtest.h>

#include "platform/base/File.h"
#include "sdk/package/PackageFile.h"
#include "sdk/package/XmlReferences.h"
#include "tests/support/TempFolder.h"

namespace {

class PackageReaderTest : public ::testing::Test {
protected:
    // Reads a package file made of the given text.
    HRESULT ReadText(const std::string& text)
    {
        const std::string path = m_folder.WriteFile("in.opf", text);
        return m_package.Read(path.c_str());
    }

    std::string Spine() const
    {
        std::string ids;
        for (int i = 0; i < m_package.GetSpineCount(); ++i)
            ids += m_package.GetManifestItem(m_package.GetSpineItem(i))->m_strId.str() + ";";
        return ids;
    }

    leaf::test::TempFolder m_folder;
    CPackageFile m_package;
};

constexpr const char* kManifestAB =
    "<manifest><item id=\"a\" href=\"a.htm\" media-type=\"text/html\"/>"
    "<item id=\"b\" href=\"b.htm\" media-type=\"text/html\"></item></manifest>\n";

TEST_F(PackageReaderTest, ItemsSelfClosingOrClosedByEndTag)
{
    ASSERT_EQ(ReadText(kManifestAB), S_OK);
    ASSERT_EQ(m_package.GetManifestCount(), 2);
    const CManifestItem* a = m_package.GetManifestItem(0);
    EXPECT_EQ(a->m_strPath, "a.htm");
    EXPECT_EQ(a->m_strId, "a");
    EXPECT_EQ(a->m_strMediaType, "text/html");
    EXPECT_EQ(m_package.GetManifestItem(1)->m_strId, "b");
    EXPECT_EQ(m_package.GetSpineCount(), 0);
    EXPECT_EQ(m_package.GetLastReadResult(), S_OK);
}

TEST_F(PackageReaderTest, SpineFollowsTheManifest)
{
    ASSERT_EQ(ReadText(std::string(kManifestAB) +
                       "<spine><itemref idref=\"b\"/><itemref idref=\"a\" idref=\"b\"/><itemref idref=\"zz\"/>"
                       "<itemref/></spine>"),
              S_OK);
    EXPECT_EQ(Spine(), "b;a;");

    ASSERT_EQ(ReadText(std::string("<spine><itemref idref=\"b\"/><itemref idref=\"a\"/></spine>") + kManifestAB), S_OK);
    EXPECT_EQ(m_package.GetSpineCount(), 0);
}

TEST_F(PackageReaderTest, MetadataNeedsItsEnclosingSection)
{
    ASSERT_EQ(ReadText("<package version=\"1.0\" unique-identifier=\"x\">\n"
                       "<metadata><dc-metadata>\n"
                       "<dc:Title>  My\n   Book </dc:Title>\n"
                       "<dc:title>Second</dc:title>\n"
                       "<dc:Creator role='aut' file-as=\"Doe, J\">J &amp;amp;lt; Doe</dc:Creator>\n"
                       "<!-- a comment -->"
                       "<dc:Identifier id=x scheme>1</dc:Identifier>\n"
                       "</dc-metadata><x-metadata>"
                       "<meta name=\"n1\" content=\"c1\"/><other>text</other></x-metadata></metadata>\n"
                       "<dc-metadata><dc:Subject>outside</dc:Subject></dc-metadata></package>"),
              S_OK);
    EXPECT_TRUE(m_package.GetUniqueIdentifier().IsEmpty());  // not the first attribute
    ASSERT_EQ(m_package.GetDCMetaCount(), 3);
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strName, "dc:Title");
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strValue, " My Book ");
    EXPECT_EQ(m_package.GetDCMetaItem(1)->m_strValue, "J &amp;amp;lt; Doe");
    EXPECT_EQ(m_package.GetDCMetaItem(1)->m_strAttributes, "role=\"aut\" file-as=\"Doe, J\"");
    EXPECT_EQ(m_package.GetDCMetaItem(2)->m_strAttributes, "id=\"x\" scheme=\"\"");
    ASSERT_EQ(m_package.GetXMetaCount(), 2);
    EXPECT_EQ(m_package.GetXMetaItem(0)->m_strName, "n1");
    EXPECT_EQ(m_package.GetXMetaItem(0)->m_strValue, "c1");
    EXPECT_EQ(m_package.GetXMetaItem(1)->m_strName, "other");
    EXPECT_EQ(m_package.GetXMetaItem(1)->m_strValue, "text");
}

TEST_F(PackageReaderTest, UniqueIdentifierFromTheFirstAttribute)
{
    ASSERT_EQ(ReadText("<?xml version=\"1.0\"?><package unique-identifier=\"uid\" version=\"1\"></package>"), S_OK);
    EXPECT_EQ(m_package.GetUniqueIdentifier(), "uid");
}

TEST_F(PackageReaderTest, ToursAndGuide)
{
    ASSERT_EQ(ReadText("<tours><site title=\"early\" href=\"e.htm\"/>"
                       "<tour id=\"t\" title=\"Walk\"><site title=\"One\" href=\"1.htm\"/>"
                       "<stop title=\"Two\" href=\"2.htm\"></stop></tour>"
                       "<TOUR title=\"Second\"/></tours>"
                       "<guide><reference type=\"toc\" title=\"Contents\" href=\"toc.htm\"/></guide>"),
              S_OK);
    ASSERT_EQ(m_package.GetTourCount(), 2);
    EXPECT_EQ(m_package.GetTour(0)->m_strId, "t");
    EXPECT_EQ(m_package.GetTour(0)->m_strTitle, "Walk");
    ASSERT_EQ(m_package.GetTourSiteCount(0), 2);
    EXPECT_EQ(m_package.GetTourSite(0, 1)->m_strHref, "2.htm");
    EXPECT_EQ(m_package.GetTourSiteCount(1), 0);
    ASSERT_EQ(m_package.GetGuideCount(), 1);
    EXPECT_EQ(m_package.GetGuideItem(0)->m_strType, "toc");
    EXPECT_EQ(m_package.GetGuideItem(0)->m_strTitle, "Contents");
    EXPECT_EQ(m_package.GetGuideItem(0)->m_strHref, "toc.htm");
}

TEST_F(PackageReaderTest, HtmlElementNamesChangeNothing)
{
    // In an HTML page these would hide the rest of the file as script or title text.
    ASSERT_EQ(ReadText("<metadata><dc-metadata><script/><title>T</title><del>d</del>"
                       "<dc:Title>After</dc:Title></dc-metadata></metadata>"),
              S_OK);
    ASSERT_EQ(m_package.GetDCMetaCount(), 4);
    EXPECT_EQ(m_package.GetDCMetaItem(1)->m_strValue, "T");
    EXPECT_EQ(m_package.GetDCMetaItem(2)->m_strValue, "d");
    EXPECT_EQ(m_package.GetDCMetaItem(3)->m_strValue, "After");
}

TEST_F(PackageReaderTest, EmptySectionElementsOpenNothing)
{
    ASSERT_EQ(ReadText("<tours/><spine /><guide><reference type=\"toc\" href=\"t.htm\"/></guide>"), S_OK);
    EXPECT_EQ(m_package.GetGuideCount(), 1);
}

TEST_F(PackageReaderTest, WindowsLineEndsRead)
{
    ASSERT_EQ(ReadText("<metadata>\r\n<dc-metadata>\r\n<dc:Title>A\r\nB</dc:Title>\r\n</dc-metadata>\r\n</metadata>\r\n"),
              S_OK);
    ASSERT_EQ(m_package.GetDCMetaCount(), 1);
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strValue, "A B");
}

TEST_F(PackageReaderTest, MissingFileAndReadingClearsFirst)
{
    m_package.AddXMetaData(std::make_unique<CDCMetaItem>("old", "x"));
    EXPECT_EQ(m_package.Read((m_folder / "nothing.opf").c_str()), PKG_E_OPENFILE);
    EXPECT_EQ(m_package.GetLastReadResult(), PKG_E_OPENFILE);
    EXPECT_EQ(m_package.GetXMetaCount(), 0);
}

TEST_F(PackageReaderTest, BadInputReadsWhatItCan)
{
    // Truncated in the middle of a tag.
    ASSERT_EQ(ReadText(std::string(kManifestAB) + "<spine><itemref idref=\"a\"/><itemref idr"), S_OK);
    EXPECT_EQ(Spine(), "a;");

    // Not XML at all.
    ASSERT_EQ(ReadText(std::string("\x00\xFF\xFE<<<>>>&&&;\"'\n", 16) + "=<!-- -- >"), S_OK);
    EXPECT_EQ(m_package.GetManifestCount(), 0);

    // Deeply nested unknown elements around a real item.
    std::string nested = "<manifest>";
    for (int i = 0; i < 20000; ++i) nested += "<x>";
    nested += "<item id=\"deep\" href=\"d.htm\"/>";
    for (int i = 0; i < 20000; ++i) nested += "</x>";
    ASSERT_EQ(ReadText(nested + "</manifest>"), S_OK);
    ASSERT_GE(m_package.GetManifestCount(), 1);
    EXPECT_EQ(m_package.GetManifestItem(0)->m_strId, "deep");

    // One enormous element text is capped.
    ASSERT_EQ(ReadText("<metadata><dc-metadata><dc:Description>" + std::string(3 << 20, 'w') +
                       "</dc:Description></dc-metadata></metadata>"),
              S_OK);
    ASSERT_EQ(m_package.GetDCMetaCount(), 1);
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strValue.GetLength(), static_cast<int>(CPackageReader::kMaxElementText));
}

TEST(PackageReaderUnescape, UndoesOnlyTheWritersEscapes)
{
    struct Case { const char* in; const char* out; };
    for (const Case c : {Case{"&lt;a&gt; AT&amp;T &amp; &", "<a> AT&T & &"},
                         Case{"&amp;lt; &amp;copy; &amp;#233; &amp;#xE9;", "&amp;lt; &amp;copy; &amp;#233; &amp;#xE9;"},
                         Case{"&amp;nosuch; &amp;#0; &amp;#XE9;", "&nosuch; &#0; &#XE9;"},
                         Case{"&quot; &copy; &#233;", "&quot; &copy; &#233;"},
                         Case{"&amp;amp;", "&amp;amp;"}, Case{"&amp", "&amp"}}) {
        EXPECT_EQ(leaf::package::UnescapeXml(c.in).str(), c.out) << c.in;
    }
}

TEST_F(PackageReaderTest, ReferencesInElementTextAreKept)
{
    ASSERT_EQ(ReadText("<metadata><dc-metadata><dc:Rights>&copy; 2001 &#233; AT&amp;T &lt;x&gt;</dc:Rights>"
                       "</dc-metadata></metadata>"),
              S_OK);
    ASSERT_EQ(m_package.GetDCMetaCount(), 1);
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strValue, "&copy; 2001 &#233; AT&T <x>");
}

TEST_F(PackageReaderTest, DeclarationsAndCDataInsideAnElementKeepIt)
{
    ASSERT_EQ(ReadText("<metadata><dc-metadata>"
                       "<dc:Title>A <?pi x?>B</dc:Title>"
                       "<dc:Creator>C <![CDATA[x<y & &lt;  z]]> D</dc:Creator>"
                       "<!DOCTYPE stray><dc:Subject><![CDATA[]]></dc:Subject>"
                       "</dc-metadata></metadata>"),
              S_OK);
    ASSERT_EQ(m_package.GetDCMetaCount(), 3);
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strName, "dc:Title");
    EXPECT_EQ(m_package.GetDCMetaItem(0)->m_strValue, "A B");
    EXPECT_EQ(m_package.GetDCMetaItem(1)->m_strName, "dc:Creator");
    // The section's "&lt;" is text, kept as the model's XML text for it.
    EXPECT_EQ(m_package.GetDCMetaItem(1)->m_strValue, "C x<y & &amp;lt; z D");
    EXPECT_EQ(m_package.GetDCMetaItem(2)->m_strName, "dc:Subject");
    EXPECT_TRUE(m_package.GetDCMetaItem(2)->m_strValue.IsEmpty());
}

}  // namespace
