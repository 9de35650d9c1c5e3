#pragma once

// The pump the control runs after every event it fires: it empties the client thread's
// message queue so that the client's windows stay alive during a run and an event
// handler's AbortBuild can reach the running loop.
//
// The control has no window code of its own. The process's application object (the
// window layer) exports the C function
//     extern "C" void LeafPumpWaitingMessages(void);
// which dispatches every waiting message, a quit request included (it must keep the
// quit request for its own loop). The control looks the symbol up in the process at the
// start of each run (an application object may appear, or a test install its own, after
// the module was loaded) and keeps the answer for the run; when no application object
// exports it, pumping does nothing.

inline constexpr const char* kPumpWaitingMessagesSymbol = "LeafPumpWaitingMessages";

using PumpWaitingMessagesFunction = void (*)();

// Looks the process's pump up again.
void RefreshPumpLookup();

// Runs the process's pump once, when there is one (looked up at the first call or at
// the last RefreshPumpLookup).
void PumpWaitingMessages();
