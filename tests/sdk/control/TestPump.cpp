// The message pump this test program exports, as the window layer's application object
// does: the control finds it in the process and runs it after every event.

#include <functional>
#include <vector>

#include "platform/base/Types.h"
#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

int g_pumpCount = 0;
std::vector<std::function<void()>> g_posted;

}  // namespace

int PumpCount() { return g_pumpCount; }
void PostMessage(std::function<void()> message) { g_posted.push_back(std::move(message)); }

void RunPump() {
    ++g_pumpCount;
    std::vector<std::function<void()>> messages = std::move(g_posted);
    g_posted.clear();
    for (auto& message : messages)
        message();
}

}  // namespace sdktest

LEAF_EXPORT_C void LeafPumpWaitingMessages() { sdktest::RunPump(); }
