// Test entry point: every test process gets a registry root, a temporary folder and a
// desktop data folder of its own, so that no test reads or writes the user's settings or
// desktop registrations, or meets another test's temporary files.
#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    leaf::test::ScopedRegistryRoot registry;
    leaf::test::ScopedTempRoot temp;
    leaf::test::ScopedFolderVariable desktopData("XDG_DATA_HOME");
    return RUN_ALL_TESTS();
}
