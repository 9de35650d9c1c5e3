// Word sources of both forms, the binary ".doc" and the package ".docx", as the program
// meets them with the Word stand-in registered (it registers both extensions with their
// content types): the project takes their Word titles, the contents wizard offers and
// lists their bookmarks, and the link dialog offers their bookmarks as link targets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <sys/stat.h>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ContentType.h"
#include "common/WordAddin.h"
#include "platform/base/File.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/LinkFileDialog.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCWizard.h"
#include "studio/project/TOCWizardPages.h"
#include "tests/outside/word/DocxFixture.h"
#include "tests/outside/word/WordServerTestSupport.h"
#include "tests/support/FifoWatchdog.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class WordSourcesTest : public testing::Test {
protected:
    void SetUp() override {
        ResetWordAddinName();
        ASSERT_EQ(leaf::test::RegisterWordServer("/bin/true"), S_OK);
        ASSERT_FALSE(GetContentType("x.docx").IsEmpty()) << "the stand-in registers \".docx\"";
        app.SetRegistryKey("Tallbrook Systems, Inc.");
    }

    std::string WriteDocument(const std::string& name, const std::string& title,
                              std::vector<leaf::test::DocxParagraph> paragraphs) {
        leaf::test::DocxFixture fixture;
        fixture.title = title;
        fixture.paragraphs = std::move(paragraphs);
        std::string path = folder / ("book/" + name);
        fs::create_directories(fs::path(path).parent_path());
        EXPECT_TRUE(fixture.Write(path));
        return path;
    }

    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::ui::ScriptedPeople people;
    leaf::test::TempFolder folder;
};

TEST_F(WordSourcesTest, BothFormsGiveTheProjectTheirWordTitle) {
    const std::string docx = WriteDocument("Chapter.DOCX", "A Package Title", {{"Body", {}}});
    const std::string doc = WriteDocument("older.doc", "A Binary Title", {{"Body", {}}});
    CLeafcraftDoc project;
    ASSERT_TRUE(project.AddSourceFile(CString(docx), 0));
    ASSERT_TRUE(project.AddSourceFile(CString(doc), 1));
    EXPECT_EQ(project.GetSourceFile(0)->m_strTitle, "A Package Title");
    EXPECT_EQ(project.GetSourceFile(1)->m_strTitle, "A Binary Title");

    // Switched off in the options, the file name stands in for both.
    app.WriteProfileInt("Options", "Extract Word Titles", 0);
    const std::string later = WriteDocument("later.docx", "Not Read", {{"Body", {}}});
    ASSERT_TRUE(project.AddSourceFile(CString(later), 2));
    EXPECT_EQ(project.GetSourceFile(2)->m_strTitle, "later.docx");
}

// A FIFO under a Word document's name is refused before its title is read: the Word
// stand-in would open it, and wait for a writer, to read the title.
TEST_F(WordSourcesTest, AFifoWordSourceIsRefusedBeforeItsTitleIsRead) {
    fs::create_directories(folder.Path() / "book");
    CLeafcraftDoc project;
    for (const char* name : {"pipe.doc", "pipe.docx"}) {
        const std::string fifo = folder / (std::string("book/") + name);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
        leaf::test::FifoWatchdog watchdog(fifo);
        EXPECT_FALSE(project.AddSourceFile(CString(fifo), 0)) << name;
        EXPECT_FALSE(watchdog.Fired()) << name << " was opened";
    }
    EXPECT_EQ(project.GetSourceCount(), 0);
}

// Runs the contents wizard over the project's sources with titles and bookmarks; the
// import page's boxes as shown are returned.
struct WizardRun {
    bool bookmarksOffered = false;
    bool headingsOffered = false;
    int result = 0;
};

WizardRun RunContentsWizard(CLeafcraftDoc& project, const std::string& toc, leaf::ui::ScriptedPeople& people) {
    WizardRun run;
    CTOCWizard wizard(&project, toc.c_str());
    people.AnswerDialog([&](QDialog&) {
        wizard.PressButton(PSBTN_NEXT);
        CTOCImportPage* import = wizard.GetImportPage();
        if (wizard.GetActivePage() != import) return;
        run.bookmarksOffered = import->IsDlgButtonChecked(CTOCImportPage::IDC_BOOKMARKS) == BST_CHECKED;
        run.headingsOffered = import->IsDlgButtonChecked(CTOCImportPage::IDC_HEADINGS) == BST_CHECKED;
        if (!run.bookmarksOffered) {
            wizard.PressButton(PSBTN_CANCEL);
            return;
        }
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.GetActivePage() != wizard.GetBookmarkPage()) {
            wizard.PressButton(PSBTN_CANCEL);
            return;
        }
        wizard.PressButton(PSBTN_NEXT);
        wizard.PressButton(PSBTN_NEXT);  // the style page starts the run
        for (int i = 0; i < 20 && wizard.GetActivePage() != wizard.GetFinishPage(); ++i)
            QCoreApplication::processEvents();
        if (wizard.GetActivePage() == wizard.GetFinishPage())
            wizard.PressButton(PSBTN_FINISH);
        else
            wizard.PressButton(PSBTN_CANCEL);
    });
    run.result = static_cast<int>(wizard.DoModal());
    return run;
}

TEST_F(WordSourcesTest, TheContentsWizardListsTheBookmarksOfADocxSource) {
    leaf::toc::SetProgramFolder(folder.Path().string().c_str());
    fs::create_directories(folder.Path() / "TOCStyle");
    fs::copy_file(fs::path(leaf::test::BinDir()) / "TOCStyle/classic.htt", folder.Path() / "TOCStyle/classic.htt");
    const std::string chapter =
        WriteDocument("chapter.docx", "", {{"Opening", {"Start"}}, {"Middle", {}}, {"Closing", {"Finale"}}});

    CLeafcraftDoc project;
    project.m_strSourceFolder = (folder / "book").c_str();
    project.m_sources.push_back(std::make_unique<CLCSourceFile>(CString(chapter), CString("The Chapter")));
    const std::string toc = folder / "book/Contents.htm";
    const WizardRun run = RunContentsWizard(project, toc, people);
    leaf::toc::SetProgramFolder("");

    EXPECT_TRUE(run.bookmarksOffered) << "a \".docx\" source is a Word source";
    EXPECT_FALSE(run.headingsOffered) << "and no HTML one";
    ASSERT_EQ(run.result, ID_WIZFINISH);
    std::string text;
    ASSERT_TRUE(leaf::ReadFileBytes(toc, text));
    EXPECT_NE(text.find("href=\"chapter.docx\">The Chapter</a>"), std::string::npos) << text;
    const size_t start = text.find("href=\"chapter.docx#Start\">Start</a>");
    const size_t finale = text.find("href=\"chapter.docx#Finale\">Finale</a>");
    EXPECT_NE(start, std::string::npos) << text;
    EXPECT_NE(finale, std::string::npos) << text;
    EXPECT_LT(start, finale) << "bookmarks in document order";
}

TEST_F(WordSourcesTest, TheLinkDialogOffersTheBookmarksOfADocx) {
    const std::string docx = WriteDocument("notes.docx", "", {{"One", {"Alpha"}}, {"Two", {"Beta"}}});
    CLinkFileDialog dialog(nullptr, "");
    std::vector<std::string> entries;
    people.AnswerDialog([&](QDialog& window) {
        CWnd::FromHandle(&window)->SetDlgItemText(CLinkFileDialog::IDC_FILE_NAME, docx.c_str());
        auto* list = qobject_cast<QComboBox*>(leaf::ui::FindControl(&window, CLinkFileDialog::IDC_LINK_NAME));
        for (int i = 0; list && i < list->count(); ++i) entries.push_back(list->itemText(i).toStdString());
        if (list) list->setCurrentIndex(2);
        if (auto* ok = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(&window, IDOK))) ok->click();
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(entries, (std::vector<std::string>{"", "Alpha", "Beta"}));
    EXPECT_EQ(dialog.GetLinkName(), "Beta");
}

}  // namespace
