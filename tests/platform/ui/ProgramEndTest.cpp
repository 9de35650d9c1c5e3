// The order in which a program's windows go at its end: before the objects of the modules
// they use, whether the loop ends as usual or exit() ends the process from inside it.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/ChildProcess.h"

using leaf::test::ChildResult;
using leaf::test::ErrorOutput;
using leaf::test::RunChild;

namespace {

struct EndCase {
    const char* mode;
    bool windowGoes;   // the window goes (while the module's object is there) or is left
};

class ProgramEnd : public testing::TestWithParam<EndCase> {};

TEST_P(ProgramEnd, TheMainWindowNeverGoesAfterTheModulesObjects) {
    ChildResult result = RunChild(LEAF_EXIT_INSIDE_THE_LOOP, {GetParam().mode, "-platform", "offscreen"}, "",
                                  ErrorOutput::Merged);
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitStatus, 0) << result.out;
    EXPECT_EQ(result.out.find("window went") != std::string::npos, GetParam().windowGoes) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Ways, ProgramEnd,
                         testing::Values(EndCase{"--close", true}, EndCase{"--exit", false}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                             return std::string(info.param.mode + 2);
                         });

}  // namespace
