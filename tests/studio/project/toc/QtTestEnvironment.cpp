// One QApplication on the offscreen platform for each test process of the
// table-of-contents suites, and a trash folder of its own (sources that heading
// extraction replaces go to the trash), so that no test touches the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        std::string pattern = (std::filesystem::temp_directory_path() / "leaf-toc-data-XXXXXX").string();
        if (const char* folder = mkdtemp(pattern.data())) {
            m_dataHome = folder;
            setenv("XDG_DATA_HOME", folder, 1);
        }
        static int argc = 1;
        static char name[] = "test_studio_toc";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        m_app.reset();
        std::error_code error;
        if (!m_dataHome.empty()) std::filesystem::remove_all(m_dataHome, error);
    }

private:
    std::string m_dataHome;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
