#pragma once

// What the build area's tests share: one Qt application on the offscreen platform, an
// application object with the program's profile key (so that the wizard's settings are
// kept in the test's own registry), and the modules of a real build registered there.

#include <functional>
#include <string>

#include "platform/ui/WinApp.h"

namespace buildtest {

// The application object of the suite (its profile is the program's).
CWinApp& TestApp();

// Registers the build control and the HTML, picture and text filters into the test's
// registry; false when one of them cannot be registered.
bool RegisterBuildModules();

// Runs the event loop until the condition holds or the time (ms) runs out.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 20000);

}  // namespace buildtest
