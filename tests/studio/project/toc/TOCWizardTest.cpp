#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "platform/base/File.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCStylePage.h"
#include "studio/project/TOCWizard.h"
#include "studio/project/TOCWizardPages.h"
#include "tests/support/TempFolder.h"

using leaf::ui::ScriptedPeople;

namespace {

std::string ReadAll(const std::string& path) {
    std::string contents;
    leaf::ReadFileBytes(path, contents);
    return contents;
}

void PressDialogButton(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(leaf::ui::FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

// Lets the posted start message (and the run it starts) happen.
void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

class TOCWizardTest : public testing::Test {
protected:
    void SetUp() override {
        app.SetRegistryKey("Tallbrook Systems, Inc.");
        leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".doc").WriteString("Content Type", "application/msword");
        leaf::toc::SetProgramFolder(folder.Path().string().c_str());
        std::filesystem::create_directories(folder.Path() / "TOCStyle");
        for (const char* name : {"classic", "formal"}) {
            std::filesystem::copy_file(std::filesystem::path(leaf::test::BinDir()) / "TOCStyle" / (std::string(name) + ".htt"),
                                       folder.Path() / "TOCStyle" / (std::string(name) + ".htt"));
        }
        CTOCStyle mine;
        mine.Save((folder / "TOCStyle/mine.htt").c_str());
        document.m_strSourceFolder = (folder / "book").c_str();
    }
    void TearDown() override { leaf::toc::SetProgramFolder(""); }

    void AddSource(const std::string& name, const std::string& contents, const char* title) {
        const std::string path = folder.WriteFile("book/" + name, contents);
        document.m_sources.push_back(std::make_unique<CLCSourceFile>(CString(path), CString(title)));
    }
    // The warning that heading extraction changes sources: confirmed.
    void ConfirmHeadingWarning() {
        people.AnswerDialog([](QDialog& dialog) { PressDialogButton(dialog, IDOK); });
    }

    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::test::TempFolder folder;
    ScriptedPeople people;
    CLeafcraftDoc document;
    std::string toc = folder / "book/Contents.htm";
};

}  // namespace

TEST_F(TOCWizardTest, AFullRunWritesTheTableOfContentsAndFinishes) {
    AddSource("ch1.htm", "<h1>Start</h1><h2>Detail</h2>", "Chapter One");
    CTOCWizard wizard(&document, toc.c_str());
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Table of Contents Wizard");
        CTOCSourcePage* path = wizard.GetSourcePage();
        CString shown;
        path->GetDlgItemText(CTOCSourcePage::IDC_PATH, shown);
        EXPECT_EQ(shown, CString(toc));
        EXPECT_FALSE(wizard.PressButton(PSBTN_BACK));
        ASSERT_TRUE(wizard.PressButton(PSBTN_NEXT));

        CTOCImportPage* import = wizard.GetImportPage();
        ASSERT_EQ(wizard.GetActivePage(), import);
        EXPECT_TRUE(import->IsDlgButtonChecked(CTOCImportPage::IDC_TITLES));
        EXPECT_TRUE(import->IsDlgButtonChecked(CTOCImportPage::IDC_HEADINGS));
        EXPECT_FALSE(import->IsDlgButtonChecked(CTOCImportPage::IDC_BOOKMARKS));  // no Word sources
        ConfirmHeadingWarning();
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetLevelPage());
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetStylePage());

        auto* styles = wizard.GetStylePage()->GetDlgItemAs<CComboBox>(CTOCStylePage::IDC_STYLE);
        ASSERT_EQ(styles->GetCount(), 3);
        styles->ChooseEntry(styles->FindStringExact(-1, "formal"));
        EXPECT_FALSE(wizard.GetStylePage()->GetDlgItem(CTOCStylePage::IDC_EDIT)->IsWindowEnabled());
        styles->ChooseEntry(styles->FindStringExact(-1, "mine"));
        EXPECT_TRUE(wizard.GetStylePage()->GetDlgItem(CTOCStylePage::IDC_EDIT)->IsWindowEnabled());
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetProgressPage());
        Settle();
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetFinishPage());
        EXPECT_FALSE(wizard.Button(PSBTN_CANCEL)->isEnabled());
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(wizard.GetTocPath(), CString(toc));
    const std::string text = ReadAll(toc);
    EXPECT_NE(text.find("<a class=\"Level1\" href=\"ch1.htm\">Chapter One</a>"), std::string::npos);
    EXPECT_NE(text.find("<a class=\"Level2\" href=\"ch1.htm#_LCTOC-1\">Start</a>"), std::string::npos);
    EXPECT_NE(text.find("<a class=\"Level3\" href=\"ch1.htm#_LCTOC-2\">Detail</a>"), std::string::npos);
    EXPECT_EQ(people.UnansweredCount(), 0);
    EXPECT_EQ(app.GetProfileString("TOC", "Selected Style", ""), "mine");
    EXPECT_EQ(app.GetProfileInt("TOC", "Import Flags", 0), 3u);
}

TEST_F(TOCWizardTest, WithOnlyWordSourcesHeadingsAreRefusedAndTheLevelsPageSkipped) {
    AddSource("a.doc", "word", "A");
    CTOCWizard wizard(&document, toc.c_str());
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        CTOCImportPage* import = wizard.GetImportPage();
        EXPECT_FALSE(import->IsDlgButtonChecked(CTOCImportPage::IDC_HEADINGS));
        EXPECT_TRUE(import->IsDlgButtonChecked(CTOCImportPage::IDC_BOOKMARKS));
        import->GetDlgItemAs<CButton>(CTOCImportPage::IDC_HEADINGS)->Click();
        EXPECT_FALSE(import->IsDlgButtonChecked(CTOCImportPage::IDC_HEADINGS));
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetBookmarkPage());
        wizard.PressButton(PSBTN_BACK);
        EXPECT_EQ(wizard.GetActivePage(), import);
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(wizard.DoModal(), IDCANCEL);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text,
              "You must specify at least one HTML source file in order to extract headings.");
}

TEST_F(TOCWizardTest, OnlyTitlesGoStraightToTheStylePageAndBack) {
    AddSource("a.htm", "<p>x</p>", "A");
    CTOCWizard wizard(&document, toc.c_str());
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        CTOCImportPage* import = wizard.GetImportPage();
        import->CheckDlgButton(CTOCImportPage::IDC_TITLES, BST_UNCHECKED);
        import->CheckDlgButton(CTOCImportPage::IDC_HEADINGS, BST_UNCHECKED);
        wizard.PressButton(PSBTN_NEXT);   // nothing chosen: 10130
        EXPECT_EQ(wizard.GetActivePage(), import);
        import->CheckDlgButton(CTOCImportPage::IDC_TITLES, BST_CHECKED);
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetStylePage());
        wizard.PressButton(PSBTN_BACK);
        EXPECT_EQ(wizard.GetActivePage(), import);
        wizard.PressButton(PSBTN_CANCEL);
    });
    wizard.DoModal();
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text, "You must select something to use for generating the Table of Contents.");
}

TEST_F(TOCWizardTest, ThePathPageRefusesAMissingOrNonHtmlPath) {
    AddSource("a.htm", "<p>x</p>", "A");
    CTOCWizard wizard(&document, "");
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        wizard.GetSourcePage()->SetDlgItemText(CTOCSourcePage::IDC_PATH, (folder / "book/toc.txt").c_str());
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetSourcePage());
        people.AnswerFiles({folder / "book/chosen.htm"});
        wizard.GetSourcePage()->GetDlgItemAs<CButton>(CTOCSourcePage::IDC_BROWSE)->Click();
        EXPECT_EQ(wizard.GetSourcePage()->GetPath(), CString(folder / "book/chosen.htm"));
        wizard.PressButton(PSBTN_CANCEL);
    });
    wizard.DoModal();
    const auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "You must specify the path to a Table of Contents file to create.");
    EXPECT_EQ(messages[1].text, "The table of contents path must have a \".htm\" or \".html\" extension.");
    const auto browse = people.Asked("files");
    ASSERT_EQ(browse.size(), 1u);
    EXPECT_EQ(browse[0].text, "Browse");
    EXPECT_EQ(browse[0].caption, "HTML Files (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*||");
    EXPECT_EQ(browse[0].flags, 1u);   // a save dialog
}

TEST_F(TOCWizardTest, TheLevelsPageChecksTagsAndTheIdBaseName) {
    AddSource("a.htm", "<h1>x</h1>", "A");
    CTOCWizard wizard(&document, toc.c_str());
    for (int i = 0; i < 4; ++i) people.AnswerMessageBox(IDOK);
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        ConfirmHeadingWarning();
        wizard.PressButton(PSBTN_NEXT);
        CTOCLevelPage* levels = wizard.GetLevelPage();
        ASSERT_EQ(wizard.GetActivePage(), levels);
        CString tag;
        levels->GetDlgItemText(CTOCLevelPage::IDC_TAG, tag);
        EXPECT_EQ(tag, "<h1>");

        levels->SetDlgItemText(CTOCLevelPage::IDC_TAG, "<SPAN>");
        wizard.PressButton(PSBTN_NEXT);                       // 10190
        levels->SetDlgItemText(CTOCLevelPage::IDC_TAG, "p class=x");
        auto* list = levels->GetDlgItemAs<CListBox>(CTOCLevelPage::IDC_LEVEL_LIST);
        list->SetCurSel(2);
        levels->SendMessage(WM_COMMAND, MAKEWPARAM(CTOCLevelPage::IDC_LEVEL_LIST, LBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(list->GetSafeHwnd()));
        EXPECT_EQ(list->GetCurSel(), 0);                     // 925: back on the level being edited
        levels->SetDlgItemText(CTOCLevelPage::IDC_TAG, " <p class=\"Head\"> ");
        list->SetCurSel(2);
        levels->SendMessage(WM_COMMAND, MAKEWPARAM(CTOCLevelPage::IDC_LEVEL_LIST, LBN_SELCHANGE),
                            reinterpret_cast<LPARAM>(list->GetSafeHwnd()));
        levels->GetDlgItemText(CTOCLevelPage::IDC_TAG, tag);
        EXPECT_EQ(tag, "<h3>");
        EXPECT_EQ(levels->GetHeadingTag(1), "<p class=\"Head\">");

        levels->SetDlgItemText(CTOCLevelPage::IDC_ID_BASE, "");
        wizard.PressButton(PSBTN_NEXT);                       // 926
        levels->SetDlgItemText(CTOCLevelPage::IDC_ID_BASE, "Book");
        levels->SetDlgItemText(CTOCLevelPage::IDC_LEVEL, "7");
        wizard.PressButton(PSBTN_NEXT);                       // 10178
        EXPECT_EQ(wizard.GetActivePage(), levels);
        levels->SetDlgItemText(CTOCLevelPage::IDC_LEVEL, "2");
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetStylePage());
        EXPECT_EQ(levels->GetHeadingTags(), (std::vector<CString>{"<p class=\"Head\">", "<h2>"}));
        EXPECT_EQ(levels->GetIdBaseName(), "Book");
        wizard.PressButton(PSBTN_CANCEL);
    });
    wizard.DoModal();
    const auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].text, "The tag \"<SPAN>\" is a non-block level element.  Please enter a block level tag.");
    EXPECT_EQ(messages[1].text,
              "The specified HTML tag is invalid - it must be enclosed in tag brackets \"<...>\".");
    EXPECT_EQ(messages[2].text, "You must specify an ID base name.");
    EXPECT_EQ(messages[3].text,
              "The specified TOC heading extraction level is invalid.  It must be within the valid range 1-6.");
    EXPECT_EQ(app.GetProfileString("TOC", "Heading Level 1", ""), "<p class=\"Head\">");
    EXPECT_EQ(app.GetProfileInt("TOC", "Import Level", 0), 2u);
}

TEST_F(TOCWizardTest, ACancelDuringTheRunReturnsToTheStylePageAndASecondRunWorks) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += "<h1>Heading</h1><p>some words of text in between</p>\n";
    AddSource("a.htm", body, "A");
    CTOCWizard wizard(&document, toc.c_str());
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        ConfirmHeadingWarning();
        wizard.PressButton(PSBTN_NEXT);
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetStylePage());
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetProgressPage());
        // Cancel is pressed while the run reports its progress.
        QTimer::singleShot(0, [&] { wizard.PressButton(PSBTN_CANCEL); });
        Settle();
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetStylePage());
        EXPECT_FALSE(std::filesystem::exists(toc));

        wizard.PressButton(PSBTN_NEXT);
        Settle();
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetFinishPage());
        EXPECT_TRUE(std::filesystem::exists(toc));
        // Back from the finish page lands on the style page, and Next runs again.
        wizard.PressButton(PSBTN_BACK);
        EXPECT_EQ(wizard.GetActivePage(), wizard.GetStylePage());
        EXPECT_TRUE(wizard.Button(PSBTN_CANCEL)->isEnabled());
        wizard.PressButton(PSBTN_NEXT);
        Settle();
        ASSERT_EQ(wizard.GetActivePage(), wizard.GetFinishPage());
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_TRUE(people.Asked("message").empty());
    EXPECT_NE(ReadAll(toc).find("a.htm#_LCTOC-300"), std::string::npos);
}

TEST_F(TOCWizardTest, TheStylePageMakesNewStylesAndPreviewsThemWithSampleEntries) {
    AddSource("a.htm", "<p>x</p>", "A");
    app.WriteProfileString("TOC", "Selected Style", "formal");
    CTOCWizard wizard(&document, toc.c_str());
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        CTOCImportPage* import = wizard.GetImportPage();
        import->CheckDlgButton(CTOCImportPage::IDC_HEADINGS, BST_UNCHECKED);
        wizard.PressButton(PSBTN_NEXT);
        CTOCStylePage* page = wizard.GetStylePage();
        ASSERT_EQ(wizard.GetActivePage(), page);
        auto* styles = page->GetDlgItemAs<CComboBox>(CTOCStylePage::IDC_STYLE);
        CString selected;
        styles->GetLBText(styles->GetCurSel(), selected);
        EXPECT_EQ(selected, "formal");
        const CString preview = page->GetPreviewFile("formal");
        ASSERT_FALSE(preview.IsEmpty());
        const std::string text = ReadAll(preview.str());
        EXPECT_NE(text.find("<div class=\"Level1\">SAMPLE TITLE 1</div>"), std::string::npos);   // formal: level 1 in capitals
        EXPECT_NE(text.find("<div class=\"Level7\">Sample heading 6</div>"), std::string::npos);

        people.AnswerDialog([](QDialog& editor) {
            CWnd::FromHandle(leaf::ui::FindControl(&editor, 2000))->SetWindowText("Bold");
            PressDialogButton(editor, IDOK);
        });
        page->GetDlgItemAs<CButton>(CTOCStylePage::IDC_NEW)->Click();
        styles->GetLBText(styles->GetCurSel(), selected);
        EXPECT_EQ(selected, "Bold");
        EXPECT_TRUE(std::filesystem::exists(folder / "TOCStyle/Bold.htt"));
        EXPECT_FALSE(page->GetPreviewFile("Bold").IsEmpty());
        wizard.PressButton(PSBTN_NEXT);
        // Leaving the page removes every preview it made.
        EXPECT_FALSE(std::filesystem::exists(preview.str()));
        EXPECT_EQ(page->GetStylePath(), CString(folder / "TOCStyle/Bold.htt"));
        Settle();
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(app.GetProfileString("TOC", "Selected Style", ""), "Bold");
}
