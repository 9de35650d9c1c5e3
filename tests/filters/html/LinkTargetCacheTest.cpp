// The filter keeps the link targets of the pages it has read: a page met again is taken
// from there while it is unchanged, and read again once it changed.

#include <cstdio>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "filters/html/LinkTargetCache.h"
#include "tests/filters/html/HtmlFilterTestSupport.h"

namespace htmltest {
namespace {

using ::testing::ElementsAre;

class LinkTargetCacheWalkTest : public HtmlFilterTest {
protected:
    void ForgetReports() {
        host.dependencies.clear();
        host.progress = 0;
        host.progressCalls = 0;
    }
};

TEST_F(LinkTargetCacheWalkTest, APageMetAgainReportsTheSameTargets) {
    std::string a = Page("a.htm", "<a href=b.htm>b</a>\n");
    std::string c = Page("c.htm", "<a href=b.htm>b</a><img src=c.gif>\n");
    Page("b.htm", "<img src=b1.gif><a href='d.htm#top'>d</a><img src=b1.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, 3));
    EXPECT_THAT(Reported(), ElementsAre("b.htm", "b1.gif", "d.htm"));
    ForgetReports();
    ASSERT_EQ(S_OK, Prepare(c, 3));
    EXPECT_THAT(Reported(), ElementsAre("b.htm", "c.gif", "b1.gif", "d.htm"));
}

TEST_F(LinkTargetCacheWalkTest, ALinkedPageThatChangedIsReadAgain) {
    std::string a = Page("a.htm", "<a href=b.htm>b</a>\n");
    Page("b.htm", "<img src=old.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, 3));
    EXPECT_THAT(Reported(), ElementsAre("b.htm", "old.gif"));

    Page("b.htm", "<img src=new-picture.gif>\n");
    ForgetReports();
    ASSERT_EQ(S_OK, Prepare(a, 3));
    EXPECT_THAT(Reported(), ElementsAre("b.htm", "new-picture.gif"));
}

TEST_F(LinkTargetCacheWalkTest, ALinkedPageThatVanishedGivesNoTargets) {
    std::string a = Page("a.htm", "<a href=b.htm>b</a>\n");
    std::string b = Page("b.htm", "<img src=b.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, 3));
    ASSERT_EQ(0, std::remove(b.c_str()));
    ForgetReports();
    ASSERT_EQ(S_OK, Prepare(a, 3));
    EXPECT_THAT(Reported(), ElementsAre("b.htm"));
}

TEST_F(LinkTargetCacheWalkTest, APageReadAsALinkStillReportsItsProgressAsASource) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "some words of body text in a line\n";
    std::string a = Page("a.htm", "<a href=b.htm>b</a>\n");
    std::string b = Page("b.htm", text + "<img src=b.gif>\n");
    ASSERT_EQ(S_OK, Prepare(a, 3));
    ForgetReports();
    ASSERT_EQ(S_OK, Prepare(b, 3));
    EXPECT_EQ(static_cast<long long>(text.size() + 16), host.progress);
    EXPECT_GT(host.progressCalls, 10);
    EXPECT_THAT(Reported(), ElementsAre("b.gif"));
}

TEST(LinkTargetCacheTest, KeepsNoMoreThanItsBound) {
    leaf::test::TempFolder folder;
    const CString first(folder.WriteFile("first.htm", "1"));
    const CString second(folder.WriteFile("second.htm", "2"));
    const auto firstStamp = CLinkTargetCache::FileStamp::Of(first);
    const auto secondStamp = CLinkTargetCache::FileStamp::Of(second);
    ASSERT_TRUE(firstStamp.valid);
    const std::vector<CString> many(CLinkTargetCache::kMaxTargets / 2 + 1, CString("x.gif"));

    CLinkTargetCache cache;
    cache.Store(first, firstStamp, many);
    cache.Store(second, secondStamp, many);
    EXPECT_LE(cache.GetTargetCount(), CLinkTargetCache::kMaxTargets);
    std::vector<CString> found;
    EXPECT_FALSE(cache.Find(first, firstStamp, found));
    EXPECT_TRUE(cache.Find(second, secondStamp, found));
    EXPECT_EQ(many.size(), found.size());
}

TEST(LinkTargetCacheTest, AFileWithoutStatusIsNeitherKeptNorFound) {
    leaf::test::TempFolder folder;
    const CString absent(folder / "absent.htm");
    const auto stamp = CLinkTargetCache::FileStamp::Of(absent);
    EXPECT_FALSE(stamp.valid);
    CLinkTargetCache cache;
    cache.Store(absent, stamp, {CString("x.gif")});
    std::vector<CString> found;
    EXPECT_FALSE(cache.Find(absent, stamp, found));
    EXPECT_EQ(0u, cache.GetTargetCount());
}

}  // namespace
}  // namespace htmltest
