#pragma once

// The Qt application every window test needs, and the test resources.

#include <string>

namespace leaf::test {

// Loads data/ui-test.lrc into the program's resource set (once).
void LoadUiTestResources();
std::string UiTestDataPath(const std::string& name);
// A folder for the test's output files (screenshots), made on first use.
std::string UiTestOutputFolder();

}  // namespace leaf::test
