// The project as a client fills it, checked through the builds it allows: the manifest ids
// of added files (made from the file name, numbered when taken, never given twice by one
// control, not even across a new Initialize), and the prepared state that every change
// of the project ends, also a change that fails.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "platform/base/File.h"
#include "platform/registry/Profile.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

namespace fs = std::filesystem;
using leaf::Variant;

class SdkProjectItems : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        ASSERT_TRUE(leaf::test::RegisterModule("sdktestpages.so"));
        ASSERT_TRUE(control.Initialize());
        profile.WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
        profile.WriteProfileInt("SDK", "FriendlyTempFolder", 1);
    }

    void Add(const std::string& relativePath) {
        ASSERT_TRUE(control.AddSourceFile(Source(relativePath, "page " + relativePath), LCF_SPINE))
            << relativePath << ": " << control.ErrorCode() << " " << control.ErrorDetails();
    }

    // Prepares and builds the e-book NAME, and returns the manifest ids of its package file.
    std::set<std::string> BuildAndReadIds(const std::string& name) {
        EXPECT_TRUE(control.PrepareEBook()) << control.ErrorCode() << " " << control.ErrorDetails();
        std::string eBook = folder / ("out/" + name + ".lit");
        fs::create_directories(fs::path(eBook).parent_path());
        EXPECT_TRUE(control.BuildEBook({Variant(eBook), Variant("")}))
            << control.ErrorCode() << " " << control.ErrorDetails();
        std::string package;
        EXPECT_TRUE(leaf::ReadFileBytes(folder / ("work/" + name + "/" + name + ".opf"), package));
        std::set<std::string> ids;
        static const std::regex item("<item id=\"([^\"]*)\"");
        for (auto match = std::sregex_iterator(package.begin(), package.end(), item); match != std::sregex_iterator();
             ++match)
            ids.insert((*match)[1].str());
        return ids;
    }

    leaf::Profile profile{"Tallbrook Systems, Inc.", "Leafcraft"};
};

TEST_F(SdkProjectItems, IdsAreMadeFromFileNamesAndNumberedWhenTaken) {
    Add("book/1st chapter.htm");
    Add("book/R&D.htm");
    Add("book/index.htm");
    Add("book/sub/index.htm");
    Add("book/chap3.htm");
    Add("book/sub/chap3.htm");
    Add("book/page9.htm");
    Add("book/sub/page9.htm");
    Add("book/.htm");
    Add("book/sub/.htm");
    std::set<std::string> ids = BuildAndReadIds("ids");
    for (const char* expected :
         {"LC_1st_chapter", "R_D", "index", "index1", "chap3", "chap4", "page9", "page10", "LC_ID", "LC_ID1"})
        EXPECT_EQ(1u, ids.count(expected)) << expected;
}

// Two files whose names differ only in case are two items of the book; another spelling
// of one of them is that one.
TEST_F(SdkProjectItems, FilesWhoseNamesDifferOnlyInCaseAreTwoItems) {
    Add("book/FAQ.htm");
    Add("book/faq.htm");
    ASSERT_TRUE(control.AddSourceFile(folder / "book/Faq.HTM", LCF_SPINE));
    std::set<std::string> ids = BuildAndReadIds("cases");
    EXPECT_EQ(1u, ids.count("FAQ")) << "the first file";
    EXPECT_EQ(1u, ids.count("faq1")) << "the second file (ids differ without regard to case)";
    EXPECT_EQ(2u, ids.size()) << "the third spelling names the first file again";
    // The e-book's names do not differ by case alone: the second file gets a name of its own.
    std::string package;
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "work/cases/cases.opf", package));
    EXPECT_NE(std::string::npos, package.find("href=\"FAQ.htm\"")) << package;
    EXPECT_NE(std::string::npos, package.find("href=\"faq1.htm\"")) << package;
    std::string second;
    ASSERT_TRUE(leaf::ReadFileBytes(folder / "work/cases/faq1.htm", second));
    EXPECT_NE(std::string::npos, second.find("page book/faq.htm")) << second;
}

TEST_F(SdkProjectItems, IdsOfAnEarlierProjectAreNotGivenAgain) {
    Add("book/index.htm");
    EXPECT_EQ(1u, BuildAndReadIds("first").count("index"));

    ASSERT_TRUE(control.Initialize());  // a new project for the same control
    Add("book/index.htm");
    std::set<std::string> ids = BuildAndReadIds("second");
    EXPECT_EQ(0u, ids.count("index"));
    EXPECT_EQ(1u, ids.count("index1"));
}

TEST_F(SdkProjectItems, EveryChangeOfTheProjectNeedsANewPreparationEvenWhenItFails) {
    Add("book/index.htm");
    using Call = std::pair<DISPID, std::vector<Variant>>;
    const std::vector<Call> failingChanges = {
        {sdkdispid::AddSourceFile, {Variant(folder / "book/gone.htm"), Variant(LONG(LCF_SPINE))}},
        {sdkdispid::AddMetaData, {Variant("dc:Title"), Variant(""), Variant("T"), Variant(LONG(0))}},
        {sdkdispid::AddGuideItem, {Variant("Contents"), Variant("toc"), Variant::NullBstr()}},
        {sdkdispid::AddTour, {Variant::NullBstr(), Variant("chapters")}},
        {sdkdispid::AddTourSite, {Variant(LONG(0)), Variant("One"), Variant("index.htm")}},
        {sdkdispid::ImportPackageFile, {Variant::NullBstr()}},
    };
    for (const Call& change : failingChanges) {
        ASSERT_TRUE(control.PrepareEBook()) << change.first;
        control.Call(change.first, change.second);
        EXPECT_NE(LCERR_NONE, control.ErrorCode()) << change.first;
        std::string eBook = folder / "out/unprepared.lit";
        fs::create_directories(fs::path(eBook).parent_path());
        EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {Variant(eBook), Variant("")})) << change.first;
        EXPECT_EQ(LCERR_ILLEGAL, control.ErrorCode()) << change.first;
    }
}

}  // namespace
}  // namespace sdktest
