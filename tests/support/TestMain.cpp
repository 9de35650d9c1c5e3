// Test entry point: every test process gets a registry root of its own, so that no
// test reads or writes the user's settings.
#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    leaf::test::ScopedRegistryRoot registry;
    return RUN_ALL_TESTS();
}
