#include "sdk/control/MessagePump.h"

#include <dlfcn.h>

#include <cstring>

void PumpWaitingMessages() {
    // Looked up each time: an application object may appear (or a test install its own)
    // after the module was loaded.
    void* symbol = dlsym(RTLD_DEFAULT, kPumpWaitingMessagesSymbol);
    if (symbol == nullptr)
        return;
    PumpWaitingMessagesFunction pump = nullptr;
    static_assert(sizeof pump == sizeof symbol);
    std::memcpy(&pump, &symbol, sizeof pump);  // a data pointer to the function it names
    pump();
}
