#include "sdk/control/MessagePump.h"

#include <dlfcn.h>

#include <atomic>
#include <cstring>

namespace {

// The pump found by the last look-up; null when the process exports none.
std::atomic<PumpWaitingMessagesFunction> g_pump{nullptr};
std::atomic<bool> g_lookedUp{false};

PumpWaitingMessagesFunction LookUpPump() {
    void* symbol = dlsym(RTLD_DEFAULT, kPumpWaitingMessagesSymbol);
    PumpWaitingMessagesFunction pump = nullptr;
    static_assert(sizeof pump == sizeof symbol);
    if (symbol != nullptr)
        std::memcpy(&pump, &symbol, sizeof pump);  // a data pointer to the function it names
    return pump;
}

}  // namespace

void RefreshPumpLookup() {
    g_pump.store(LookUpPump());
    g_lookedUp.store(true);
}

void PumpWaitingMessages() {
    // A failed look-up walks every loaded object and builds an error text: far too dear
    // for a call that follows every progress event, so the answer is kept.
    if (!g_lookedUp.load())
        RefreshPumpLookup();
    if (PumpWaitingMessagesFunction pump = g_pump.load())
        pump();
}
