#pragma once

// Helpers of the COM runtime's tests: finding the test modules in build/bin and a fixture
// that registers the test object with regsvr (tests/support/ChildProcess.h).

#include <gtest/gtest.h>

#include <string>

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "tests/support/ChildProcess.h"

namespace leaf::test {

std::string TestObjectModulePath();
std::string NoEntryModulePath();

// Registers testcomobject.so with regsvr (a child process, into this test's registry
// root) before each test, and creates its object by ProgID.
class RegisteredServerTest : public testing::Test {
protected:
    void SetUp() override;
    ComPtr<IDispatch> CreateTestObject();
};

}  // namespace leaf::test
