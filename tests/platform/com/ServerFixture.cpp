#include "tests/platform/com/ServerFixture.h"

#include "platform/com/ComRuntime.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {

std::string TestObjectModulePath() { return BinDir() + "/testcomobject.so"; }
std::string NoEntryModulePath() { return BinDir() + "/testnoentry.so"; }

void RegisteredServerTest::SetUp() {
    ChildResult result = RunRegsvr({TestObjectModulePath()});
    ASSERT_EQ(result.exitStatus, 0) << result.out;
}

ComPtr<IDispatch> RegisteredServerTest::CreateTestObject() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID("LeafTest.TestObject", &clsid), S_OK);
    ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.ReceiveVoid()), S_OK);
    return object;
}

}  // namespace leaf::test
