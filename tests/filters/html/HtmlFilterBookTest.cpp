// The HTML filter as the build control uses it: both modules registered in the test's
// own registry, the control created by ProgID and driven through its automation
// surface, the filter found through its registration and its setting read from the
// profile.

#include <cstdlib>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchDriver.h"
#include "platform/registry/Profile.h"
#include "sdk/LeafcraftSDK.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace htmltest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HtmlFilterBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
        leaf::ComPtr<IDispatch> object;
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(kLeafcraftSDKProgId, &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.ReceiveVoid()));
        sdk.AttachDispatch(object.Get());

        // A book whose index page links a chapter (written in other letter case and with
        // '\'), a picture in other letter case, a style sheet, a page outside the book
        // and two web addresses; the chapter links a picture and a second chapter, which
        // links a missing picture and a picture outside the book.
        index = folder.WriteFile("book/index.htm",
                                 "<html><head><link rel=stylesheet href=\"style.css\"></head><body>\n"
                                 "<img src=\"PICS/LOGO.GIF\"><a href=\"Chapters\\CH1.htm\">Chapter 1</a>\n"
                                 "<a href=\"../outside/page.htm\">elsewhere</a>\n"
                                 "<a href=\"http://example.com/\">web</a> <a href=\"ftp://example.com/f.zip\">file</a>\n"
                                 "</body></html>\n");
        folder.WriteFile("book/style.css", "p { margin: 0 }\n");
        folder.WriteFile("book/pics/logo.gif", "GIF89a");
        folder.WriteFile("book/pics/fig.gif", "GIF89a");
        folder.WriteFile("book/chapters/ch1.htm", "<img src=\"../pics/fig.gif\"><a href=\"ch2.htm#top\">next</a>\n");
        folder.WriteFile("book/chapters/ch2.htm", "<img src=\"missing.gif\"><img src=\"../../art/outside.gif\">\n");
        folder.WriteFile("art/outside.gif", "GIF89a");
        folder.WriteFile("outside/page.htm", "<p>not in the book</p>\n");
    }

    bool Call(DISPID dispid, std::vector<leaf::Variant> arguments = {}) {
        leaf::DispatchResult result = sdk.TryInvoke(dispid, DISPATCH_METHOD, arguments);
        EXPECT_EQ(S_OK, result.hr) << "dispid " << dispid;
        return result.value.vt == VT_BOOL && result.value.boolVal != VARIANT_FALSE;
    }
    LONG ErrorCode() { return sdk.InvokeHelper(sdkdispid::GetErrorCode, DISPATCH_METHOD, {}).ToLong(); }
    std::vector<std::string> Collection(DISPID dispid) {
        std::vector<std::string> strings;
        leaf::Variant result = sdk.InvokeHelper(dispid, DISPATCH_METHOD, {});
        EXPECT_EQ(VT_DISPATCH, result.vt);
        if (result.vt != VT_DISPATCH || result.pdispVal == nullptr)
            return strings;
        leaf::DispatchDriver collection(result.pdispVal);
        LONG count = collection.GetProperty(collectiondispid::Count).ToLong();
        for (LONG i = 1; i <= count; ++i)
            strings.push_back(
                collection.InvokeHelper(collectiondispid::Item, DISPATCH_PROPERTYGET, {leaf::Variant(i)}).ToUtf8());
        return strings;
    }
    bool PrepareBook() {
        EXPECT_TRUE(Call(sdkdispid::Initialize));
        EXPECT_TRUE(Call(sdkdispid::AddSourceFile, {leaf::Variant(index), leaf::Variant(LONG{LCF_SPINE})}));
        return Call(sdkdispid::PrepareEBook);
    }

    leaf::test::TempFolder folder;
    leaf::DispatchDriver sdk;
    std::string index;
};

TEST_F(HtmlFilterBookTest, PrepareSortsTheFilesTheBookNeeds) {
    ASSERT_TRUE(PrepareBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, ErrorCode());
    // The picture in other letter case, the chapters reached through '\' and in other
    // letter case, the style sheet and the outside picture are found; the picture of the
    // second chapter is not there.
    EXPECT_THAT(Collection(sdkdispid::GetMissingFiles), ElementsAre(folder / "book/chapters/missing.gif"));
    // Pages may not lie outside the book; web pages are dropped without a word.
    EXPECT_THAT(Collection(sdkdispid::GetExternalFiles),
                ElementsAre(folder / "outside/page.htm", "ftp://example.com/f.zip"));
}

TEST_F(HtmlFilterBookTest, ABookWhoseLinksAreAllThereGivesNoWarning) {
    folder.WriteFile("book/index.htm", "<img src=\"pics/logo.gif\"><a href=\"chapters/ch1.htm\">1</a>\n");
    folder.WriteFile("book/chapters/ch2.htm", "<img src=\"../pics/fig.gif\">\n");
    ASSERT_TRUE(PrepareBook());
    EXPECT_EQ(LCERR_NONE, ErrorCode());
    EXPECT_THAT(Collection(sdkdispid::GetMissingFiles), IsEmpty());
    EXPECT_THAT(Collection(sdkdispid::GetExternalFiles), IsEmpty());
}

// The profile's depth decides whether the second chapter, two links away, is opened.
struct LevelCase {
    int stored;
    bool secondChapterOpened;
};

class HtmlFilterLevelTest : public HtmlFilterBookTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(HtmlFilterLevelTest, TheWalkFollowsTheProfilesDepth) {
    leaf::Profile profile("Tallbrook Systems, Inc.", "Leafcraft");
    ASSERT_TRUE(profile.WriteProfileInt("HTML Filter", "WalkLinkLevel", GetParam().stored));
    ASSERT_TRUE(PrepareBook());
    EXPECT_EQ(GetParam().secondChapterOpened ? 1u : 0u, Collection(sdkdispid::GetMissingFiles).size());
}

INSTANTIATE_TEST_SUITE_P(Levels, HtmlFilterLevelTest,
                         ::testing::Values(LevelCase{3, true}, LevelCase{2, false}, LevelCase{-5, false},
                                           LevelCase{100, true}),
                         [](const auto& info) {
                             return "Stored" + std::string(info.param.stored < 0 ? "Minus" : "") +
                                    std::to_string(std::abs(info.param.stored));
                         });

}  // namespace
}  // namespace htmltest
