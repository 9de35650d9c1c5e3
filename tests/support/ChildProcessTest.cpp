// The shared child-process runner: what the child wrote comes back on the stream asked
// for, its exit status is reported, and a program that cannot start is told apart.

#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using leaf::test::ChildResult;
using leaf::test::ErrorOutput;
using leaf::test::RunChild;

const char* const kBothStreams = "printf out; printf err >&2; exit 7";

TEST(ChildProcess, KeepsTheStreamsApartAndReportsTheExitStatus) {
    ChildResult result = RunChild("sh", {"-c", kBothStreams});
    EXPECT_TRUE(result.started);
    EXPECT_EQ(7, result.exitStatus);
    EXPECT_EQ("out", result.out);
    EXPECT_EQ("err", result.err);
}

TEST(ChildProcess, MergesStandardErrorIntoStandardOutput) {
    ChildResult result = RunChild("sh", {"-c", kBothStreams}, "", ErrorOutput::Merged);
    EXPECT_EQ(7, result.exitStatus);
    EXPECT_EQ("outerr", result.out);
    EXPECT_EQ("", result.err);
}

TEST(ChildProcess, StartsInTheWorkingFolderWithNoInput) {
    leaf::test::TempFolder folder;
    folder.WriteFile("here.txt", "");
    ChildResult result = RunChild("sh", {"-c", "ls; cat"}, folder.Path().string());
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("here.txt\n", result.out);  // and `cat` read nothing from standard input
}

TEST(ChildProcess, AProgramThatCannotStartIsToldApart) {
    ChildResult missing = RunChild("/nonexistent/program", {});
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(-1, missing.exitStatus);
    EXPECT_EQ(-1, leaf::test::RunProgram("/nonexistent/program", {}));
    EXPECT_EQ(3, leaf::test::RunProgram("sh", {"-c", "exit 3"}));
}

TEST(ChildProcess, AChildKilledByASignalHasNoExitStatus) {
    ChildResult killed = RunChild("sh", {"-c", "kill -9 $$"});
    EXPECT_TRUE(killed.started);
    EXPECT_EQ(-1, killed.exitStatus);
}

}  // namespace
