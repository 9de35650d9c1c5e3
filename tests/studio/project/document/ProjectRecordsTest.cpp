#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/base/Archive.h"
#include "platform/base/File.h"
#include "studio/project/LCCoverPage.h"
#include "studio/project/LCMarketing.h"
#include "studio/project/LCMetaData.h"
#include "studio/project/LCSourceFile.h"
#include "studio/project/LCTour.h"
#include "studio/project/ProjectPath.h"
#include "tests/studio/project/document/ArchiveBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::test::ArchiveBytes;

class ProjectRecordsTest : public testing::Test {
protected:
    // The project file the records are stored against.
    std::string ProjectFile() const { return folder / "book.lcp"; }

    void Store(const CObject* record)
    {
        CFile file(ProjectFile().c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        archive << record;
        archive.Close();
    }

    template <class Record>
    std::unique_ptr<Record> Load()
    {
        CFile file(ProjectFile().c_str(), CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        Record* record = nullptr;
        archive >> record;
        return std::unique_ptr<Record>(record);
    }

    template <class Record>
    std::unique_ptr<Record> LoadBytes(const ArchiveBytes& bytes)
    {
        folder.WriteFile("book.lcp", bytes.str());
        return Load<Record>();
    }

    std::string FileBytes() const
    {
        std::string contents;
        leaf::ReadFileBytes(ProjectFile(), contents);
        return contents;
    }

    leaf::test::TempFolder folder;
};

TEST_F(ProjectRecordsTest, PathsAreStoredRelativeToTheProjectFile)
{
    CLCSourceFile inside((folder / "src/a.htm").c_str(), "A");
    Store(&inside);
    EXPECT_NE(FileBytes().find("src/a.htm"), std::string::npos);
    EXPECT_EQ(FileBytes().find(folder.Path().string()), std::string::npos);
    auto back = Load<CLCSourceFile>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_strPath, inside.m_strPath);
    EXPECT_EQ(back->m_strTitle, "A");
    EXPECT_FALSE(back->m_bStoredAbsolute);
}

TEST_F(ProjectRecordsTest, PathsSharingOnlyTheRootStayAbsolute)
{
    CLCTourSite site("Start", "/elsewhere-entirely/page.htm#top");
    Store(&site);
    auto back = Load<CLCTourSite>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_strHref, "/elsewhere-entirely/page.htm#top");
    EXPECT_TRUE(back->m_bStoredAbsolute);
}

TEST_F(ProjectRecordsTest, StoredPathRules)
{
    const CString project = "/books/novel/book.lcp";
    EXPECT_EQ(leaf::StoreProjectPath(project, ""), "");
    EXPECT_EQ(leaf::StoreProjectPath(project, "/books/novel/src/a.htm"), "src/a.htm");
    EXPECT_EQ(leaf::StoreProjectPath(project, "/books/other/b.htm"), "../other/b.htm");
    EXPECT_EQ(leaf::StoreProjectPath(project, "/tmp/c.htm"), "/tmp/c.htm");

    CString path;
    EXPECT_TRUE(leaf::LoadProjectPath(project, "src\\a.htm", path));
    EXPECT_EQ(path, "/books/novel/src/a.htm");
    EXPECT_TRUE(leaf::LoadProjectPath(project, "..\\other\\b.htm", path));
    EXPECT_EQ(path, "/books/other/b.htm");
    EXPECT_TRUE(leaf::LoadProjectPath(project, "C:\\Book\\x.htm", path));
    EXPECT_EQ(path, "C:/Book/x.htm");
    EXPECT_FALSE(leaf::LoadProjectPath(project, "../../../x.htm", path));
}

TEST_F(ProjectRecordsTest, UnresolvableRelativePathFailsTheLoad)
{
    ArchiveBytes bytes;
    bytes.NewClass(2, "CLCSourceFile").Str("../../../../../../../../../../../../../../../../x.htm").Str("t");
    try {
        LoadBytes<CLCSourceFile>(bytes);
        FAIL() << "loaded";
    } catch (const CArchiveException& error) {
        EXPECT_EQ(error.m_cause, CArchiveException::genericException);
    }
}

TEST_F(ProjectRecordsTest, OlderSchemasLoad)
{
    {
        SCOPED_TRACE("source file schema 1: path as stored");
        ArchiveBytes bytes;
        bytes.NewClass(1, "CLCSourceFile").Str("src\\a.htm").Str("Title");
        auto source = LoadBytes<CLCSourceFile>(bytes);
        EXPECT_EQ(source->m_strPath, "src/a.htm");   // separators made native, not resolved
        EXPECT_EQ(source->m_strTitle, "Title");
    }
    {
        SCOPED_TRACE("metadata schema 1: empty attributes, one per value");
        ArchiveBytes bytes;
        bytes.NewClass(1, "CLCMetaData").Str("v").Count(2).Str("x").Str("y");
        auto item = LoadBytes<CLCMetaData>(bytes);
        EXPECT_EQ(item->m_strValue, "v");
        ASSERT_EQ(item->m_values.size(), 2u);
        ASSERT_EQ(item->m_attributes.size(), 2u);
        EXPECT_EQ(item->m_attributes[1], "");
        EXPECT_EQ(item->m_strAttributes, "");
    }
    {
        SCOPED_TRACE("marketing schema 1: the value only");
        ArchiveBytes bytes;
        bytes.NewClass(1, "CLCMarketing").Str("blurb");
        auto item = LoadBytes<CLCMarketing>(bytes);
        EXPECT_EQ(item->m_strValue, "blurb");
        EXPECT_TRUE(item->m_values.empty());
    }
    {
        SCOPED_TRACE("cover page schema 2: path as stored, then the mode");
        ArchiveBytes bytes;
        bytes.NewClass(2, "CLCCoverPage").Str("cover.jpg").Dword(CLCCoverPage::modeNone);
        auto item = LoadBytes<CLCCoverPage>(bytes);
        EXPECT_EQ(item->m_strPath, "cover.jpg");
        EXPECT_EQ(item->m_nMode, CLCCoverPage::modeNone);
    }
}

TEST_F(ProjectRecordsTest, SchemaOneGuideItemsHoldOnlyAPath)
{
    // Two items in one stream: the second is read where the first one's path ends.
    ArchiveBytes bytes;
    bytes.NewClass(1, "CLCCoverPage").Str("cover.jpg");   // class 1, object 2
    bytes.KnownClass(1).Str("");                            // object 3
    bytes.KnownClass(1).Str("thumb.gif");                   // object 4
    folder.WriteFile("book.lcp", bytes.str());

    CFile file(ProjectFile().c_str(), CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    CLCCoverPage* read[3] = {};
    archive >> read[0] >> read[1] >> read[2];
    std::unique_ptr<CLCCoverPage> owned[3] = {std::unique_ptr<CLCCoverPage>(read[0]), std::unique_ptr<CLCCoverPage>(read[1]),
                                              std::unique_ptr<CLCCoverPage>(read[2])};
    ASSERT_TRUE(owned[0] && owned[1] && owned[2]);
    EXPECT_EQ(owned[0]->m_strPath, "cover.jpg");
    EXPECT_EQ(owned[0]->m_nMode, CLCCoverPage::modeUser);
    EXPECT_EQ(owned[1]->m_strPath, "");
    EXPECT_EQ(owned[1]->m_nMode, CLCCoverPage::modeDefault);
    EXPECT_EQ(owned[2]->m_strPath, "thumb.gif");
    EXPECT_EQ(owned[2]->m_nMode, CLCCoverPage::modeUser);
}

TEST_F(ProjectRecordsTest, SchemaAboveTheClassOwnFails)
{
    ArchiveBytes bytes;
    bytes.NewClass(3, "CLCSourceFile").Str("a.htm").Str("t");
    try {
        LoadBytes<CLCSourceFile>(bytes);
        FAIL() << "loaded";
    } catch (const CArchiveException& error) {
        EXPECT_EQ(error.m_cause, CArchiveException::badSchema);
    }
}

TEST_F(ProjectRecordsTest, MetadataAndMarketingKeepTheirOwnFieldOrder)
{
    CLCMetaData item;
    item.m_strValue = "v";
    item.m_strAttributes = "a";
    item.AddValue("one", "first");
    Store(&item);
    // value, values, attributes, attributes list
    std::string expectedTail = std::string("\x01v\x01\x00\x03one\x01" "a\x01\x00\x05" "first", 18);
    EXPECT_EQ(FileBytes().substr(FileBytes().size() - expectedTail.size()), expectedTail);
    auto back = Load<CLCMetaData>();
    EXPECT_EQ(back->m_strAttributes, "a");
    EXPECT_EQ(back->m_attributes, std::vector<CString>{"first"});

    CLCMarketing marketing;
    marketing.m_strValue = "v";
    marketing.m_strAttributes = "a";
    marketing.m_values = {"one"};
    marketing.m_attributes = {"first"};
    Store(&marketing);
    // value, attributes, values, attributes list
    expectedTail = std::string("\x01v\x01" "a\x01\x00\x03one\x01\x00\x05" "first", 18);
    EXPECT_EQ(FileBytes().substr(FileBytes().size() - expectedTail.size()), expectedTail);
}

TEST_F(ProjectRecordsTest, ToursOwnAndKeepTheirSitesInOrder)
{
    CLCTour tour("Main", "main-id");
    tour.AddSite(std::make_unique<CLCTourSite>("One", (folder / "one.htm").c_str()));
    tour.AddSite(std::make_unique<CLCTourSite>("Two", (folder / "two.htm#x").c_str()));
    Store(&tour);
    auto back = Load<CLCTour>();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->m_strTitle, "Main");
    EXPECT_EQ(back->m_strID, "main-id");
    ASSERT_EQ(back->GetSiteCount(), 2);
    EXPECT_EQ(back->GetSite(1)->m_strTitle, "Two");
    EXPECT_EQ(back->GetSite(1)->m_strHref, CString(folder / "two.htm#x"));
    EXPECT_EQ(back->GetSite(2), nullptr);
}

TEST_F(ProjectRecordsTest, NewGuideItemModesDependOnTheType)
{
    EXPECT_EQ(CLCCoverPage("other.ms-firstpage").m_nMode, CLCCoverPage::modeNone);
    EXPECT_EQ(CLCCoverPage("Copyright-Page").m_nMode, CLCCoverPage::modeNone);
    EXPECT_EQ(CLCCoverPage("other.ms-coverimage").m_nMode, CLCCoverPage::modeDefault);
    EXPECT_EQ(CLCCoverPage("toc").m_nMode, CLCCoverPage::modeDefault);
}

}  // namespace
