#include "tests/platform/ui/UiTestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/ui/Resources.h"

namespace leaf::test {

namespace {

// One QApplication for the whole test process, on the offscreen platform.
class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "test_platform_ui";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

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
