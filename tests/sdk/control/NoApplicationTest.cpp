// A client without an application object (this program exports no message pump): the
// control's pump does nothing and a preparation runs as usual.

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

class SdkWithoutApplication : public SdkControlTest {};

TEST_F(SdkWithoutApplication, PreparationRunsWithoutAPump) {
    ASSERT_EQ(nullptr, dlsym(RTLD_DEFAULT, "LeafPumpWaitingMessages"));
    ASSERT_TRUE(control.Initialize());
    leaf::ComPtr<EventSink> sink(new EventSink());
    control.Advise(sink.Get());
    std::string page = Source("book/a.src");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(4u, sink->events.size());
}

}  // namespace
}  // namespace sdktest
