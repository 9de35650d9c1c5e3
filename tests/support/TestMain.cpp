// Test entry point: every test process gets a registry root and a temporary folder of
// its own, so that no test reads or writes the user's settings or meets another test's
// temporary files.
#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::ScopedTempRoot temp;
    return RUN_ALL_TESTS();
}
