// The hive text syntax on its own: what parses, and that formatting and parsing agree.

#include <gtest/gtest.h>

#include "platform/registry/HiveText.h"
#include "platform/registry/Registry.h"

namespace leaf::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n";
constexpr std::string_view kEnd = "; end of registry hive\n";

std::optional<RegistryNode> Parse(std::string_view body) {
    return ParseHiveText(std::string(kHeader) + std::string(body) + std::string(kEnd), "HKEY_LOCAL_MACHINE");
}

TEST(HiveTextTest, FormattingAndParsingAgree) {
    RegistryNode root("HKEY_LOCAL_MACHINE");
    RegistryNode& classes = root.ChildNamed("Software").ChildNamed("Classes");
    classes.ChildNamed("Zeta").SetValue("", REG_SZ, std::string("z\0", 2));
    classes.ChildNamed("alpha").SetValue("Odd \"name\" \\", REG_BINARY, std::string("\0\x01\xff", 3));
    classes.SetValue("Lines", REG_SZ, std::string("a\nb\0", 4));
    classes.SetValue("Type", 0x12345678, "raw");

    std::string text = FormatHiveText(root, "HKEY_LOCAL_MACHINE");
    std::optional<RegistryNode> parsed = ParseHiveText(text, "HKEY_LOCAL_MACHINE");
    ASSERT_TRUE(parsed) << text;
    EXPECT_EQ(FormatHiveText(*parsed, "HKEY_LOCAL_MACHINE"), text);
    const RegistryNode* parsedClasses = parsed->Find({"software", "CLASSES"});
    ASSERT_TRUE(parsedClasses);
    ASSERT_EQ(parsedClasses->Children().size(), 2u);
    EXPECT_EQ(parsedClasses->Children()[0]->Name(), "Zeta") << "creation order, not sorted";
    EXPECT_EQ(parsedClasses->FindValue("lines")->data, std::string("a\nb\0", 4));
    EXPECT_NE(text.find("\"Lines\"=hex(1):61,0a,62,00"), std::string::npos) << "a line break cannot stand in quotes";
    EXPECT_EQ(parsedClasses->FindValue("type")->type, 0x12345678u);
}

TEST(HiveTextTest, SectionsCreateTheirParentsAndMayRepeat) {
    std::optional<RegistryNode> root = Parse(
        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"x\"=\"1\"\n"
        "[HKEY_LOCAL_MACHINE\\a]\n\"y\"=\"2\"\n"
        "[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"X\"=\"3\"\n");
    ASSERT_TRUE(root);
    const RegistryNode* c = root->Find({"A", "B", "C"});
    ASSERT_TRUE(c);
    ASSERT_EQ(c->Values().size(), 1u);
    EXPECT_EQ(c->Values()[0].name, "x");
    EXPECT_EQ(c->Values()[0].data, std::string("3\0", 2));
    EXPECT_EQ(root->Find({"A"})->FindValue("Y")->data, std::string("2\0", 2));
}

TEST(HiveTextTest, RejectsWhatDoesNotParse) {
    const char* bad[] = {
        "[HKEY_LOCAL_MACHINE\\A\\\\B]\n",               // empty key name
        "[HKEY_LOCAL_MACHINE\\A\n",                     // unclosed section
        "[HKEY_LOCAL_MACHINEX\\A]\n",                   // another root
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"a\\n\"\n",    // unknown escape
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"a\" junk\n",  // text after the value
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=-\n",           // deletion marks are not stored
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\n",     // dangling comma
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\\\n",   // continuation into nothing... then the end line
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex(zz):01\n",  // bad type
        "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:123456789\n",
        "[HKEY_LOCAL_MACHINE\\A]\nx=\"1\"\n",           // unquoted name
    };
    for (const char* body : bad)
        EXPECT_FALSE(Parse(body)) << body;
    EXPECT_FALSE(ParseHiveText(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A]\n", "HKEY_LOCAL_MACHINE"))
        << "no closing line: cut short";
    EXPECT_TRUE(Parse("[HKEY_LOCAL_MACHINE]\n\"x\"=hex:\n\"y\"=hex(0):\n"));
}

// A section names its key by its whole path; one deeper than a hive may hold is damage,
// however long, and a tree of any depth is freed without running out of stack.
TEST(HiveTextTest, KeysDeeperThanTheLimitAreRefused) {
    auto section = [](size_t depth) {
        std::string line = "[HKEY_LOCAL_MACHINE";
        for (size_t i = 0; i < depth; ++i)
            line += "\\k";
        return line + "]\n\"v\"=\"deep\"\n";
    };
    std::optional<RegistryNode> deepest = Parse(section(kMaxKeyDepth));
    ASSERT_TRUE(deepest);
    const std::string text = FormatHiveText(*deepest, "HKEY_LOCAL_MACHINE");
    std::optional<RegistryNode> again = ParseHiveText(text, "HKEY_LOCAL_MACHINE");
    ASSERT_TRUE(again);
    const RegistryNode* node = &*again;
    for (size_t i = 0; i < kMaxKeyDepth && node; ++i)
        node = node->FindChild("k");
    ASSERT_TRUE(node);
    EXPECT_EQ(node->FindValue("v")->data, std::string("deep\0", 5));

    EXPECT_FALSE(Parse(section(kMaxKeyDepth + 1)));
    EXPECT_FALSE(Parse(section(50000)));

    RegistryNode root("HKEY_LOCAL_MACHINE");
    RegistryNode* leaf = &root;
    for (int i = 0; i < 1000000; ++i)
        leaf = &leaf->ChildNamed("k");
}

}  // namespace
}  // namespace leaf::registry
