// A package written, read back and written again gives the same file, and the records
// read back are those written.

#include <gtest/gtest.h>

#include "platform/base/File.h"
#include "sdk/package/PackageFile.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents)) << path;
    return contents;
}

void FillRichPackage(CPackageFile& package)
{
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Title", "Tom \"Thumb\" & <Co>"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Creator", "AT&T \xC3\xA9" "diteur", "role=\"aut\" file-as='O\"Brien'"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "0-12-345", "scheme=\"ISBN\""));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Rights", "", "holder=\"Me &amp; You\""));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Description", "a < b > c &copy; 2001 &#233;"));
    package.AddXMetaData(std::make_unique<CDCMetaItem>("lcver-Leafcraft-SDK", "1, 0, 0, 1 (02/15/2002)"));
    package.AddXMetaData(std::make_unique<CDCMetaItem>("quote", "say \"hi\" & bye"));
    package.AddManifestItem(std::make_unique<CManifestItem>("text/a b.htm", "a", "text/html"), TRUE);
    package.AddManifestItem(std::make_unique<CManifestItem>("q.htm?x=1&y=\"2\"", "q", "text/x-oeb1-document"), TRUE);
    package.AddManifestItem(std::make_unique<CManifestItem>("pics/cover.gif", "", "image/gif"), FALSE);
    package.AddManifestItem(std::make_unique<CManifestItem>("style.css", "css", "text/css"), FALSE);
    package.AddSpineItem(0, -1);
    package.AddSpineItem(2, 0);
    auto tour = std::make_unique<CTourRecord>("A \"guided\" walk", "walk");
    tour->m_sites.push_back(std::make_unique<CTourSite>("Start & go", "text/a b.htm#top"));
    tour->m_sites.push_back(std::make_unique<CTourSite>("", "q.htm?x=1&y=2"));
    package.AddTour(std::move(tour));
    package.AddTour(std::make_unique<CTourRecord>("", ""));
    package.AddGuideItem(std::make_unique<CGuideReference>("Contents", "toc", "text/a b.htm"));
    package.AddGuideItem(std::make_unique<CGuideReference>("Cover", "other.ms-coverimage-standard", "pics/cover.gif"));
}

TEST(PackageRoundTrip, WriteReadWriteGivesTheSameFile)
{
    leaf::test::TempFolder folder;
    CPackageFile original;
    FillRichPackage(original);
    ASSERT_EQ(original.Write((folder / "first.opf").c_str()), S_OK);

    CPackageFile copy;
    ASSERT_EQ(copy.Read((folder / "first.opf").c_str()), S_OK);
    ASSERT_EQ(copy.Write((folder / "second.opf").c_str()), S_OK);
    EXPECT_EQ(ReadAll(folder / "first.opf"), ReadAll(folder / "second.opf"));

    CPackageFile third;
    ASSERT_EQ(third.Read((folder / "second.opf").c_str()), S_OK);
    ASSERT_EQ(third.Write((folder / "third.opf").c_str()), S_OK);
    EXPECT_EQ(ReadAll(folder / "second.opf"), ReadAll(folder / "third.opf"));
}

TEST(PackageRoundTrip, RecordsReadBackAsWritten)
{
    leaf::test::TempFolder folder;
    CPackageFile original;
    FillRichPackage(original);
    ASSERT_EQ(original.Write((folder / "p.opf").c_str()), S_OK);
    CPackageFile copy;
    ASSERT_EQ(copy.Read((folder / "p.opf").c_str()), S_OK);

    EXPECT_EQ(copy.GetUniqueIdentifier(), original.GetUniqueIdentifier());
    ASSERT_EQ(copy.GetDCMetaCount(), original.GetDCMetaCount());
    for (int i = 0; i < copy.GetDCMetaCount(); ++i) {
        EXPECT_EQ(copy.GetDCMetaItem(i)->m_strName, original.GetDCMetaItem(i)->m_strName) << i;
    }
    EXPECT_EQ(copy.GetDCMetaItem(0)->m_strValue, "Tom \"Thumb\" & <Co>");
    EXPECT_EQ(copy.GetDCMetaItem(1)->m_strValue, "AT&T \xC3\xA9" "diteur");
    // A quote inside an attribute value survives.
    EXPECT_EQ(copy.GetDCMetaItem(1)->m_strAttributes, "role=\"aut\" file-as=\"O&quot;Brien\"");
    EXPECT_EQ(copy.GetDCMetaItem(2)->m_strAttributes, "scheme=\"ISBN\" id=\"ID1\"");
    EXPECT_EQ(copy.GetDCMetaItem(3)->m_strValue, "");
    EXPECT_EQ(copy.GetDCMetaItem(3)->m_strAttributes, "holder=\"Me & You\"");

    ASSERT_EQ(copy.GetXMetaCount(), 2);
    EXPECT_EQ(copy.GetXMetaItem(1)->m_strValue, "say &quot;hi&quot; & bye");

    ASSERT_EQ(copy.GetManifestCount(), 4);
    EXPECT_EQ(copy.GetManifestItem(0)->m_strPath, "text/a b.htm");
    EXPECT_EQ(copy.GetManifestItem(1)->m_strPath, "q.htm?x=1%26y=%222%22");
    EXPECT_EQ(copy.GetManifestItem(1)->m_strMediaType, "text/x-oeb1-document");
    EXPECT_EQ(copy.GetManifestItem(2)->m_strId, "LC_ID1");
    ASSERT_EQ(copy.GetSpineCount(), 4);
    EXPECT_EQ(copy.GetSpineItem(0), 2);
    EXPECT_EQ(copy.GetSpineItem(1), 0);
    EXPECT_EQ(copy.GetSpineItem(2), 1);
    EXPECT_EQ(copy.GetSpineItem(3), 0);

    ASSERT_EQ(copy.GetTourCount(), 2);
    EXPECT_EQ(copy.GetTour(0)->m_strTitle, "A &quot;guided&quot; walk");
    ASSERT_EQ(copy.GetTourSiteCount(0), 2);
    EXPECT_EQ(copy.GetTourSite(0, 0)->m_strTitle, "Start & go");
    EXPECT_EQ(copy.GetTourSite(0, 1)->m_strHref, "q.htm?x=1%26y=2");
    EXPECT_EQ(copy.GetTourSiteCount(1), 0);

    ASSERT_EQ(copy.GetGuideCount(), 2);
    EXPECT_EQ(copy.GetGuideItem(1)->m_strType, "other.ms-coverimage-standard");
    EXPECT_EQ(copy.GetGuideItem(1)->m_strHref, "pics/cover.gif");
}

}  // namespace
