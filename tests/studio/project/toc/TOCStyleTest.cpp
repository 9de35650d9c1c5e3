#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/File.h"
#include "platform/ui/ScriptedPeople.h"
#include "studio/project/TOCStyle.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
    return contents;
}

CTOCStyle SampleStyle() {
    CTOCStyle style;
    CTOCLevelStyle& two = style.GetLevel(1);
    two.m_fontFamily = "Arial";
    two.m_bold = 1;
    two.m_italic = 1;
    two.m_size = 18;
    two.m_color = 0x00C08010;  // red 0x10, green 0x80, blue 0xC0
    two.m_allCaps = 1;
    two.m_underline = 1;
    two.m_alignment = "center";
    two.m_leftMargin = 1.5;
    two.m_rightMargin = 0.25;
    two.m_spaceBefore = 12;
    two.m_spaceAfter = 6;
    style.GetLevel(6).m_size = 8;
    return style;
}

}  // namespace

TEST(TOCStyleTest, SaveWritesTheRuleOfEveryLevelInTheFileFormat) {
    leaf::test::TempFolder folder;
    const std::string path = folder / "mine.htt";
    ASSERT_TRUE(SampleStyle().Save(path.c_str()));
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("<html>\n<head>\n<title>Table of Contents</title>\n<style>\n", 0), 0u);
    EXPECT_NE(text.find(".Level2 { color:\t#1080c0;\tfont-family:\tArial;\n"
                        "\tfont-size:\t18pt;\tfont-style:\titalic;\n"
                        "\tfont-weight:\tbold;\ttext-decoration:\tunderline;\n"
                        "\ttext-align:\tcenter;\t/*text-transform:\tuppercase;*/\n"
                        "\tmargin-left:\t1.50in;\tmargin-right:\t0.25in;\n"
                        "\tmargin-top:\t12pt;\tmargin-bottom:\t6pt;}\n"),
              std::string::npos);
    EXPECT_NE(text.find(".Level7 { color:\t#000000;\tfont-family:\tTimes New Roman;\n\tfont-size:\t8pt;"), std::string::npos);
    EXPECT_NE(text.find("</style>\n</head>\n\n<body>\n<h1 align=\"center\">Table of Contents</h1>\n\n"
                        "%TABLEOFCONTENTS%\n\n</body>\n</html>\n"),
              std::string::npos);
}

// A size without a unit is no CSS length: readers ignore it and e-book checkers refuse it.
TEST(TOCStyleTest, TheBuiltInStylesGiveTheirSizesInPoints) {
    for (const char* name : {"classic", "distinct", "fancy", "formal"}) {
        const std::string path = std::string(leaf::test::BinDir()) + "/TOCStyle/" + name + ".htt";
        const std::string text = ReadAll(path);
        ASSERT_FALSE(text.empty()) << path;
        for (size_t at = text.find("font-size:"); at != std::string::npos; at = text.find("font-size:", at + 1)) {
            const size_t end = text.find(';', at);
            EXPECT_TRUE(text.substr(at, end - at).ends_with("pt")) << name << ": " << text.substr(at, end - at);
        }
        CTOCStyle style;
        ASSERT_TRUE(style.Load(path.c_str())) << name;
        EXPECT_GT(style.GetLevel(0).m_size, 0) << name;
    }
}

TEST(TOCStyleTest, LoadReadsBackWhatSaveWrote) {
    leaf::test::TempFolder folder;
    const std::string path = folder / "mine.htt";
    const CTOCStyle saved = SampleStyle();
    ASSERT_TRUE(saved.Save(path.c_str()));
    CTOCStyle loaded;
    loaded.GetLevel(0).m_size = 30;  // overwritten by the defaults first
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded == saved);
}

TEST(TOCStyleTest, SaveFailsWhenTheFolderDoesNotExist) {
    leaf::test::TempFolder folder;
    EXPECT_FALSE(CTOCStyle().Save((folder / "missing/x.htt").c_str()));
}

TEST(TOCStyleTest, LoadOfAMissingFileFailsQuietlyWithDefaults) {
    leaf::ui::ScriptedPeople people;
    CTOCStyle style = SampleStyle();
    EXPECT_FALSE(style.Load("/nonexistent/folder/x.htt"));
    EXPECT_TRUE(style == CTOCStyle());
    EXPECT_TRUE(people.Log().empty());
}

TEST(TOCStyleTest, LoadTakesPropertiesWhereverTheyStandAndKeepsDefaultsForTheRest) {
    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("hand.htt",
                                              "<style>\n"
                                              "  .Level3 {font-size: 20pt; color: #FF0080; margin-left: 0.5in}\n"
                                              "   font-weight: BOLD; text-decoration: NONE;\n"
                                              "/* margin-right: 2in; */\n"
                                              "%tableofcontents%\n"
                                              ".Level1 { font-size: 40; }\n");
    CTOCStyle style;
    ASSERT_TRUE(style.Load(path.c_str()));
    const CTOCLevelStyle& three = style.GetLevel(2);
    EXPECT_EQ(three.m_size, 20);
    EXPECT_EQ(three.m_color, 0x008000FFu);
    EXPECT_DOUBLE_EQ(three.m_leftMargin, 0.5);
    EXPECT_DOUBLE_EQ(three.m_rightMargin, 2.0);  // found inside the comment too
    EXPECT_EQ(three.m_bold, 1);
    EXPECT_EQ(three.m_underline, 0);
    EXPECT_EQ(three.m_fontFamily, "Times New Roman");
    // The placeholder in any case ends the reading.
    EXPECT_EQ(style.GetLevel(0).m_size, 12);
}

TEST(TOCStyleTest, LoadWithoutPlaceholderEndsAtTheEndOfTheFile) {
    leaf::test::TempFolder folder;
    const std::string path = folder.WriteFile("short.htt", ".Level7 { font-style: oblique;\n  text-align: right; }");
    CTOCStyle style;
    ASSERT_TRUE(style.Load(path.c_str()));
    EXPECT_EQ(style.GetLevel(6).m_italic, 1);
    EXPECT_EQ(style.GetLevel(6).m_alignment, "right");
}

TEST(TOCStyleTest, ABadLevelDigitStopsTheReadingWithMessage922) {
    leaf::test::TempFolder folder;
    for (const char* rule : {".Level8 { font-size: 9; }", ".LevelX { font-size: 9; }", ".Level0 {}"}) {
        leaf::ui::ScriptedPeople people;
        people.AnswerMessageBox(IDOK);
        const std::string path = folder.WriteFile("bad.htt", std::string(".Level1 { font-size: 30; }\n") + rule + "\n");
        CTOCStyle style;
        EXPECT_FALSE(style.Load(path.c_str())) << rule;
        ASSERT_EQ(people.Asked("message").size(), 1u) << rule;
        EXPECT_EQ(people.Asked("message")[0].text, "Level value must be between 1 - 6");
    }
}

TEST(TOCStyleTest, ParseCssValueTakesTheTextUpToTheFirstSemicolonAfterTheName) {
    EXPECT_EQ(CTOCStyle::ParseCssValue("a:1; font-size:\t 14 ; b:2;", "font-size:"), "14");
    EXPECT_EQ(CTOCStyle::ParseCssValue("font-family: Book Antiqua ", "font-family:"), "Book Antiqua");
    EXPECT_EQ(CTOCStyle::ParseCssValue("color: red;", "margin-top:"), "");
}

TEST(TOCStyleTest, StylesAreListedFromTheStyleFolderBesideTheProgram) {
    leaf::test::TempFolder folder;
    folder.WriteFile("TOCStyle/formal.htt", "x");
    folder.WriteFile("TOCStyle/Mine.HTT", "x");
    folder.WriteFile("TOCStyle/notes.txt", "x");
    leaf::toc::SetProgramFolder(folder.Path().string().c_str());
    EXPECT_EQ(leaf::toc::ListStyleNames(), (std::vector<CString>{"formal", "Mine"}));
    EXPECT_EQ(leaf::toc::GetStylePath("fancy"), CString(folder / "TOCStyle/fancy.htt"));
    EXPECT_TRUE(leaf::toc::IsBuiltInStyle("Classic"));
    EXPECT_FALSE(leaf::toc::IsBuiltInStyle("Mine"));
    leaf::toc::SetProgramFolder("");
}

TEST(TOCStyleTest, TheBuiltInStylesAreInstalledBesideTheProgramAndLoad) {
    leaf::toc::SetProgramFolder(leaf::test::BinDir().c_str());
    for (const CString& name : leaf::toc::BuiltInStyleNames()) {
        CTOCStyle style;
        EXPECT_TRUE(style.Load(leaf::toc::GetStylePath(name).c_str())) << name.str();
    }
    leaf::toc::SetProgramFolder("");
}
