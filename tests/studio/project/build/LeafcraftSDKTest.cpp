// The program's wrapper of the build control, against the real control and filters
// registered in the test's registry: creation as a hidden child window, the methods by
// dispatch id, the string collections and the events routed to the parent by control id.
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>

#include "platform/ui/ControlSite.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/LeafcraftSDK.h"
#include "studio/project/StringCollectionDriver.h"
#include "tests/studio/project/build/BuildTestEnvironment.h"
#include "tests/support/EpubCheck.h"
#include "tests/support/TempFolder.h"

namespace {

// A window that hosts the control and records the events it receives.
class HostWindow : public CWnd {
public:
    HostWindow() {
        AttachCreated(new QWidget);
        MapEvent(leaf::kLeafcraftSDKControlId, sdkeventid::OnUpdateProgress, [this](DISPPARAMS* params) {
            progress.push_back(leaf::ui::EventArgumentLong(params, 1));
            return TRUE;
        });
        MapEvent(leaf::kLeafcraftSDKControlId, sdkeventid::OnLITGenMessage, [this](DISPPARAMS* params) {
            messages.push_back(leaf::ui::EventArgumentLong(params, 1));
            return TRUE;
        });
    }
    std::vector<LONG> progress;   // stages
    std::vector<LONG> messages;   // codes
};

class LeafcraftSDKTest : public ::testing::Test {
protected:
    void SetUp() override {
        CWinApp& app = buildtest::TestApp();
        app.WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
    }

    bool CreateControl() {
        const RECT none{};
        return sdk.Create(nullptr, WS_CHILD, none, &host, leaf::kLeafcraftSDKControlId);
    }

    leaf::test::TempFolder folder;
    HostWindow host;
    CLeafcraftSDK sdk;
};

TEST_F(LeafcraftSDKTest, CreationFailsWhenTheControlIsNotRegistered) {
    EXPECT_FALSE(CreateControl());
    EXPECT_EQ(nullptr, sdk.GetControlDispatch());
    EXPECT_THROW(sdk.Initialize(), leaf::DispatchError);
}

TEST_F(LeafcraftSDKTest, HostsTheControlAsAHiddenChildWithItsId) {
    ASSERT_TRUE(buildtest::RegisterBuildModules());
    ASSERT_TRUE(CreateControl());
    ASSERT_NE(nullptr, sdk.GetControlDispatch());
    CWnd* child = host.GetDlgItem(leaf::kLeafcraftSDKControlId);
    ASSERT_NE(nullptr, child);
    EXPECT_FALSE(child->GetWidget()->isVisible());
    EXPECT_TRUE(sdk.IsFontEmbeddingAvailable() == TRUE || sdk.IsFontEmbeddingAvailable() == FALSE);
}

TEST_F(LeafcraftSDKTest, CallsTheMethodsAndReadsTheirErrors) {
    ASSERT_TRUE(buildtest::RegisterBuildModules());
    ASSERT_TRUE(CreateControl());
    // Before Initialize every project method fails as uninitialised.
    EXPECT_FALSE(sdk.AddSourceFile("/nowhere/a.htm", LCF_SPINE));
    EXPECT_EQ(LCERR_UNINITIALIZED, sdk.GetErrorCode());

    ASSERT_TRUE(sdk.Initialize());
    EXPECT_EQ(LCERR_NONE, sdk.GetErrorCode());
    EXPECT_NE(std::string::npos, sdk.GetBrowseFilter().str().find("*.htm"));

    const std::string missing = folder / "book/missing.htm";
    EXPECT_FALSE(sdk.ValidateSourceFile(missing.c_str()));
    EXPECT_EQ(LCERR_MISSING_FILE, sdk.GetErrorCode());
    EXPECT_NE(std::string::npos, sdk.GetErrorDetails().str().find("missing.htm"));

    EXPECT_FALSE(sdk.AddMetaData("dc:Title", "", "Book", 0));
    EXPECT_EQ(LCERR_INVALIDARG, sdk.GetErrorCode());
    EXPECT_TRUE(sdk.AddMetaData("dc:Title", "", "Book", LCF_DUBLIN_CORE));
    EXPECT_FALSE(sdk.AbortBuild());
    EXPECT_EQ(LCERR_ILLEGAL, sdk.GetErrorCode());
    EXPECT_FALSE(sdk.CreateTourFromTOC(0));
    EXPECT_EQ(LCERR_TOUR_NO_TOC, sdk.GetErrorCode());
}

TEST_F(LeafcraftSDKTest, PreparationReportsMissingAndExternalFilesThroughCollections) {
    ASSERT_TRUE(buildtest::RegisterBuildModules());
    const std::string page = folder.WriteFile(
        "book/a.htm", "<html><body><p>Text</p><img src=\"pic.gif\"><a href=\"../outside.htm\">x</a></body></html>");
    folder.WriteFile("outside.htm", "<html><body><p>Elsewhere</p></body></html>");
    ASSERT_TRUE(CreateControl());
    ASSERT_TRUE(sdk.Initialize());
    ASSERT_TRUE(sdk.AddSourceFile(page.c_str(), LCF_SPINE));
    ASSERT_TRUE(sdk.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, sdk.GetErrorCode());

    CStringCollectionDriver missing(sdk.GetMissingFiles());
    ASSERT_EQ(1, missing.GetCount());
    EXPECT_NE(std::string::npos, missing.Item(1).str().find("pic.gif"));
    EXPECT_THROW(missing.Item(0), leaf::DispatchError);
    EXPECT_THROW(missing.Item(2), leaf::DispatchError);

    CStringCollectionDriver external(sdk.GetExternalFiles());
    ASSERT_EQ(1, external.GetCount());
    EXPECT_NE(std::string::npos, external.Item(1).str().find("outside.htm"));

    // The preparation's progress reached the host window by the control's id.
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(1, host.progress.front());
}

TEST_F(LeafcraftSDKTest, BuildsAnEBook) {
    ASSERT_TRUE(buildtest::RegisterBuildModules());
    const std::string page = folder.WriteFile("book/a.htm", "<html><head><title>A</title></head><body><p>Hello</p></body></html>");
    ASSERT_TRUE(CreateControl());
    ASSERT_TRUE(sdk.Initialize());
    ASSERT_TRUE(sdk.AddSourceFile(page.c_str(), LCF_SPINE));
    ASSERT_TRUE(sdk.AddMetaData("dc:Title", "", "Hello", LCF_DUBLIN_CORE));
    ASSERT_TRUE(sdk.PrepareEBook());
    const std::string eBook = folder / "out/hello.lit";
    std::filesystem::create_directories(folder / "out");
    ASSERT_TRUE(sdk.BuildEBook(eBook.c_str(), "Publisher", FALSE, nullptr))
        << sdk.GetErrorCode() << " " << sdk.GetErrorDetails().str();
    EXPECT_TRUE(std::filesystem::exists(eBook));
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));  // an EPUB, whatever its name says
    EXPECT_NE(host.progress.end(), std::find(host.progress.begin(), host.progress.end(), 3));
}

}  // namespace

namespace {

TEST(LeafcraftSDKClass, CanBeCreatedByClass) {
    CObject* made = RUNTIME_CLASS(CLeafcraftSDK)->CreateObject();
    ASSERT_NE(nullptr, dynamic_cast<CLeafcraftSDK*>(made));
    EXPECT_STREQ("CLeafcraftSDK", made->GetRuntimeClass()->m_lpszClassName);
    delete made;
}

}  // namespace
