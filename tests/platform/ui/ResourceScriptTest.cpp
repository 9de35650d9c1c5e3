#include <gtest/gtest.h>

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Resources.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

TEST(ResourceScript, ReadsNestedBlocksWithIdsTextsOptionsAndFlags) {
    auto blocks = ParseResourceScript(
        "dialog 7000 \"HTML\" child\n"
        "  row\n"
        "    edit 7001 number limit=2   # a comment\n"
        "    label \"say \\\"hi\\\"\\tnow\"\n"
        "  end\n"
        "end\n"
        "menu 0x64\n"
        "  popup \"&File\"\n"
        "    item 40000 \"&New\\tCtrl+N\" grayed\n"
        "  end\n"
        "end\n");
    ASSERT_TRUE(blocks);
    ASSERT_EQ(blocks->size(), 2u);
    const ResourceNode& dialog = (*blocks)[0];
    EXPECT_EQ(dialog.kind, "dialog");
    EXPECT_EQ(dialog.id, 7000);
    EXPECT_EQ(dialog.text, "HTML");
    EXPECT_TRUE(dialog.HasFlag("child"));
    const ResourceNode& edit = dialog.children.at(0).children.at(0);
    EXPECT_EQ(edit.kind, "edit");
    EXPECT_TRUE(edit.HasFlag("number"));
    EXPECT_EQ(edit.IntOption("limit", 0), 2);
    const ResourceNode& label = dialog.children.at(0).children.at(1);
    EXPECT_FALSE(label.hasId);
    EXPECT_EQ(label.id, -1);
    EXPECT_EQ(label.text, "say \"hi\"\tnow");
    EXPECT_EQ((*blocks)[1].id, 100);
    EXPECT_EQ((*blocks)[1].children.at(0).children.at(0).text, "&New\tCtrl+N");
}

TEST(ResourceScript, ReportsTheLineOfTheFirstFault) {
    struct Case {
        const char* script;
        int line;
    };
    const Case cases[] = {
        {"strings\n  1 \"open\n", 2},                       // unterminated string
        {"dialog 1 \"x\"\n  label \"a\" \"b\"\nend\n", 2},  // two texts
        {"end\n", 1},                                        // end without a block
        {"dialog 1\n  row\n  end\n", 1},                     // dialog never closed
        {"label 5 \"outside\"\n", 1},                        // a control outside any block
        {"strings\n  1 \"bad \\q escape\"\nend\n", 2},
    };
    for (const Case& c : cases) {
        ResourceScriptError error;
        EXPECT_FALSE(ParseResourceScript(c.script, &error)) << c.script;
        EXPECT_EQ(error.line, c.line) << c.script << " -> " << error.message;
    }
}

TEST(ResourceScript, RefusesNestingBeyondAnyTemplatesNeed) {
    std::string script = "dialog 1\n";
    for (int i = 0; i < 100; ++i) script += "row\n";
    for (int i = 0; i < 100; ++i) script += "end\n";
    script += "end\n";
    EXPECT_FALSE(ParseResourceScript(script));
}

TEST(ResourceSet, StringTableLoadsAndFormats) {
    leaf::test::LoadUiTestResources();
    EXPECT_STREQ(LoadResString(7000).c_str(), "HTML");
    EXPECT_STREQ(FormatResString(101, "a.htm", 12).c_str(), "The file \"a.htm\" has 12 pages.");
    CString missing("left over");
    EXPECT_FALSE(LoadString(4242, missing));
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_TRUE(FormatResString(4242, 1).IsEmpty());
}

TEST(ResourceSet, ScriptsEmbeddedAtBuildTimeArePresentAtStart) {
    EXPECT_STREQ(LoadResString(900).c_str(), "embedded text");
}

TEST(ResourceSet, MalformedScriptAddsNothing) {
    ResourceSet set;
    EXPECT_FALSE(set.AddScript("strings\n  1 \"one\"\n  2\nend\n"));
    EXPECT_EQ(set.FindString(1), nullptr);
    EXPECT_TRUE(set.AddScript("strings\n  1 \"one\"\nend\naccelerators 100\n  40000 \"Ctrl+N\"\nend\n"));
    ASSERT_NE(set.FindAccelerators(100), nullptr);
    EXPECT_EQ(set.FindAccelerators(100)->at(0).command, 40000u);
    EXPECT_FALSE(set.AddScriptFile("/nonexistent/file.lrc"));
}
