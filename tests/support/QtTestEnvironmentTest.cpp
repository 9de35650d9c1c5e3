#include "tests/support/QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>
#include <string>

namespace leaf::test {
namespace {

using Platform = QtTestEnvironment::Platform;

struct PlatformCase {
    const char* name;
    const char* asked;  // QT_QPA_PLATFORM before the set-up (nullptr: unset)
    Platform platform;
    const char* expected;
};

class QtTestEnvironmentTest : public testing::TestWithParam<PlatformCase> {
protected:
    void TearDown() override { unsetenv("QT_QPA_PLATFORM"); }
};

TEST_P(QtTestEnvironmentTest, StartsTheApplicationOnTheChosenPlatformAndEndsIt) {
    const PlatformCase& c = GetParam();
    if (c.asked)
        setenv("QT_QPA_PLATFORM", c.asked, 1);
    else
        unsetenv("QT_QPA_PLATFORM");

    QtTestEnvironment environment(c.platform);
    environment.SetUp();
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(QGuiApplication::platformName().toStdString(), c.expected);
    EXPECT_EQ(QCoreApplication::arguments().value(0).toStdString(), "test_support_qt");
    environment.TearDown();
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Platforms, QtTestEnvironmentTest,
                         testing::Values(PlatformCase{"NoneAsked", nullptr, Platform::OffscreenUnlessSet, "offscreen"},
                                         PlatformCase{"AskedIsKept", "minimal", Platform::OffscreenUnlessSet, "minimal"},
                                         PlatformCase{"AskedIsOverruled", "minimal", Platform::AlwaysOffscreen,
                                                      "offscreen"}),
                         [](const testing::TestParamInfo<PlatformCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace leaf::test
