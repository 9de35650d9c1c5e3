// The Word filter as part of a build: the build control finds it through its
// registration for ".doc", and the preparation of a book whose page is a Word document
// with a picture reports nothing missing, the picture being named beside the document.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com/ComRuntime.h"
#include "platform/com/DispatchDriver.h"
#include "sdk/LeafcraftSDK.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

class WordFilterBookTest : public testing::Test {
protected:
    void SetUp() override {
        if (leaf::test::InstalledOfficeProgram().empty())
            GTEST_SKIP() << "the office suite is not installed";
        ASSERT_TRUE(leaf::test::RegisterModule("leafsdk.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("wordintake.so"));
        ASSERT_EQ(leaf::test::RegisterWordServer(leaf::test::InstalledOfficeProgram()), S_OK);
        setenv("TMP", temp.Path().c_str(), 1);
        leaf::ComPtr<IDispatch> object;
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(kLeafcraftSDKProgId, &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.ReceiveVoid()), S_OK);
        sdk.AttachDispatch(object.Get());
    }

    bool Call(DISPID dispid, std::vector<leaf::Variant> arguments = {}) {
        leaf::DispatchResult result = sdk.TryInvoke(dispid, DISPATCH_METHOD, arguments);
        EXPECT_EQ(result.hr, S_OK) << "dispid " << dispid;
        return result.value.vt == VT_BOOL && result.value.boolVal != VARIANT_FALSE;
    }
    LONG ErrorCode() { return sdk.InvokeHelper(sdkdispid::GetErrorCode, DISPATCH_METHOD, {}).ToLong(); }
    std::string ErrorDetails() { return sdk.InvokeHelper(sdkdispid::GetErrorDetails, DISPATCH_METHOD, {}).ToUtf8(); }

    leaf::test::TempFolder temp;
    leaf::test::TempFolder books;
    leaf::DispatchDriver sdk;
};

}  // namespace

TEST_F(WordFilterBookTest, ABookOfAWordDocumentWithAPicturePrepares) {
    leaf::test::DocxFixture fixture;
    fixture.paragraphs = {{"The first chapter", {"Start"}}};
    fixture.withPicture = true;
    std::string document = books / "chapter.doc";
    ASSERT_TRUE(fixture.Write(document));

    ASSERT_TRUE(Call(sdkdispid::Initialize)) << ErrorDetails();
    ASSERT_TRUE(Call(sdkdispid::AddSourceFile, {leaf::Variant(document), leaf::Variant(LONG{LCF_SPINE})}))
        << ErrorDetails();
    EXPECT_TRUE(Call(sdkdispid::PrepareEBook)) << ErrorDetails();
    EXPECT_EQ(ErrorCode(), LCERR_NONE) << ErrorDetails();
}
