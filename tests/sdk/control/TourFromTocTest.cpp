// CreateTourFromTOC through IDispatch: the table of contents found through the guide, the
// checks on it (error codes 80 to 83), replacing an earlier chapter tour, and tours made
// from pages with nested lists, fragments, duplicate and outside links.

#include <string>

#include <gtest/gtest.h>

#include "platform/registry/RegistryKey.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

using leaf::Variant;

constexpr const char* kExtensionsKey = ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";

class SdkTourFromToc : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        // The test filter takes HTML pages too, so that a table of contents can be a source.
        leaf::RegistryKey::Create(HKEY_USERS, std::string(kExtensionsKey) + "\\.htm")
            .WriteString("", "LeafcraftTest.SdkFilter");
        ASSERT_TRUE(control.Initialize());
    }

    // Chapters in the spine (their filter is the test module's ".src" filter).
    void AddChapters(int count) {
        for (int i = 1; i <= count; ++i)
            ASSERT_TRUE(control.AddSourceFile(Source("ch" + std::to_string(i) + ".src", "x"), LCF_SPINE));
    }
    bool AddGuide(const std::string& type, const std::string& href) const {
        return control.CallBool(sdkdispid::AddGuideItem, {Variant("Contents"), Variant(type), Variant(href)});
    }
    bool AddMeta(const std::string& name, const std::string& value) const {
        return control.CallBool(sdkdispid::AddMetaData,
                                {Variant(name), Variant(""), Variant(value), Variant(LONG(LCF_SUPPLEMENTAL))});
    }
    bool CreateTour(LONG flags = 0) const { return control.CallBool(sdkdispid::CreateTourFromTOC, {Variant(flags)}); }
    // How many tours the package holds: AddTour answers the index of the tour it adds.
    LONG TourCount() const {
        return control.Call(sdkdispid::AddTour, {Variant("probe"), Variant("probe")}).value.ToLong();
    }

    std::string toc = "<html><body><ul>\n<li><a href=\"ch1.src\">One</a>\n<li><a href=\"ch2.src#s\">Two</a>\n</ul>\n";
};

TEST_F(SdkTourFromToc, BuildsTheChapterTourFromTheGuidePage) {
    AddChapters(2);
    Source("toc.htm", toc);
    ASSERT_TRUE(AddGuide("toc", "toc.htm"));
    EXPECT_TRUE(CreateTour());
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_EQ(1, TourCount());
}

TEST_F(SdkTourFromToc, ErrorCodes) {
    const struct {
        const char* name;
        std::string type;
        std::string href;
        std::string page;
        int chapters;
        LONG code;
    } cases[] = {
        {"type in capitals is not the table of contents", "TOC", "toc.htm", "", 1, LCERR_TOUR_NO_TOC},
        {"href with a fragment", "toc", "toc.htm#top", "", 1, LCERR_TOUR_INVALID_TOC},
        {"not an HTML page", "toc", "toc.txt", "", 1, LCERR_TOUR_INVALID_TOC},
        {"no spine", "toc", "toc.htm", "", 0, LCERR_TOUR_INVALID_TOC},
        {"page without links", "toc", "toc.htm", "<p>Nothing here</p>\n", 1, LCERR_TOUR_NO_TOC_LINKS},
        {"anchors without text or href", "toc", "toc.htm", "<a name=x>A</a><a href=\"b.htm\"></a>\n", 1,
         LCERR_TOUR_NO_TOC_LINKS},
        {"page that does not exist", "toc", "missing.htm", "", 1, LCERR_TOUR_NO_TOC_LINKS},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(control.Initialize());
        AddChapters(c.chapters);
        if (!c.page.empty())
            Source("toc.htm", c.page);
        ASSERT_TRUE(AddGuide(c.type, c.href));
        EXPECT_FALSE(CreateTour()) << c.name;
        EXPECT_EQ(c.code, control.ErrorCode()) << c.name;
        EXPECT_EQ("", control.ErrorDetails()) << c.name;
        EXPECT_EQ(0, TourCount()) << c.name;
        std::filesystem::remove(folder / "toc.htm");
    }
}

TEST_F(SdkTourFromToc, NoGuideAtAllAndUninitialised) {
    AddChapters(1);
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_NO_TOC, control.ErrorCode());

    SdkControl fresh = SdkControl::Create();
    EXPECT_FALSE(fresh.CallBool(sdkdispid::CreateTourFromTOC, {Variant(LONG(0))}));
    EXPECT_EQ(LCERR_UNINITIALIZED, fresh.ErrorCode());
}

TEST_F(SdkTourFromToc, SpineHoldingOnlyTheTableOfContentsIsRefused) {
    const std::string page = Source("toc.htm", toc);
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(AddGuide("toc", "TOC.HTM"));  // the same page in another letter case
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_INVALID_TOC, control.ErrorCode());

    // Any other page in the spine will do, the table of contents in it or not.
    AddChapters(1);
    EXPECT_TRUE(CreateTour());
}

TEST_F(SdkTourFromToc, AnotherGuideItemOnTheSamePageIsRefused) {
    AddChapters(1);
    Source("toc.htm", toc);
    ASSERT_TRUE(AddGuide("toc", "toc.htm"));
    ASSERT_TRUE(AddGuide("text", "TOC.htm#start"));
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_INVALID_TOC, control.ErrorCode());
}

TEST_F(SdkTourFromToc, SecondTourNeedsTheOverwriteFlagAndReplacesTheFirst) {
    AddChapters(2);
    Source("toc.htm", toc);
    ASSERT_TRUE(AddGuide("toc", "toc.htm"));
    ASSERT_TRUE(CreateTour());
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_ALREADY_EXISTS, control.ErrorCode());
    EXPECT_TRUE(CreateTour(LCF_OVERWRITETOUR));
    EXPECT_EQ(1, TourCount());  // replaced, not added
}

TEST_F(SdkTourFromToc, FailedReplacementKeepsTheOldTour) {
    AddChapters(2);
    Source("toc.htm", toc);
    ASSERT_TRUE(AddGuide("toc", "toc.htm"));
    ASSERT_TRUE(CreateTour());
    Source("toc.htm", "<p>emptied</p>\n");
    EXPECT_FALSE(CreateTour(LCF_OVERWRITETOUR));
    EXPECT_EQ(LCERR_TOUR_NO_TOC_LINKS, control.ErrorCode());
    EXPECT_EQ(1, TourCount());
    // And the marker still names it: a plain second call is still refused as existing.
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_ALREADY_EXISTS, control.ErrorCode());
}

TEST_F(SdkTourFromToc, MarkerWithoutItsTourIsReplacedToo) {
    AddChapters(1);
    Source("toc.htm", toc);
    ASSERT_TRUE(AddGuide("toc", "toc.htm"));
    ASSERT_TRUE(AddMeta("ms-chaptertour", "someothertour"));
    EXPECT_FALSE(CreateTour());
    EXPECT_EQ(LCERR_TOUR_ALREADY_EXISTS, control.ErrorCode());
    EXPECT_TRUE(CreateTour(LCF_OVERWRITETOUR));
    EXPECT_EQ(1, TourCount());
}

TEST_F(SdkTourFromToc, PagesOfEveryShapeGiveATour) {
    const struct {
        const char* name;
        std::string href;
        std::string page;
    } cases[] = {
        {"nested lists", "toc.htm",
         "<ol><li><a href=\"ch1.src\">Part</a><ol><li><a href=\"ch1.src#a\">A</a></li></ol></li></ol>\n"},
        {"fragments and duplicates", "toc.htm", "<a href=\"#top\">Top</a><a href=\"ch1.src\">1</a><a href=ch1.src>1</a>\n"},
        {"links outside the book", "toc.htm", "<a href=\"http://example.com/\">Site</a><a href=\"../x.htm\">Up</a>\n"},
        {"tag written over lines", "toc.htm", "<a\r\nhref\r\n=\r\n\"ch1.src\"\r\n>One</a>\r\n"},
        {"page in a sub-folder, other separators", "sub\\Contents.HTML", "<a href=\"../ch1.src\">One</a>\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(control.Initialize());
        AddChapters(1);
        Source("toc.htm", c.page);
        Source("sub/contents.html", c.page);
        ASSERT_TRUE(AddGuide("toc", c.href));
        EXPECT_TRUE(CreateTour()) << c.name << ": " << control.ErrorCode();
        EXPECT_EQ(1, TourCount()) << c.name;
    }
}

}  // namespace
}  // namespace sdktest
