// Every module the system ships carries a version block that can be read from its file:
// the build control records each one's description and version in the e-books it builds,
// and a module without a description would be recorded under an empty name.

#include <gtest/gtest.h>

#include <string>

#include "platform/com/VersionInfo.h"
#include "tests/support/TempFolder.h"

namespace {

struct ShippedModule {
    const char* file;
    const char* description;
};

class ModuleVersionTest : public testing::TestWithParam<ShippedModule> {};

TEST_P(ModuleVersionTest, DescribesItselfWithAVersion) {
    const ShippedModule& module = GetParam();
    std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(leaf::test::BinDir() + "/" + module.file);
    ASSERT_TRUE(info.has_value()) << module.file << " has no version block";
    EXPECT_EQ(info->Query("FileDescription").value_or(""), module.description);
    EXPECT_FALSE(info->Query("FileVersion").value_or("").empty());
    EXPECT_EQ(info->Query("CompanyName").value_or(""), "Tallbrook Systems, Inc.");
}

INSTANTIATE_TEST_SUITE_P(Shipped, ModuleVersionTest,
                         testing::Values(ShippedModule{"leafsdk.so", "Leafcraft SDK Control"},
                                         ShippedModule{"markupintake.so", "HTML Leafcraft Input Filter"},
                                         ShippedModule{"pictureintake.so", "Image Leafcraft Input Filter"},
                                         ShippedModule{"plainintake.so", "Text Leafcraft Input Filter"},
                                         ShippedModule{"LITGen.so", "Leafcraft eBook Compiler"},
                                         ShippedModule{"FontEmbedder.so", "Leafcraft Font Embedder"}),
                         [](const testing::TestParamInfo<ShippedModule>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
