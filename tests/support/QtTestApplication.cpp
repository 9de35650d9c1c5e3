// Registers the test process's QApplication with GoogleTest. Built twice: into
// leaf_test_qt_app, and with LEAF_QT_TEST_ALWAYS_OFFSCREEN into leaf_test_qt_app_offscreen.
#include "tests/support/QtTestEnvironment.h"

namespace {

#ifdef LEAF_QT_TEST_ALWAYS_OFFSCREEN
constexpr auto kPlatform = leaf::test::QtTestEnvironment::Platform::AlwaysOffscreen;
#else
constexpr auto kPlatform = leaf::test::QtTestEnvironment::Platform::OffscreenUnlessSet;
#endif

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new leaf::test::QtTestEnvironment(kPlatform));

}  // namespace
