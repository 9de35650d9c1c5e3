#pragma once

// Helpers of the COM runtime's tests: running regsvr as a child process and finding the
// test modules in build/bin.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"

namespace leaf::test {

struct ProcessResult {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

// Runs a program with arguments (no shell) and waits for it.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments);

std::string RegsvrPath();
std::string TestObjectModulePath();
std::string NoEntryModulePath();

// Runs build/bin/regsvr with these arguments as a child process.
ProcessResult RunRegsvr(const std::vector<std::string>& arguments);

// Registers testcomobject.so with regsvr (a child process, into this test's registry
// root) before each test, and creates its object by ProgID.
class RegisteredServerTest : public testing::Test {
protected:
    void SetUp() override;
    ComPtr<IDispatch> CreateTestObject();
};

}  // namespace leaf::test
