#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>

#include "platform/base/File.h"
#include "studio/workspace/AddLocationDlg.h"
#include "studio/workspace/ImportPackageDlg.h"
#include "studio/workspace/LocateSourceDlg.h"
#include "studio/workspace/NewProjectDlg.h"
#include "studio/workspace/SourceFilePropsDlg.h"
#include "studio/workspace/SourceSortDlg.h"
#include "tests/studio/workspace/sources/StudioTestApp.h"

using namespace leaf::test;
using leaf::ui::ScriptedPeople;

namespace {

class SourceDialogsTest : public testing::Test, public StudioWindowTest {
protected:
    int Setting(const char* name, int fallback) { return static_cast<int>(app.GetProfileInt("Settings", name, fallback)); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const ScriptedPeople::Question& question : people.Asked("message")) texts.push_back(question.text);
        return texts;
    }
    TempFolder folder;
};

}  // namespace

TEST_F(SourceDialogsTest, NewProjectRemembersTheChosenOption) {
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Leafcraft");
        EXPECT_TRUE(IsChecked(dialog, 1000));
        CWnd::FromHandle(&dialog)->CheckRadioButton(1000, 1001, 1001);
        PressButton(dialog, IDOK);
    });
    CNewProjectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetChoice(), CNewProjectDlg::kImportPackage);
    EXPECT_EQ(Setting("Last New Option", 0), 1001);

    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_TRUE(IsChecked(dialog, 1001));
        EXPECT_FALSE(IsChecked(dialog, 1000));
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(CNewProjectDlg().DoModal(), IDCANCEL);
    EXPECT_EQ(Setting("Last New Option", 0), 1001);
}

TEST_F(SourceDialogsTest, NewProjectWithAStoredIdThatHasNoButtonChecksNoneAndAnswersZero) {
    app.WriteProfileInt("Settings", "Last New Option", 1002);
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_FALSE(IsChecked(dialog, 1000));
        EXPECT_FALSE(IsChecked(dialog, 1001));
        PressButton(dialog, IDOK);
    });
    CNewProjectDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetChoice(), 0);
}

TEST_F(SourceDialogsTest, HelpButtonAsksForTheTemplatesTopic) {
    people.AnswerDialog([](QDialog& dialog) {
        PressButton(dialog, 1081);
        PressButton(dialog, IDCANCEL);
    });
    CSourceSortDlg().DoModal();
    ASSERT_EQ(people.Asked("help").size(), 1u);
    EXPECT_EQ(people.Asked("help")[0].context, 210u);
}

TEST_F(SourceDialogsTest, ImportPackageChecksThePathAndKeepsTheDialogOpen) {
    std::string package = folder.WriteFile("book.opf", "<package/>");
    std::string missing = folder / "missing.opf";
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerFiles({package});
    people.AnswerDialog([&](QDialog& dialog) {
        PressButton(dialog, IDOK);   // empty
        SetControlText(dialog, 1053, missing);
        PressButton(dialog, IDOK);   // missing
        EXPECT_TRUE(dialog.isVisible());
        PressButton(dialog, 1047);   // browse
        EXPECT_EQ(ControlText(dialog, 1053), package);
        PressButton(dialog, IDOK);
    });
    CImportPackageDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPackagePath().str(), package);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                  "You must specify a path to an Open eBook package file (.opf).",
                                  "The specified Open eBook package file \"" + missing + "\" does not exist."}));
    ASSERT_EQ(people.Asked("files").size(), 1u);
    EXPECT_EQ(people.Asked("files")[0].text, "Browse");
}

TEST_F(SourceDialogsTest, LocateSourceFolderShowsTheMessageAndChecksTheFolder) {
    std::filesystem::create_directories(folder.Path() / "sources");
    std::string sources = folder / "sources";
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(ControlText(dialog, 1079),
                  "Leafcraft is unable to locate the source files referenced by the Leafcraft project "
                  "\"/p/book.lcp\".  The source files were originally located in the folder \"/old\".  Please "
                  "specify the current source folder location below.");
        EXPECT_EQ(ControlText(dialog, 1076), "/old");
        SetControlText(dialog, 1076, "");
        PressButton(dialog, IDOK);
        SetControlText(dialog, 1076, "/old/");
        PressButton(dialog, IDOK);
        SetControlText(dialog, 1076, sources + "//");
        PressButton(dialog, IDOK);
    });
    CLocateSourceDlg dialog("/p/book.lcp", "/old", "/old");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSourceFolder().str(), sources);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"You must specify a source folder.",
                                                         "The specified source folder \"/old\" does not exist."}));
}

TEST_F(SourceDialogsTest, LocateSourceFolderAcceptsTheRootAndAFileIsNoFolder) {
    std::string file = folder.WriteFile("plain.txt", "x");
    people.AnswerMessageBox(IDOK);
    people.AnswerFolder("/");
    people.AnswerDialog([&](QDialog& dialog) {
        SetControlText(dialog, 1076, file);
        PressButton(dialog, IDOK);
        PressButton(dialog, 1047);
        PressButton(dialog, IDOK);
    });
    CLocateSourceDlg dialog("/p/book.lcp", "/old", "/old");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSourceFolder().str(), "/");
    EXPECT_EQ(people.Asked("message").size(), 1u);
}

TEST_F(SourceDialogsTest, LocateSourceFolderTakesTheRootTypedIn) {
    for (const char* typed : {"/", "///"}) {
        people.AnswerDialog([typed](QDialog& dialog) {
            SetControlText(dialog, 1076, typed);
            PressButton(dialog, IDOK);
        });
        CLocateSourceDlg dialog("/p/book.lcp", "/old", "/old");
        EXPECT_EQ(dialog.DoModal(), IDOK) << typed;
        EXPECT_EQ(dialog.GetSourceFolder().str(), "/") << typed;
    }
    EXPECT_TRUE(people.Asked("message").empty());
}

TEST_F(SourceDialogsTest, LocateSourceBrowseTakesOnlyAnExistingFolder) {
    std::string file = folder.WriteFile("plain.txt", "x");
    std::string sources = folder.Path().string();
    people.AnswerFolder(file);
    people.AnswerFolder(sources + "/");
    people.AnswerDialog([&](QDialog& dialog) {
        PressButton(dialog, 1047);   // a file is no answer
        EXPECT_EQ(ControlText(dialog, 1076), "/old");
        PressButton(dialog, 1047);
        EXPECT_EQ(ControlText(dialog, 1076), sources);
        PressButton(dialog, IDCANCEL);
    });
    CLocateSourceDlg dialog("/p/book.lcp", "/old", "/old");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(people.Asked("folder").size(), 2u);
    EXPECT_EQ(people.Asked("folder")[0].text,
              "Select the folder containing the source files for the specified Leafcraft project");
}

TEST_F(SourceDialogsTest, SortDialogReadsAndWritesTheSortValue) {
    struct Case {
        int stored;
        int method;
        int order;
    };
    for (Case c : {Case{0x220, 1076, 1078}, Case{0x102, 1072, 1077}, Case{1, 1071, 1077}, Case{0x7, 1071, 1077}}) {
        app.WriteProfileInt("Settings", "Sort Type", c.stored);
        people.AnswerDialog([&](QDialog& dialog) {
            EXPECT_TRUE(IsChecked(dialog, c.method)) << c.stored;
            EXPECT_TRUE(IsChecked(dialog, c.order)) << c.stored;
            bool smart = c.method == 1071;
            EXPECT_EQ(IsEnabled(dialog, 1077), !smart);
            EXPECT_EQ(IsEnabled(dialog, 1078), !smart);
            EXPECT_EQ(IsEnabled(dialog, 1070), !smart);
            PressButton(dialog, IDCANCEL);
        });
        CSourceSortDlg().DoModal();
    }

    people.AnswerDialog([](QDialog& dialog) {
        PressButton(dialog, 1074);   // by size enables the order
        EXPECT_TRUE(IsEnabled(dialog, 1078));
        PressButton(dialog, 1078);
        PressButton(dialog, IDOK);
    });
    CSourceSortDlg bySize;
    EXPECT_EQ(bySize.DoModal(), IDOK);
    EXPECT_EQ(bySize.GetSortValue(), 0x208);
    EXPECT_EQ(Setting("Sort Type", 0), 0x208);

    people.AnswerDialog([](QDialog& dialog) {
        PressButton(dialog, 1071);   // smart sort: no order
        EXPECT_FALSE(IsEnabled(dialog, 1078));
        PressButton(dialog, IDOK);
    });
    CSourceSortDlg smart;
    EXPECT_EQ(smart.DoModal(), IDOK);
    EXPECT_EQ(smart.GetSortValue(), 1);
    EXPECT_EQ(Setting("Sort Type", 0), 1);
}

TEST_F(SourceDialogsTest, AddLocationReadsTheStoredChoiceAndADoubleClickActsAsOk) {
    for (auto [stored, button] : {std::pair{0, 1082}, std::pair{2, 1084}, std::pair{1, 1083}, std::pair{7, 1083}}) {
        app.WriteProfileInt("Settings", "Add Location", stored);
        people.AnswerDialog([button = button](QDialog& dialog) {
            EXPECT_TRUE(IsChecked(dialog, button));
            PressButton(dialog, IDCANCEL);
        });
        CAddLocationDlg().DoModal();
    }
    people.AnswerDialog([](QDialog& dialog) {
        QWidget* top = leaf::ui::FindControl(&dialog, 1082);
        QTest::mouseClick(top, Qt::LeftButton);
        QTest::mouseDClick(top, Qt::LeftButton);
    });
    CAddLocationDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetLocation(), CAddLocationDlg::kTop);
    EXPECT_EQ(Setting("Add Location", -1), 0);
}

TEST_F(SourceDialogsTest, PropertiesOfOneFileShowSizeNameAndAttributes) {
    std::string path = folder.WriteFile("chapter1.htm", std::string(2048, 'x'));
    ASSERT_TRUE(leaf::SetFileAttributes(path.c_str(), CFile::readOnly));
    people.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "chapter1.htm Properties");
        EXPECT_EQ(ControlText(dialog, 1052), "chapter1.htm");
        EXPECT_EQ(ControlText(dialog, 1065), "chapter1.htm");
        EXPECT_EQ(ControlText(dialog, 1064), "2KB (2,048 bytes)");
        EXPECT_FALSE(ControlText(dialog, 1062).empty());
        EXPECT_TRUE(IsChecked(dialog, 1055));
        EXPECT_FALSE(IsEnabled(dialog, 1053));
        EXPECT_FALSE(IsEnabled(dialog, 1058));
        PressButton(dialog, 1055);   // clear read-only
        EXPECT_TRUE(IsEnabled(dialog, 1053));
        PressButton(dialog, 1053);   // apply
        EXPECT_FALSE(IsEnabled(dialog, 1053));
        PressButton(dialog, IDCANCEL);
    });
    CSourceFilePropsDlg dialog({CString(path)});
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    BYTE attributes = 0xFF;
    ASSERT_TRUE(leaf::GetFileAttributes(path.c_str(), attributes));
    EXPECT_EQ(attributes & CFile::readOnly, 0);
    EXPECT_EQ(people.Asked("message").size(), 0u);
}

TEST_F(SourceDialogsTest, PropertiesOfSeveralFilesShowMixedStatesThatAClickSettles) {
    std::string first = folder.WriteFile("a/one.htm", "12345");
    std::string second = folder.WriteFile("b/two.txt", "678");
    ASSERT_TRUE(leaf::SetFileAttributes(first.c_str(), CFile::readOnly));
    people.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "one.htm, ... Properties");
        EXPECT_EQ(ControlText(dialog, 1069), "2 Files");
        EXPECT_EQ(ControlText(dialog, 1059), "Multiple Types");
        EXPECT_EQ(ControlText(dialog, 1060), "Multiple Locations");
        EXPECT_EQ(leaf::ui::FindControl(&dialog, 1060)->toolTip(), "Multiple Locations");
        EXPECT_EQ(ControlText(dialog, 1064), "1KB (8 bytes)");
        CWnd* window = CWnd::FromHandle(&dialog);
        EXPECT_EQ(window->IsDlgButtonChecked(1055), static_cast<UINT>(BST_INDETERMINATE));
        PressButton(dialog, 1055);   // mixed ends unchecked
        EXPECT_EQ(window->IsDlgButtonChecked(1055), static_cast<UINT>(BST_UNCHECKED));
        PressButton(dialog, 1055);
        EXPECT_EQ(window->IsDlgButtonChecked(1055), static_cast<UINT>(BST_CHECKED));
        PressButton(dialog, 1055);
        EXPECT_EQ(window->IsDlgButtonChecked(1055), static_cast<UINT>(BST_UNCHECKED));
        PressButton(dialog, IDOK);   // OK applies
    });
    CSourceFilePropsDlg dialog({CString(first), CString(second)});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    for (const std::string& path : {first, second}) {
        BYTE attributes = 0xFF;
        ASSERT_TRUE(leaf::GetFileAttributes(path.c_str(), attributes));
        EXPECT_EQ(attributes & CFile::readOnly, 0) << path;
    }
}

TEST_F(SourceDialogsTest, PropertiesOfFilesInOneFolderNameTheFolderAndType) {
    // A type nothing describes is named after its extension.
    std::string first = folder.WriteFile("one.qzq", "x");
    std::string second = folder.WriteFile("two.qzq", "y");
    people.AnswerDialog([&](QDialog& dialog) {
        EXPECT_EQ(ControlText(dialog, 1059), "All of type QZQ File");
        EXPECT_EQ(leaf::ui::FindControl(&dialog, 1060)->toolTip().toStdString(), "All in " + folder.Path().string());
        PressButton(dialog, IDCANCEL);
    });
    CSourceFilePropsDlg({CString(first), CString(second)}).DoModal();
}

TEST_F(SourceDialogsTest, ALongLocationKeepsItsBeginningAndLastFolderAndItsToolTipShowsItWhole) {
    std::string deep = "a-rather-long-folder-name-number-one/a-rather-long-folder-name-number-two/"
                       "a-rather-long-folder-name-number-three/a-rather-long-folder-name-number-four/last";
    std::string path = folder.WriteFile(deep + "/page.htm", "x");
    std::string location = (folder.Path() / deep).string();
    people.AnswerDialog([&](QDialog& dialog) {
        std::string shown = ControlText(dialog, 1060);
        EXPECT_LT(shown.size(), location.size());
        EXPECT_EQ(shown.rfind(location.substr(0, 2), 0), 0u) << shown;
        EXPECT_TRUE(shown.ends_with(".../last")) << shown;
        EXPECT_EQ(leaf::ui::FindControl(&dialog, 1060)->toolTip().toStdString(), location);
        PressButton(dialog, IDCANCEL);
    });
    CSourceFilePropsDlg({CString(path)}).DoModal();
}

TEST_F(SourceDialogsTest, AnAttributeThatCannotBeWrittenIsReportedPerFile) {
    std::string first = folder.WriteFile("one.htm", "x");
    std::string second = folder.WriteFile("two.htm", "y");
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog& dialog) {
        PressButton(dialog, 1057);   // hidden: part of the name here, cannot be set
        PressButton(dialog, IDOK);
    });
    CSourceFilePropsDlg({CString(first), CString(second)}).DoModal();
    std::vector<std::string> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("one.htm"), std::string::npos);
    EXPECT_NE(texts[1].find("two.htm"), std::string::npos);
}

TEST(SourceFilePropsFormat, SizeTextGroupsDigitsAndRoundsKilobytesUp) {
    EXPECT_EQ(CSourceFilePropsDlg::FormatSizeText(0).str(), "0KB (0 bytes)");
    EXPECT_EQ(CSourceFilePropsDlg::FormatSizeText(1025).str(), "2KB (1,025 bytes)");
    EXPECT_EQ(CSourceFilePropsDlg::FormatSizeText(1264196608ULL).str(), "1,234,567KB (1,264,196,608 bytes)");
}
