#include "tests/support/QtTestEnvironment.h"

#include <cerrno>
#include <cstdlib>

namespace leaf::test {

QtTestEnvironment::QtTestEnvironment(Platform platform)
    : m_platform(platform), m_programName(program_invocation_short_name) {}

void QtTestEnvironment::SetUp() {
    const int overwrite = m_platform == Platform::AlwaysOffscreen ? 1 : 0;
    setenv("QT_QPA_PLATFORM", "offscreen", overwrite);
    m_argc = 1;
    m_argv[0] = m_programName.data();
    m_argv[1] = nullptr;
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
}

void QtTestEnvironment::TearDown() { m_app.reset(); }

}  // namespace leaf::test
