#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/GuideTypeDefinition.h"
#include "studio/project/MetaDataDefinition.h"
#include "studio/project/PrivateProfile.h"
#include "tests/support/TempFolder.h"

namespace {

class MetaDataDefinitionTest : public testing::Test {
protected:
    MetaDataDefinitionTest() { app.SetRegistryKey("Tallbrook Systems, Inc."); }

    BOOL LoadText(const std::string& text)
    {
        std::string path = folder.WriteFile("leafstudio.dat", text);
        return leaf::LoadMetaDataDefinitions(CString(path), list);
    }

    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::ui::ScriptedPeople people;
    leaf::test::TempFolder folder;
    std::vector<std::unique_ptr<CMetaDataDefinition>> list;
};

TEST_F(MetaDataDefinitionTest, ReadsEachSectionInFileOrder)
{
    ASSERT_TRUE(LoadText("[Meta-data Info #1]\n"
                         "Name=dc:Title\n"
                         "Prompt Type=Edit\n"
                         "Max Length=200\n"
                         "Notes=The title\n"
                         "\n"
                         "[Meta-data Info #2]\n"
                         "Name=dc:Creator\n"
                         "Label=Author\n"
                         "Prompt Type=List-Creator\n"
                         "Sort=1\n"
                         "Customize=1\n"
                         "Choice #1=aut|Author\n"
                         "Choice #2=|Editor\n"
                         "Choice #3=ill|\n"
                         "Choice #4=Plain\n"
                         "Choice #6=Never read\n"
                         "Default Choice=Author\\nPlain\n"));
    ASSERT_EQ(list.size(), 2u);
    const CMetaDataDefinition& title = *list[0];
    EXPECT_EQ(title.m_strName, "dc:Title");
    EXPECT_EQ(title.m_strLabel, "dc:Title");
    EXPECT_EQ(title.m_nPromptType, CMetaDataDefinition::promptEdit);
    EXPECT_EQ(title.m_nMaxLength, 200);
    EXPECT_EQ(title.m_strNotes, "The title");

    const CMetaDataDefinition& creator = *list[1];
    EXPECT_EQ(creator.m_strLabel, "Author");
    EXPECT_EQ(creator.m_nPromptType, CMetaDataDefinition::promptListCreator);
    EXPECT_EQ(creator.m_nMaxLength, 0x7FFFFFFF);
    EXPECT_TRUE(creator.m_bSort);
    EXPECT_TRUE(creator.m_bCustomize);
    EXPECT_FALSE(creator.m_bSaveCustom);
    EXPECT_EQ(creator.m_strCustomText, "[new]");
    EXPECT_EQ(creator.m_choices, (std::vector<CString>{"Author", "Editor", "Plain"}));
    EXPECT_EQ(creator.m_valueMap.size(), 1u);
    EXPECT_EQ(creator.GetStoredValue("Author"), "aut");
    EXPECT_EQ(creator.GetStoredValue("Editor"), "Editor");
    EXPECT_EQ(creator.m_strDefaultChoice, "Author\\nPlain");
    EXPECT_TRUE(people.Asked("message").empty());
}

TEST_F(MetaDataDefinitionTest, UnknownPromptTypeIsSkippedWithAWarning)
{
    ASSERT_TRUE(LoadText("[Meta-data Info #1]\nName=dc:Subject\nPrompt Type=edit\n"
                         "[Meta-data Info #2]\nName=dc:Title\nPrompt Type=Edit-Multiline\n"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->m_strName, "dc:Title");
    auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Warning - Invalid prompt type \"edit\" specified for meta-data item \"dc:Subject\" - skipping.");
}

TEST_F(MetaDataDefinitionTest, MissingOrEmptyFilesFail)
{
    bool hidden = false;
    std::string missing = folder / "none.dat";
    EXPECT_FALSE(leaf::LoadMetaDataDefinitions(CString(missing), list, [&] { hidden = true; }));
    EXPECT_TRUE(hidden);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text, "Unable to find the meta-data file - \"" + missing + "\".");

    EXPECT_FALSE(LoadText("[Meta-data Info #1]\nLabel=No name\nPrompt Type=Edit\n"
                          "[Meta-data Info #2]\nName=dc:Title\nPrompt Type=Edit\n"));
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(people.Asked("message").size(), 2u);
    EXPECT_NE(people.Asked("message")[1].text.find("Unable to load meta-data items"), std::string::npos);
}

TEST_F(MetaDataDefinitionTest, CustomValuesAreSavedInTheProfileOnlyWhenAsked)
{
    const std::string file = "[Meta-data Info #1]\nName=dc:Subject\nPrompt Type=List\nCustomize=1\nSave Custom=1\n"
                             "Choice #1=Fiction\n"
                             "[Meta-data Info #2]\nName=dc:Type\nPrompt Type=List\nCustomize=1\n";
    ASSERT_TRUE(LoadText(file));
    leaf::SaveCustomValue(list[0].get(), "Poetry");
    leaf::SaveCustomValue(list[0].get(), "Drama");
    leaf::SaveCustomValue(list[1].get(), "Memo");
    leaf::SaveCustomValue(nullptr, "Nothing");
    leaf::SaveCustomValue(list[0].get(), "");
    leaf::SaveCustomValue(list[1].get(), "");
    EXPECT_EQ(list[0]->m_choices, (std::vector<CString>{"Fiction", "Poetry", "Drama"}));
    EXPECT_EQ(list[1]->m_addedValues, std::vector<CString>{"Memo"});
    EXPECT_EQ(app.GetProfileString("Custom List Values", "dc:Subject"), "Poetry\nDrama");
    EXPECT_EQ(app.GetProfileString("Custom List Values", "dc:Type"), "");

    // The next start reads them back after the file's own choices.
    ASSERT_TRUE(LoadText(file));
    EXPECT_EQ(list[0]->m_choices, (std::vector<CString>{"Fiction", "Poetry", "Drama"}));
    EXPECT_TRUE(list[1]->m_choices.empty());
}

TEST(GuideTypeDefinitionTest, ResourceRowsParse)
{
    std::vector<std::unique_ptr<CGuideTypeDefinition>> types;
    ASSERT_TRUE(leaf::LoadGuideTypes(types));
    ASSERT_EQ(types.size(), 8u);
    const CGuideTypeDefinition& library = *types[0];
    EXPECT_EQ(library.m_strType, "other.ms-thumbimage-standard");
    EXPECT_EQ(library.m_strTitle, "Library image");
    EXPECT_EQ(library.m_nKind, CGuideTypeDefinition::kindImage);
    EXPECT_TRUE(library.m_bHasDefault);
    EXPECT_EQ(library.m_nWidth, 99);
    EXPECT_EQ(library.m_nHeight, 132);
    EXPECT_EQ(library.m_nBitmap, 2101u);
    EXPECT_EQ(library.GetDisplayDescription().Find('\n'), library.m_strDescription.Find("\\n"));

    const CGuideTypeDefinition& firstPage = *types[5];
    EXPECT_EQ(firstPage.m_strType, "other.ms-firstpage");
    EXPECT_EQ(firstPage.m_nKind, CGuideTypeDefinition::kindLink);
    EXPECT_FALSE(firstPage.m_bHasDefault);
    EXPECT_EQ(firstPage.m_strFilter, "<dynamic>");
    EXPECT_EQ(firstPage.m_nWidth, 0);
    EXPECT_EQ(firstPage.m_nBitmap, 2100u);
    EXPECT_TRUE(types[7]->m_bHasDefault);

    EXPECT_EQ(CGuideTypeDefinition::Parse("a\nb\nc"), nullptr);
    auto partial = CGuideTypeDefinition::Parse("  type \n title\n3\n desc \n1\n\n20x");
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(partial->m_strType, "type");
    EXPECT_EQ(partial->m_strDescription, "desc");
    EXPECT_EQ(partial->m_nWidth, 20);
    EXPECT_EQ(partial->m_nHeight, 0);
}

TEST(ApplicationListsTest, LookupsWithoutTheProgramsApplicationObject)
{
    leaf::ApplicationLists& lists = leaf::GetApplicationLists();
    auto definition = std::make_unique<CMetaDataDefinition>();
    definition->m_strName = "dc:Title";
    lists.m_metaDataDefinitions.push_back(std::move(definition));
    leaf::LoadGuideTypes(lists.m_guideTypes);
    EXPECT_NE(lists.FindMetaDataDefinition("dc:Title"), nullptr);
    EXPECT_EQ(lists.FindMetaDataDefinition("DC:TITLE"), nullptr);
    ASSERT_NE(lists.FindGuideType("COPYRIGHT-PAGE"), nullptr);
    EXPECT_EQ(lists.FindGuideType("toc"), nullptr);
    lists.m_metaDataDefinitions.clear();
    lists.m_guideTypes.clear();
}

}  // namespace

namespace {

TEST(PrivateProfileTest, ReadsTheWayThePlatformsProfileFunctionsDo)
{
    leaf::PrivateProfile file;
    file.Parse("; comment\r\n"
               "orphan=ignored\r\n"
               "[ Meta-data Info #1 ]\r\n"
               "  NAME  =  dc:Title  \r\n"
               "Label=\"  Quoted  \"\r\n"
               "name=second wins? no\r\n"
               "Max Length=-12abc\r\n"
               "Empty=\r\n"
               "[meta-data info #1]\r\n"
               "Notes=from a repeated section\r\n");
    EXPECT_EQ(file.GetString("meta-data info #1", "Name"), "dc:Title");
    EXPECT_EQ(file.GetString("Meta-data Info #1", "Label"), "  Quoted  ");
    EXPECT_EQ(file.GetInt("Meta-data Info #1", "Max Length", 5), -12);
    EXPECT_EQ(file.GetInt("Meta-data Info #1", "Missing", 5), 5);
    EXPECT_EQ(file.GetString("Meta-data Info #1", "Empty", "default"), "");
    EXPECT_EQ(file.GetString("Meta-data Info #1", "Notes", "default"), "default");
    EXPECT_EQ(file.GetString("", "orphan", "none"), "none");
}

}  // namespace
