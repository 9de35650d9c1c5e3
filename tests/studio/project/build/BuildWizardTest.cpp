// The Build eBook wizard driven headless through its buttons, with the real control,
// filters and compiler: a project built into an e-book, the questions about missing
// files, a wrong begin-reading link, cancelling a running build, the default guide files
// and the messages recorded for the pages and the report.
#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>

#include "platform/base/File.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WindowPlacement.h"
#include "sdk/LeafcraftSDK.h"
#include "studio/project/ApplicationLists.h"
#include "studio/project/BuildDonePage.h"
#include "studio/project/BuildErrorPage.h"
#include "studio/project/BuildFontsPage.h"
#include "studio/project/BuildOutputPage.h"
#include "studio/project/BuildProgressPage.h"
#include "studio/project/BuildWizardSheet.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/ReaderFolders.h"
#include "tests/studio/project/build/BuildTestEnvironment.h"
#include "tests/studio/project/build/EBookArchive.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/EpubCheck.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using leaf::ui::CentredInside;
using leaf::ui::ScriptedPeople;

void WriteUserValue(const char* key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKey(HKEY_CURRENT_USER, key, &handle));
    RegSetValueEx(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

class BuildWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        CWinApp& app = buildtest::TestApp();
        app.WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
        ASSERT_TRUE(buildtest::RegisterBuildModules());
        // A reading program with its library, and a documents folder of its own.
        fs::create_directories(folder / "Documents");
        setenv("XDG_DOCUMENTS_DIR", (folder / "Documents").c_str(), 1);
        folder.WriteFile("reader/MSReader.exe", "");
        library = folder / "Documents/My Library";
        fs::create_directories(library);
        WriteUserValue("Software\\Microsoft\\EBook", "InstallDir", folder / "reader");
        WriteUserValue("Software\\Microsoft\\EBook", "ContentDir", library);
        ASSERT_FALSE(GetReaderPath().IsEmpty());
        ASSERT_EQ(CString(library), GetReaderLibraryDir(TRUE));

        leaf::ApplicationLists& lists = leaf::GetApplicationLists();
        leaf::LoadGuideTypes(lists.m_guideTypes);
        lists.m_metaDataDefinitions.clear();
        auto title = std::make_unique<CMetaDataDefinition>();
        title->m_strName = "dc:Title";
        title->m_nPromptType = CMetaDataDefinition::promptEdit;
        lists.m_metaDataDefinitions.push_back(std::move(title));
        auto subject = std::make_unique<CMetaDataDefinition>();
        subject->m_strName = "dc:Subject";
        subject->m_nPromptType = CMetaDataDefinition::promptList;
        subject->m_valueMap["Fiction"] = "FIC000000";
        lists.m_metaDataDefinitions.push_back(std::move(subject));

        chapter = folder.WriteFile("book/chapter.htm",
                                   "<html><head><title>Chapter</title></head><body><h1>One</h1><p>Text.</p></body></html>");
        toc = folder.WriteFile("book/toc.htm",
                               "<html><head><title>Contents</title></head><body><a href=\"chapter.htm\">One</a></body></html>");
        ASSERT_TRUE(document.AddSourceFile(chapter.c_str(), 0));
        document.GetMetaData("dc:Title", TRUE)->m_strValue = "The Book";
        document.GetMetaData("dc:Subject", TRUE)->AddValue("Fiction");
        document.GetMetaData("x-unknown", TRUE)->m_strValue = "never sent";
        document.m_strEBookName = "The Book.lit";
    }

    // Runs the wizard; `script` drives it once it shows (the sheet's window).
    int RunWizard(CBuildWizardSheet& sheet, std::function<void(CBuildWizardSheet&)> script) {
        people.AnswerDialog([&sheet, script](QDialog&) { script(sheet); });
        return sheet.DoModal();
    }

    static bool OnPage(CBuildWizardSheet& sheet, CPropertyPage* page) {
        return buildtest::WaitFor([&] { return sheet.GetActivePage() == page; });
    }

    leaf::test::TempFolder folder;
    ScriptedPeople people;
    CLeafcraftDoc document;
    std::string library;
    std::string chapter;
    std::string toc;
};

TEST_F(BuildWizardTest, BuildsTheProjectIntoAnEBook) {
    document.GetGuideItem("toc", TRUE)->m_strPath = toc.c_str();
    document.GetGuideItem("toc", TRUE)->m_nMode = CLCCoverPage::modeUser;
    CBuildWizardSheet sheet(&document, nullptr);
    bool reachedDone = false;
    const int result = RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.GetOutputPage().SetDlgItemText(1095, "Built");
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        reachedDone = OnPage(wizard, &wizard.GetDonePage());
        if (!reachedDone)
            return;
        wizard.GetDonePage().CheckDlgButton(1083, BST_UNCHECKED);
        wizard.PressButton(PSBTN_FINISH);
    });
    ASSERT_TRUE(reachedDone) << "active page " << sheet.GetActiveIndex();
    EXPECT_EQ(ID_WIZFINISH, result);

    const std::string eBook = library + "/Built.epub";
    EXPECT_EQ(eBook, sheet.GetEBookPath().str());
    EXPECT_TRUE(leaf::test::PassesEpubCheck(eBook));
    const auto entries = buildtest::UnpackEBook(eBook);
    ASSERT_FALSE(entries.empty()) << eBook;
    const std::string package = entries.count("Built.opf") ? entries.at("Built.opf") : std::string();
    ASSERT_FALSE(package.empty());
    EXPECT_NE(std::string::npos, package.find("The Book"));
    // A list value goes out as its stored value; an item without a definition not at all.
    EXPECT_NE(std::string::npos, package.find("FIC000000"));
    EXPECT_EQ(std::string::npos, package.find("never sent"));
    // The table of contents, titled, and the built-in cover pictures.
    EXPECT_NE(std::string::npos, package.find("title=\"Table of Contents\""));
    EXPECT_NE(std::string::npos, package.find("other.ms-coverimage-standard"));
    size_t defaults = 0;
    for (const auto& [name, bytes] : entries)
        if (name.find("~cov") != std::string::npos && name.size() > 4 && name.substr(name.size() - 4) == ".jpg") {
            ++defaults;
            EXPECT_EQ(0, bytes.compare(0, 2, "\xFF\xD8")) << name;
        }
    EXPECT_EQ(5u, defaults);

    // The temporary default files are gone again and the items point nowhere.
    for (const auto& entry : fs::directory_iterator(folder / "book"))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("~cov")) << entry.path();
    EXPECT_TRUE(document.GetGuideItem("other.ms-coverimage-standard", FALSE)->m_strPath.IsEmpty());
    // The choices of the output page are kept.
    EXPECT_EQ(CString("Built.epub"), document.m_strEBookName);
    EXPECT_EQ(CString(library), document.m_strOutputFolder);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(CString(library), buildtest::TestApp().GetProfileString("Settings", "Last Local Folder"));
    EXPECT_EQ(0u, buildtest::TestApp().GetProfileInt("Settings", "Autorun Reader", 1));
    EXPECT_TRUE(people.Asked("process").empty());
}

TEST_F(BuildWizardTest, AFolderFromTheHistoryMovesToItsTopAndBrowseFillsTheFolder) {
    CWinApp& app = buildtest::TestApp();
    std::vector<std::string> folders;
    for (int i = 1; i <= 5; ++i) {
        folders.push_back(folder / ("Documents/shelf" + std::to_string(i)));
        fs::create_directories(folders.back());
        app.WriteProfileString("Settings", ("Folder History " + std::to_string(i)).c_str(), folders.back().c_str());
    }
    // The reading positions of an earlier e-book of that name.
    const std::string positions = folders[2] + "/The Book.ebo";
    folder.WriteFile("Documents/shelf3/The Book.ebo", "old positions");
    const std::string browsed = folder / "Documents/browsed";
    fs::create_directories(browsed);
    people.AnswerFolder(browsed);
    CBuildWizardSheet sheet(&document, nullptr);
    std::vector<std::string> entries;
    CString afterBrowse;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        auto* local = wizard.GetOutputPage().GetDlgItemAs<CComboBox>(12007);
        ASSERT_NE(nullptr, local);
        for (int i = 0; i < local->GetCount(); ++i) {
            CString text;
            local->GetLBText(i, text);
            entries.push_back(text.str());
        }
        wizard.GetOutputPage().OnBrowse();
        afterBrowse = local->GetWindowText();
        local->ChooseEntry(3);   // the third history entry
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        OnPage(wizard, &wizard.GetDonePage());
        wizard.PressButton(PSBTN_FINISH);   // "Open this eBook" stays ticked
    });
    // The library first, then the history, each shown under the documents folder.
    ASSERT_EQ(6u, entries.size());
    EXPECT_EQ("<Documents>/My Library", entries[0]);
    EXPECT_EQ("<Documents>/shelf1", entries[1]);
    EXPECT_EQ(CString(browsed), afterBrowse);
    auto history = [&app](int i) {
        return app.GetProfileString("Settings", ("Folder History " + std::to_string(i)).c_str()).str();
    };
    EXPECT_EQ(folders[2], history(1));
    EXPECT_EQ(folders[0], history(2));
    EXPECT_EQ(folders[1], history(3));
    EXPECT_EQ(folders[3], history(4));
    EXPECT_EQ(folders[4], history(5));
    EXPECT_TRUE(fs::exists(folders[2] + "/The Book.lit"));
    EXPECT_FALSE(fs::exists(positions));
    const auto starts = people.Asked("process");
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(std::vector<std::string>{folders[2] + "/The Book.lit"}, starts[0].arguments);
    EXPECT_EQ(1u, app.GetProfileInt("Settings", "Autorun Reader", 0));
}

TEST_F(BuildWizardTest, TheFontsPageKeepsTheEmbedChoiceInTheProject) {
    ASSERT_TRUE(leaf::test::RegisterModule("FontEmbedder.so"));
    document.SetModifiedFlag(FALSE);
    CBuildWizardSheet sheet(&document, nullptr);
    bool shownUnchecked = false, backToFonts = false;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        ASSERT_TRUE(wizard.HasFontsPage());
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_TRUE(OnPage(wizard, &wizard.GetFontsPage()));
        shownUnchecked = wizard.GetFontsPage().IsDlgButtonChecked(1134) == BST_UNCHECKED;
        wizard.GetFontsPage().CheckDlgButton(1134, BST_CHECKED);
        wizard.PressButton(PSBTN_NEXT);
        ASSERT_TRUE(OnPage(wizard, &wizard.GetDonePage()));
        // Back from the done page leads to the fonts page.
        wizard.SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
        wizard.PressButton(PSBTN_BACK);
        backToFonts = wizard.GetActivePage() == &wizard.GetFontsPage();
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(shownUnchecked);
    EXPECT_TRUE(backToFonts);
    EXPECT_EQ(1, document.m_bEmbedFonts);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(fs::exists(library + "/The Book.lit"));
}

TEST_F(BuildWizardTest, MissingFilesAreAskedAboutAndNoGoesBack) {
    const std::string page = folder.WriteFile(
        "book/pictures.htm", "<html><body><img src=\"gone1.gif\"><img src=\"gone2.gif\"></body></html>");
    ASSERT_TRUE(document.AddSourceFile(page.c_str(), 1));
    people.AnswerMessageBox(IDNO);
    CBuildWizardSheet sheet(&document, nullptr);
    bool back = false;
    const int result = RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        back = buildtest::WaitFor([&] { return !people.Asked("message").empty() && wizard.GetActiveIndex() == 0; });
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(back);
    EXPECT_EQ(IDCANCEL, result);
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_NE(std::string::npos, asked[0].text.find("There are one or more files that can not be found:\n"));
    EXPECT_NE(std::string::npos, asked[0].text.find("gone1.gif\n"));
    EXPECT_NE(std::string::npos, asked[0].text.find("gone2.gif\nDo you wish to continue?"));
    EXPECT_FALSE(fs::exists(library + "/The Book.lit"));
}

TEST_F(BuildWizardTest, FilesOutsideTheSourceFolderAreAskedAboutAndYesBuilds) {
    const std::string page = folder.WriteFile("book/links.htm", "<html><body><a href=\"../notes.htm\">Notes</a></body></html>");
    folder.WriteFile("notes.htm", "<html><body><p>Notes</p></body></html>");
    ASSERT_TRUE(document.AddSourceFile(page.c_str(), 1));
    people.AnswerMessageBox(IDYES);
    CBuildWizardSheet sheet(&document, nullptr);
    bool done = false, stillOpen = false;
    const int result = RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        done = OnPage(wizard, &wizard.GetDonePage());
        wizard.PressButton(PSBTN_CANCEL);   // Cancel is disabled on the done page
        stillOpen = wizard.GetWidget() && wizard.GetWidget()->isVisible() &&
                    wizard.GetActivePage() == &wizard.GetDonePage();
        wizard.GetDonePage().CheckDlgButton(1083, BST_UNCHECKED);
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_TRUE(done);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(ID_WIZFINISH, result);
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(0u, asked[0].text.find("There are one or more files that are not located within the common source folder \"" +
                                     (folder / "book") + "\":\n"));
    EXPECT_NE(std::string::npos, asked[0].text.find("notes.htm\nThese file(s) will be ignored."));
    EXPECT_TRUE(fs::exists(library + "/The Book.lit"));
}

TEST_F(BuildWizardTest, ABeginReadingLinkOutsideTheSourcesStopsTheBuild) {
    CLCCoverPage* firstPage = document.GetGuideItem("other.ms-firstpage", TRUE);
    firstPage->m_nMode = CLCCoverPage::modeUser;
    const std::string elsewhere = folder.WriteFile("book/elsewhere.htm", "<html><body><p>Not a source</p></body></html>");
    firstPage->m_strPath = (elsewhere + "#start").c_str();
    people.AnswerMessageBox(IDOK);
    CBuildWizardSheet sheet(&document, nullptr);
    bool back = false;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        back = buildtest::WaitFor([&] { return !people.Asked("message").empty() && wizard.GetActiveIndex() == 0; });
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(back);
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_NE(std::string::npos, asked[0].text.find("\"begin reading link\" is not found in the source file list"));
    EXPECT_FALSE(fs::exists(library + "/The Book.lit"));
    // Nothing of the default guide files is left behind.
    for (const auto& entry : fs::directory_iterator(folder / "book"))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("~cov")) << entry.path();
}

TEST_F(BuildWizardTest, CancelDuringTheBuildReturnsToThePageBeforeWithoutClosing) {
    CBuildWizardSheet sheet(&document, nullptr);
    bool back = false;
    bool openAfterCancel = false;
    const int result = RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        // Cancel is pressed as the build starts, while the progress page shows.
        QTimer::singleShot(0, [&wizard, &openAfterCancel] {
            wizard.PressButton(PSBTN_CANCEL);
            openAfterCancel = wizard.GetWidget() && wizard.GetWidget()->isVisible();
        });
        wizard.PressButton(PSBTN_NEXT);
        back = buildtest::WaitFor([&] { return wizard.GetActiveIndex() == (wizard.HasFontsPage() ? 1 : 0); });
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(back);
    EXPECT_TRUE(openAfterCancel);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(people.Asked("message").empty());   // no error page, no message
    EXPECT_FALSE(fs::exists(library + "/The Book.lit"));
}

TEST_F(BuildWizardTest, AFailedBuildShowsTheErrorPageWithTheControlsError) {
    // The control's work folder would lie below a file, so the build cannot start.
    folder.WriteFile("blocker", "a file");
    buildtest::TestApp().WriteProfileString("SDK", "TempFolder", (folder / "blocker/work").c_str());
    CBuildWizardSheet sheet(&document, nullptr);
    bool onError = false;
    CString codeText, errorText;
    bool backEnabled = false, nextVisible = true;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        onError = OnPage(wizard, &wizard.GetErrorPage());
        wizard.GetErrorPage().GetDlgItemText(1103, codeText);
        wizard.GetErrorPage().GetDlgItemText(1102, errorText);
        backEnabled = wizard.Button(PSBTN_BACK)->isEnabled();
        nextVisible = wizard.Button(PSBTN_NEXT)->isEnabled();
        // Back leads to the page before the progress page.
        wizard.PressButton(PSBTN_BACK);
        wizard.PressButton(PSBTN_CANCEL);
    });
    ASSERT_TRUE(onError);
    EXPECT_EQ(CString("Error 60:"), codeText);
    EXPECT_EQ(0, errorText.Find("Unable to create the target folder ("));
    EXPECT_TRUE(backEnabled);
    EXPECT_FALSE(nextVisible);
}

TEST_F(BuildWizardTest, RecordsCompilerMessagesButNotTheInformationalOnes) {
    CBuildWizardSheet sheet(&document, nullptr);
    sheet.OnLITGenMessage(1, 4250, "informational", "/w/a.htm", 3);
    sheet.OnLITGenMessage(1, 1106, "informational", "/w/a.htm", 3);
    sheet.OnLITGenMessage(1, 4500, "kept", "/w/a.htm", 3);
    sheet.OnSDKMessage(0, 9, "shown only", "", 0);
    ASSERT_EQ(1u, sheet.GetMessages().size());
    EXPECT_EQ(4500, sheet.GetMessages()[0]->m_nCode);
    EXPECT_EQ(CString("kept"), sheet.GetMessages()[0]->m_strMessage);
}

TEST_F(BuildWizardTest, AMachineWithoutReaderOrFoldersClosesTheWizardAfterTheWarning) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKey(HKEY_CURRENT_USER, "Software\\Microsoft\\EBook", &handle));
    RegDeleteValue(handle, "InstallDir");
    RegDeleteValue(handle, "ContentDir");
    RegCloseKey(handle);
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("HOME", "", 1);
    people.AnswerDialog([](QDialog& warning) { warning.accept(); });
    CBuildWizardSheet sheet(&document, nullptr);
    EXPECT_EQ(IDABORT, sheet.DoModal());
    const auto dialogs = people.Asked("dialog");
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(231u, dialogs[0].flags);
}

TEST_F(BuildWizardTest, MessageListTakesItsColumnsFromTheStringTable) {
    CDialog host(243);
    ASSERT_TRUE(host.Create(243, nullptr));
    auto* list = host.GetDlgItemAs<CListCtrl>(1098);
    ASSERT_NE(nullptr, list);
    CBuildWizardSheet::InitMessageList(*list);
    ASSERT_EQ(4, list->GetColumnCount());
    EXPECT_EQ(CString("Code"), list->GetColumnHeading(0));
    EXPECT_EQ(CString("Filename"), list->GetColumnHeading(1));
    EXPECT_EQ(CString("Line#"), list->GetColumnHeading(2));
    EXPECT_EQ(CString("Details"), list->GetColumnHeading(3));
    EXPECT_EQ(170, list->GetColumnWidth(1));

    CBuildWizardSheet::AddMessageToList(*list, CBuildMessage(1, 2002, "Picture", "/work/pics/a.gif", 0));
    CBuildWizardSheet::AddMessageToList(*list, CBuildMessage(0, 2001, "Open", "", 12));
    EXPECT_EQ(CString("2002"), list->GetItemText(0, 0));
    EXPECT_EQ(CString("a.gif"), list->GetItemText(0, 1));
    EXPECT_EQ(CString("n/a"), list->GetItemText(0, 2));
    EXPECT_EQ(2, list->GetItemImage(0));
    EXPECT_EQ(CString("n/a"), list->GetItemText(1, 1));
    EXPECT_EQ(CString("12"), list->GetItemText(1, 2));
    EXPECT_EQ(1, list->GetItemImage(1));
    host.DestroyWindow();
}

TEST_F(BuildWizardTest, TheOutputPageChecksTheNameAndOffersToCreateAMissingFolder) {
    ASSERT_TRUE(leaf::test::RegisterModule("FontEmbedder.so"));   // the fonts page follows, no build
    const std::string fresh = folder / "Documents/new shelf/inner";
    for (int answer : {IDOK, IDOK, IDOK, IDNO, IDYES})
        people.AnswerMessageBox(answer);
    CBuildWizardSheet sheet(&document, nullptr);
    std::vector<int> pages;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        CBuildOutputPage& output = wizard.GetOutputPage();
        output.SetDlgItemText(1095, "");
        wizard.PressButton(PSBTN_NEXT);
        pages.push_back(wizard.GetActiveIndex());
        output.SetDlgItemText(1095, "a|b");
        wizard.PressButton(PSBTN_NEXT);
        pages.push_back(wizard.GetActiveIndex());
        output.SetDlgItemText(1095, "Notes.htm");
        // A folder that is no full path is refused, not made where the program runs.
        output.GetDlgItemAs<CComboBox>(12007)->SetWindowText("relative shelf");
        wizard.PressButton(PSBTN_NEXT);
        pages.push_back(wizard.GetActiveIndex());
        output.GetDlgItemAs<CComboBox>(12007)->SetWindowText(fresh.c_str());
        wizard.PressButton(PSBTN_NEXT);   // No: the folder is not made
        pages.push_back(wizard.GetActiveIndex());
        const bool madeAfterNo = fs::exists(fresh);
        EXPECT_FALSE(madeAfterNo);
        wizard.PressButton(PSBTN_NEXT);   // Yes
        pages.push_back(wizard.GetActiveIndex());
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 1}), pages);
    EXPECT_FALSE(fs::exists(fs::current_path() / "relative shelf"));
    auto asked = people.Asked("message");
    ASSERT_EQ(5u, asked.size());
    EXPECT_EQ("You must specify an output folder to which to build the eBook.", asked[2].text);
    asked.erase(asked.begin() + 2);
    EXPECT_EQ("You must specify an eBook filename.", asked[0].text);
    const std::string space = "\xC2\xA0";
    EXPECT_EQ("The specified eBook filename contains one or more invalid characters ( " + space + "/" + space + space +
                  ":" + space + space + "*" + space + space + "?" + space + space + "\"" + space + space + "<" +
                  space + space + ">" + space + space + "|" + space + ").",
              asked[1].text);
    const std::string create = "The folder \"" + fresh + "\" does not exist.  Do you want to create it?";
    EXPECT_EQ(create, asked[2].text);
    EXPECT_EQ(create, asked[3].text);
    EXPECT_TRUE(fs::is_directory(fresh));
    // A name that is not an e-book's gets the extension; a new folder heads the history.
    EXPECT_EQ(CString(fresh + "/Notes.htm.epub"), sheet.GetEBookPath());
    EXPECT_EQ(CString("Notes.htm.epub"), document.m_strEBookName);
    EXPECT_EQ(CString(fresh), document.m_strOutputFolder);
    EXPECT_EQ(fresh, buildtest::TestApp().GetProfileString("Settings", "Folder History 1").str());
}

TEST_F(BuildWizardTest, BuildsToADeviceFolderWithoutPuttingItsFixedEntryInTheHistory) {
    const std::string device = folder / "device";
    fs::create_directories(device + "/My Library");
    fs::create_directories(device + "/older");
    WriteUserValue("Software\\Microsoft\\Windows CE Services\\Partners\\P1\\Services\\Synchronization",
                   "Briefcase Path", device);
    CWinApp& app = buildtest::TestApp();
    app.WriteProfileString("Settings", "CE Folder History 1", (device + "/older").c_str());
    CBuildWizardSheet sheet(&document, nullptr);
    std::vector<std::string> entries;
    bool deviceEnabledBefore = true, done = false, noteShown = false;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        CBuildOutputPage& output = wizard.GetOutputPage();
        auto* combo = output.GetDlgItemAs<CComboBox>(12006);
        ASSERT_NE(nullptr, combo);
        for (int i = 0; i < combo->GetCount(); ++i) {
            CString text;
            combo->GetLBText(i, text);
            entries.push_back(text.str());
        }
        deviceEnabledBefore = combo->IsWindowEnabled();
        output.GetDlgItemAs<CButton>(12004)->Click();
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        done = OnPage(wizard, &wizard.GetDonePage());
        if (CWnd* note = wizard.GetDonePage().GetDlgItem(1096))
            noteShown = note->IsWindowVisible();
        wizard.GetDonePage().CheckDlgButton(1083, BST_UNCHECKED);
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ((std::vector<std::string>{"<device>/My Library", "<device>/older"}), entries);
    EXPECT_FALSE(deviceEnabledBefore);   // the local folder was the choice until the radio was clicked
    ASSERT_TRUE(done);
    EXPECT_TRUE(noteShown);
    EXPECT_TRUE(fs::exists(device + "/My Library/The Book.lit"));
    EXPECT_EQ(1u, app.GetProfileInt("Settings", "Build To CE", 0));
    EXPECT_EQ(device + "/My Library", app.GetProfileString("Settings", "Last CE Folder").str());
    EXPECT_EQ(device + "/older", app.GetProfileString("Settings", "CE Folder History 1").str());
    EXPECT_TRUE(app.GetProfileString("Settings", "CE Folder History 2").IsEmpty());
}

TEST_F(BuildWizardTest, ASourceTheControlRefusesStopsTheRunWithItsPathAndCode) {
    const std::string later = folder.WriteFile("book/later.htm", "<html><body><p>Later</p></body></html>");
    ASSERT_TRUE(document.AddSourceFile(later.c_str(), 1));
    fs::remove(later);
    people.AnswerMessageBox(IDOK);
    CBuildWizardSheet sheet(&document, nullptr);
    bool back = false;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        back = buildtest::WaitFor([&] {
            return !people.Asked("message").empty() && wizard.GetActiveIndex() == (wizard.HasFontsPage() ? 1 : 0);
        });
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_TRUE(back);
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ("Unable to add the specified source file \"" + later + "\" to the eBook (error 30).", asked[0].text);
    EXPECT_FALSE(fs::exists(library + "/The Book.lit"));
    for (const auto& entry : fs::directory_iterator(folder / "book"))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("~cov")) << entry.path();
}

TEST_F(BuildWizardTest, WithoutTheControlTheWizardSaysSoAndCloses) {
    // The class is registered, but its module is gone.
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKey(HKEY_CLASSES_ROOT, "CLSID\\{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}\\InprocServer32", &handle));
    const std::string gone = folder / "gone/leafsdk.so";
    RegSetValueEx(handle, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(gone.c_str()), static_cast<DWORD>(gone.size() + 1));
    RegCloseKey(handle);
    people.AnswerMessageBox(IDOK);
    CBuildWizardSheet sheet(&document, nullptr);
    EXPECT_EQ(IDABORT, sheet.DoModal());
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ("Unable to create the Leafcraft SDK control.  Please re-install and try again.", asked[0].text);
}

TEST_F(BuildWizardTest, DefaultGuideFilesGoIntoTheSourceFolderAndNeverToTheRoot) {
    CBuildWizardSheet sheet(&document, nullptr);
    document.UpdateSourceFolder();
    ASSERT_TRUE(sheet.WriteDefaultGuideFiles());
    const std::vector<CString> written = sheet.GetDefaultGuideFiles();
    ASSERT_FALSE(written.empty());
    for (const CString& type : written) {
        const CString path = document.GetGuideItem(type, FALSE)->m_strPath;
        EXPECT_EQ(0, path.Find(CString(folder / "book/~cov").str())) << path.str();
        EXPECT_TRUE(fs::exists(path.str())) << path.str();
    }
    sheet.DeleteDefaultGuideFiles();
    for (const CString& type : written)
        EXPECT_TRUE(document.GetGuideItem(type, FALSE)->m_strPath.IsEmpty());
    for (const auto& entry : fs::directory_iterator(folder / "book"))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("~cov")) << entry.path();

    // Sources with no common folder: nothing is written anywhere.
    document.m_strSourceFolder.Empty();
    ASSERT_TRUE(sheet.WriteDefaultGuideFiles());
    EXPECT_TRUE(sheet.GetDefaultGuideFiles().empty());
    for (const CString& type : written)
        EXPECT_TRUE(document.GetGuideItem(type, FALSE)->m_strPath.IsEmpty());
    for (const auto& entry : fs::directory_iterator("/"))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("~cov")) << entry.path();
}

TEST_F(BuildWizardTest, OpenThisEBookHandsTheEBookToTheRegisteredReadingProgram) {
    // The reading program's stand-in is the registered one.
    const std::string reader = fs::canonical(leaf::test::BinDir() + "/reader/MSReader.exe").string();
    WriteUserValue("Software\\Microsoft\\EBook", "InstallDir", fs::path(reader).parent_path().string());
    ASSERT_EQ(CString(reader), GetReaderPath());
    CBuildWizardSheet sheet(&document, nullptr);
    bool reachedDone = false, offered = false;
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizard.PressButton(PSBTN_NEXT);
        if (wizard.HasFontsPage())
            wizard.PressButton(PSBTN_NEXT);
        reachedDone = OnPage(wizard, &wizard.GetDonePage());
        if (!reachedDone)
            return;
        CBuildDonePage& done = wizard.GetDonePage();
        offered = done.IsDlgButtonChecked(1083) == BST_CHECKED && done.GetDlgItem(1083)->IsWindowEnabled();
        wizard.PressButton(PSBTN_FINISH);
    });
    ASSERT_TRUE(reachedDone) << "active page " << sheet.GetActiveIndex();
    EXPECT_TRUE(offered);
    const std::string eBook = library + "/The Book.lit";
    ASSERT_EQ(eBook, sheet.GetEBookPath().str());
    const auto starts = people.Asked("process");
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(reader, starts[0].text) << "the reading program opens it, not the desktop's opener";
    ASSERT_EQ(std::vector<std::string>{eBook}, starts[0].arguments);

    // Started as asked, the reading program gives the desktop's opener (here one that
    // records what it is given) the ".lit"-named EPUB under an ".epub" name.
    leaf::test::TempFolder tools;
    const std::string log = (tools.Path() / "opened.log").string();
    const std::string opener = tools.WriteFile("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + log + "'\n");
    fs::permissions(opener, fs::perms::owner_all);
    std::vector<std::string> command{"PATH=" + tools.Path().string(), starts[0].text};
    command.insert(command.end(), starts[0].arguments.begin(), starts[0].arguments.end());
    ASSERT_EQ(0, leaf::test::RunChild("/usr/bin/env", command).exitStatus);
    std::string opened;
    ASSERT_TRUE(leaf::ReadFileBytes(log, opened));
    ASSERT_FALSE(opened.empty());
    ASSERT_EQ('\n', opened.back());
    opened.pop_back();
    ASSERT_EQ(std::string::npos, opened.find('\n')) << "one file opened: " << opened;
    EXPECT_EQ("The Book.epub", fs::path(opened).filename().string());
    EXPECT_TRUE(fs::is_symlink(opened));
    EXPECT_EQ(fs::path(eBook), fs::read_symlink(opened));
}

TEST_F(BuildWizardTest, ItsMessageBoxOpensCentredOnTheWizardInsideTheWorkArea) {
    // The program's window hangs past the screen's bottom right corner; the wizard it
    // opens is kept inside the work area, and so is the box the wizard shows, over it.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    main.setGeometry(area.right() - 300, area.bottom() - 200, 900, 700);
    main.show();
    CWnd mainWnd;
    mainWnd.Attach(&main);
    CWinApp& app = buildtest::TestApp();
    app.m_pMainWnd = &mainWnd;

    QRect wizardRect;
    QRect boxRect;
    QString boxText;
    people.AnswerShownMessageBox([&](QDialog& box) {
        boxRect = box.frameGeometry();
        auto* warning = qobject_cast<QMessageBox*>(&box);
        ASSERT_NE(warning, nullptr);
        boxText = warning->text();
        warning->button(QMessageBox::Ok)->click();
    });
    CBuildWizardSheet sheet(&document, nullptr);
    RunWizard(sheet, [&](CBuildWizardSheet& wizard) {
        ASSERT_TRUE(OnPage(wizard, &wizard.GetOutputPage()));
        wizardRect = wizard.GetWidget()->window()->frameGeometry();
        wizard.GetOutputPage().SetDlgItemText(1095, "");   // no e-book name
        wizard.PressButton(PSBTN_NEXT);
        wizard.PressButton(PSBTN_CANCEL);
    });
    app.m_pMainWnd = nullptr;
    mainWnd.Detach();

    EXPECT_EQ(boxText.toStdString(), "You must specify an eBook filename.");
    EXPECT_EQ(people.UnansweredCount(), 0);
    ASSERT_FALSE(boxRect.isEmpty());
    EXPECT_TRUE(area.contains(boxRect)) << boxRect.x() << "," << boxRect.y();
    const QRect expected = CentredInside(boxRect.size(), wizardRect, area);
    EXPECT_LE((boxRect.topLeft() - expected.topLeft()).manhattanLength(), 4)
        << boxRect.x() << "," << boxRect.y() << " over the wizard at " << wizardRect.x() << "," << wizardRect.y();
}

}  // namespace
