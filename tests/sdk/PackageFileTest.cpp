#include "sdk/package/PackageFile.h"

#include <gtest/gtest.h>

#include "sdk/package/RelativePath.h"

namespace {

std::unique_ptr<CManifestItem> Item(const char* path, const char* id)
{
    return std::make_unique<CManifestItem>(path, id, "text/html");
}

std::vector<int> Spine(const CPackageFile& package)
{
    std::vector<int> spine;
    for (int i = 0; i < package.GetSpineCount(); ++i) spine.push_back(package.GetSpineItem(i));
    return spine;
}

TEST(PackageModel, LookupsOutOfRangeGiveNothing)
{
    CPackageFile package;
    EXPECT_EQ(package.GetManifestItem(0), nullptr);
    EXPECT_EQ(package.GetManifestItem(-1), nullptr);
    EXPECT_EQ(package.GetSpineItem(0), -1);
    EXPECT_EQ(package.GetXMetaItem(0), nullptr);
    EXPECT_EQ(package.GetDCMetaItem(0), nullptr);
    EXPECT_EQ(package.GetTour(0), nullptr);
    EXPECT_EQ(package.GetTourSiteCount(0), -1);
    EXPECT_EQ(package.GetTourSite(0, 0), nullptr);
    EXPECT_EQ(package.GetGuideItem(0), nullptr);
    EXPECT_EQ(package.GetLastReadResult(), E_UNEXPECTED);
}

TEST(PackageModel, NullRecordsAreRefused)
{
    CPackageFile package;
    EXPECT_EQ(package.AddDCMetaData(nullptr), -1);
    EXPECT_EQ(package.AddXMetaData(nullptr), -1);
    EXPECT_EQ(package.AddManifestItem(nullptr, TRUE), -1);
    EXPECT_EQ(package.AddTour(nullptr), -1);
    EXPECT_EQ(package.AddGuideItem(nullptr), -1);
    EXPECT_EQ(package.GetSpineCount(), 0);
}

TEST(PackageModel, SpineInsertionAndAppending)
{
    CPackageFile package;
    for (const char* id : {"a", "b", "c"}) package.AddManifestItem(Item(id, id), FALSE);
    EXPECT_EQ(package.AddSpineItem(0, 0), 0);  // position 0 is not within an empty spine
    EXPECT_EQ(package.AddSpineItem(1, -1), 1);
    EXPECT_EQ(package.AddSpineItem(2, 0), 0);
    EXPECT_EQ(Spine(package), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(package.AddSpineItem(3, 0), -1);
    EXPECT_EQ(package.AddSpineItem(-1, 0), -1);
    EXPECT_EQ(package.AddSpineItem(1, 99), 3);
    package.AddSpineItemById("c", 1);
    package.AddSpineItemById("C", 1);  // ids are case-sensitive
    EXPECT_EQ(Spine(package), (std::vector<int>{2, 2, 0, 1, 1}));
}

TEST(PackageModel, RemovingAManifestItemRenumbersTheSpine)
{
    CPackageFile package;
    for (const char* id : {"a", "b", "c"}) package.AddManifestItem(Item(id, id), FALSE);
    for (int index : {2, 1, 0, 1}) package.AddSpineItem(index, -1);
    EXPECT_TRUE(package.RemoveManifestItem(1));
    EXPECT_EQ(Spine(package), (std::vector<int>{1, 0}));
    EXPECT_EQ(package.GetManifestItem(1)->m_strId, "c");
    EXPECT_FALSE(package.RemoveManifestItem(2));
    EXPECT_TRUE(package.RemoveSpineItem(0));
    EXPECT_FALSE(package.RemoveSpineItem(1));
    EXPECT_EQ(Spine(package), (std::vector<int>{0}));
}

TEST(PackageModel, OneTitleOnly)
{
    CPackageFile package;
    EXPECT_EQ(package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Title", "First")), 0);
    EXPECT_EQ(package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:title", "Second")), -1);
    EXPECT_EQ(package.AddDCMetaData(std::make_unique<CDCMetaItem>("DC:TITLE", "Third")), -1);
    EXPECT_EQ(package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Creator", "A")), 1);
    EXPECT_EQ(package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Creator", "B")), 2);
    EXPECT_EQ(package.GetDCMetaItem(0)->m_strValue, "First");
    EXPECT_TRUE(package.HasDCMetaItem(CDCMetaItem("DC:CREATOR", "")));
    EXPECT_FALSE(package.HasDCMetaItem(CDCMetaItem("dc:Subject", "")));
}

TEST(PackageModel, UniqueIdentifierMustNameAnIdentifierRecord)
{
    CPackageFile package;
    EXPECT_FALSE(package.SetUniqueIdentifier("x"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Creator", "A", "id=\"x\""));
    EXPECT_FALSE(package.SetUniqueIdentifier("x"));
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:identifier", "1-2", "scheme=ISBN id='x'"));
    EXPECT_FALSE(package.SetUniqueIdentifier("X"));
    EXPECT_TRUE(package.SetUniqueIdentifier("x"));
    EXPECT_EQ(package.GetUniqueIdentifier(), "x");
}

TEST(PackageModel, ToursOwnTheirSites)
{
    CPackageFile package;
    EXPECT_EQ(package.AddTourSite(0, std::make_unique<CTourSite>("s", "s.htm")), -1);
    EXPECT_EQ(package.AddTour(std::make_unique<CTourRecord>("Tour", "t1")), 0);
    EXPECT_EQ(package.AddTourSite(0, std::make_unique<CTourSite>("one", "1.htm")), 0);
    EXPECT_EQ(package.AddTourSite(0, std::make_unique<CTourSite>("two", "2.htm")), 1);
    EXPECT_EQ(package.AddTourSite(0, nullptr), -1);
    EXPECT_EQ(package.GetTourSiteCount(0), 2);
    EXPECT_EQ(package.GetTourSite(0, 1)->m_strHref, "2.htm");
    EXPECT_TRUE(package.RemoveTourSite(0, 0));
    EXPECT_FALSE(package.RemoveTourSite(0, 1));
    EXPECT_EQ(package.GetTourSite(0, 0)->m_strTitle, "two");
    EXPECT_TRUE(package.RemoveTour(0));
    EXPECT_FALSE(package.RemoveTour(0));
}

TEST(PackageModel, ClearEmptiesEverything)
{
    CPackageFile package;
    package.AddDCMetaData(std::make_unique<CDCMetaItem>("dc:Identifier", "1", "id=\"u\""));
    package.SetUniqueIdentifier("u");
    package.AddXMetaData(std::make_unique<CDCMetaItem>("m", "v"));
    package.AddManifestItem(Item("a.htm", "a"), TRUE);
    package.AddTour(std::make_unique<CTourRecord>("t", ""));
    package.AddGuideItem(std::make_unique<CGuideReference>("Contents", "toc", "a.htm"));
    EXPECT_TRUE(package.RemoveXMetaItem(0));
    EXPECT_FALSE(package.RemoveXMetaItem(0));
    package.Clear();
    EXPECT_EQ(package.GetDCMetaCount() + package.GetXMetaCount() + package.GetManifestCount() +
                  package.GetSpineCount() + package.GetTourCount() + package.GetGuideCount(),
              0);
    EXPECT_TRUE(package.GetUniqueIdentifier().IsEmpty());
}

TEST(RelativePath, CommonFolderAndRelativePaths)
{
    struct Case { const char* from; const char* to; BOOL ok; const char* relative; };
    for (const Case c : {Case{"/a/b/x.htm", "/a/c/y.css", TRUE, "../c/y.css"},
                         Case{"/a/x.htm", "/A/y.css", TRUE, "y.css"},
                         Case{"C:\\a\\b\\x.htm", "C:\\a\\c\\y.css", TRUE, "../c\\y.css"},
                         Case{"a/x.htm", "b/y.css", FALSE, ""},
                         Case{"/book/x.htm", "/booklet/y.css", TRUE, "../booklet/y.css"},
                         Case{"/a/b/c/x.htm", "/a/y.css", TRUE, "../../y.css"}}) {
        CString out = "stale";
        EXPECT_EQ(MakeRelativePath(c.from, c.to, out), c.ok) << c.from;
        EXPECT_EQ(out.str(), c.relative) << c.from;
    }
    CString prefix;
    EXPECT_TRUE(CommonFolderPrefix("/Books/One/a.htm", "/books/one/b.htm", prefix));
    EXPECT_EQ(prefix, "/Books/One/");
    EXPECT_FALSE(CommonFolderPrefix("x.htm", "x.htm", prefix));
    EXPECT_TRUE(prefix.IsEmpty());
}

}  // namespace
