#pragma once

// The one QApplication of a test process, so that windows can be created and driven
// without a display. Suites link leaf_test_qt_app (or leaf_test_qt_app_offscreen), which
// registers it for them; a suite that needs more around the application derives from it
// and registers its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>

namespace leaf::test {

class QtTestEnvironment : public testing::Environment {
public:
    enum class Platform {
        // The offscreen platform unless QT_QPA_PLATFORM names another (to watch the windows).
        OffscreenUnlessSet,
        // Always offscreen, where nobody answers and modal windows never wait for a person.
        AlwaysOffscreen,
    };

    explicit QtTestEnvironment(Platform platform = Platform::OffscreenUnlessSet);

    void SetUp() override;
    void TearDown() override;

private:
    Platform m_platform;
    // QApplication keeps references to its arguments for as long as it lives.
    std::string m_programName;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> m_app;
};

}  // namespace leaf::test
