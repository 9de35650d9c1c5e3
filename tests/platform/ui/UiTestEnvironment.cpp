#include "tests/platform/ui/UiTestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ui/Resources.h"

namespace leaf::test {

std::string UiTestDataPath(const std::string& name) { return std::string(LEAF_UI_TEST_DATA) + "/" + name; }

void LoadUiTestResources() {
    static bool loaded = false;
    if (loaded) return;
    leaf::ui::ResourceScriptError error;
    ASSERT_TRUE(leaf::ui::Resources().AddScriptFile(UiTestDataPath("ui-test.lrc"), &error))
        << "line " << error.line << ": " << error.message;
    loaded = true;
}

std::string UiTestOutputFolder() {
    // Beside the test program's working folder (the build tree), where a person can look.
    std::filesystem::path folder = std::filesystem::current_path() / "ui-test-output";
    std::filesystem::create_directories(folder);
    return folder.string();
}

}  // namespace leaf::test
