#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QWidget>
#include <filesystem>

#include "platform/registry/RegistryKey.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/View.h"
#include "platform/ui/browser/OccManager.h"
#include "platform/ui/browser/WebBrowser.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/DocHostSite.h"
#include "studio/workspace/LeafcraftContentsView.h"
#include "studio/workspace/WebPreview.h"
#include "tests/support/TempFolder.h"

namespace {

// The view with the wizard and the link dialog answered by the test.
class TestContentsView : public CLeafcraftContentsView {
public:
    CString proposed;
    int wizardRuns = 0;
    BOOL wizardFinishes = TRUE;
    CString wizardResult;
    CString chosenFile, chosenAnchor;
    CString offeredFile, offeredAnchor, offeredFolder;
    bool realChooser = false;

protected:
    BOOL RunTocWizard(const CString& proposedPath, CString& tocPath) override {
        ++wizardRuns;
        proposed = proposedPath;
        tocPath = wizardResult;
        return wizardFinishes;
    }
    BOOL ChooseTocTarget(const CString& file, const CString& anchor, const CString& folder, CString& outFile,
                         CString& outAnchor) override {
        if (realChooser) return CLeafcraftContentsView::ChooseTocTarget(file, anchor, folder, outFile, outAnchor);
        offeredFile = file;
        offeredAnchor = anchor;
        offeredFolder = folder;
        outFile = chosenFile;
        outAnchor = chosenAnchor;
        return !chosenFile.IsEmpty();
    }
};

class ContentsViewTest : public testing::Test {
protected:
    void SetUp() override {
        AfxEnableControlContainer(&occManager);
        leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".doc").WriteString("Content Type", "application/msword");
        host.Attach(new QWidget);
        host.GetWidget()->resize(800, 600);
        document.m_strSourceFolder = (folder / "book").c_str();
    }
    void TearDown() override {
        if (view && view->GetWidget()) view->DestroyWindow();
        view.reset();
        AfxEnableControlContainer(nullptr);
    }
    void Open() {
        view = std::make_unique<TestContentsView>();
        CCreateContext context;
        context.m_pCurrentDoc = &document;
        ASSERT_TRUE(view->Create(&host, 59648, &context));
        view->OnInitialUpdate();
    }
    void Type(const std::string& text) { view->SetDlgItemText(CLeafcraftContentsView::IDC_TOC_PATH, text.c_str()); }
    CString Field() {
        CString text;
        view->GetDlgItemText(CLeafcraftContentsView::IDC_TOC_PATH, text);
        return text;
    }
    bool Ticked() { return view->IsDlgButtonChecked(CLeafcraftContentsView::IDC_INCLUDE_TOC) != 0; }
    void ClickBox() { view->GetDlgItemAs<CButton>(CLeafcraftContentsView::IDC_INCLUDE_TOC)->Click(); }
    QWidget* Browser() { return leaf::ui::FindControl(view->GetWidget(), CLeafcraftContentsView::IDC_PREVIEW); }
    CString StoredPath() { return document.GetGuideItem("toc", TRUE)->m_strPath; }

    CDocHostOccManager occManager;
    leaf::test::TempFolder folder;
    leaf::ui::ScriptedPeople people;
    CWnd host;
    CLeafcraftDoc document;
    std::unique_ptr<TestContentsView> view;
};

}  // namespace

TEST_F(ContentsViewTest, TheFieldShowsTheStoredPathAndTypingUpdatesTheProject) {
    const std::string toc = folder.WriteFile("book/toc.htm", "<p>contents</p>");
    document.GetGuideItem("toc", TRUE)->m_strPath = toc.c_str();
    Open();
    EXPECT_EQ(Field(), CString(toc));
    EXPECT_TRUE(Ticked());
    EXPECT_FALSE(document.IsModified());

    Type("");
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(StoredPath(), "");
    EXPECT_TRUE(document.IsModified());
    Type(toc);
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(StoredPath(), CString(toc));
}

TEST_F(ContentsViewTest, UntickingRemembersThePathAndTickingBringsItBack) {
    const std::string toc = folder.WriteFile("book/toc.htm", "<p>contents</p>");
    Open();
    EXPECT_FALSE(Ticked());
    ClickBox();                       // nothing remembered yet: ticked over an empty field
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(Field(), "");
    Type(toc);
    ClickBox();
    EXPECT_FALSE(Ticked());
    EXPECT_EQ(Field(), "");
    EXPECT_EQ(StoredPath(), "");
    ClickBox();
    EXPECT_TRUE(Ticked());
    EXPECT_EQ(Field(), CString(toc));
    EXPECT_EQ(StoredPath(), CString(toc));
}

TEST_F(ContentsViewTest, ThePreviewShowsPagesTextAndPicturesAndStandsInForOthers) {
    Open();
    ASSERT_TRUE(view->IsPreviewAvailable());
    const std::string page = folder.WriteFile("book/toc.htm", "<p>contents <a href=\"other.htm\">x</a></p>");
    Type(page + "#part2");
    EXPECT_EQ(view->GetPreviewAddress(), CString(page + "#part2"));
    EXPECT_NE(leaf::ui::WebBrowserAddedStyle(Browser()).find("body"), std::string::npos);

    const std::string text = folder.WriteFile("book/toc.txt", "plain contents");
    Type(text);
    EXPECT_EQ(view->GetPreviewAddress(), CString(text));

    Type(folder.WriteFile("book/toc.doc", "word"));
    EXPECT_EQ(view->GetPreviewAddress(), CWebPreview::ResourceAddress("nopreview.htm"));
    EXPECT_EQ(leaf::ui::WebBrowserAddedStyle(Browser()), "");

    Type(folder / "book/missing.htm");
    EXPECT_EQ(view->GetPreviewAddress(), CWebPreview::ResourceAddress("blank.htm"));
}

TEST_F(ContentsViewTest, ALinkClickedInThePreviewLeavesItUnchanged) {
    Open();
    const std::string page = folder.WriteFile("book/toc.htm", "<p><a href=\"other.htm\">go</a></p>");
    folder.WriteFile("book/other.htm", "<p>other</p>");
    Type(page);
    const std::string shown = leaf::ui::WebBrowserLocation(Browser());
    auto* browser = dynamic_cast<CWebCtrl*>(CWnd::FromHandlePermanent(Browser()));
    ASSERT_NE(browser, nullptr);
    // A navigation the view did not ask for is cancelled.
    browser->Navigate((folder / "book/other.htm").c_str());
    EXPECT_EQ(leaf::ui::WebBrowserLocation(Browser()), shown);
}

TEST_F(ContentsViewTest, LeavingWithATickedBoxNeedsAnExistingFile) {
    Open();
    ClickBox();
    people.AnswerMessageBox(IDOK);
    EXPECT_FALSE(view->ValidateWorkspace(TRUE));
    Type(folder / "book/missing.htm#top");
    people.AnswerMessageBox(IDOK);
    EXPECT_FALSE(view->ValidateWorkspace(TRUE));
    EXPECT_FALSE(view->ValidateWorkspace(FALSE));   // no message without the report flag
    const auto messages = people.Asked("message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "You must specify the path to a Table of Contents document.");
    EXPECT_EQ(messages[1].text,
              "The specified Table of Contents path \"" + (folder / "book/missing.htm") + "\" does not exist.");

    folder.WriteFile("book/missing.htm", "<p>now here</p>");
    EXPECT_TRUE(view->ValidateWorkspace(TRUE));
    Type("");
    EXPECT_TRUE(view->ValidateWorkspace(TRUE));
}

TEST_F(ContentsViewTest, TheWizardProposesContentsInTheSourceFolderAndFillsTheFieldOnFinish) {
    Open();
    people.AnswerMessageBox(IDOK);
    view->OnTocWizard();
    EXPECT_EQ(view->wizardRuns, 0);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text,
              "You must specify at least one source file before using the Table of Contents Wizard.");

    document.m_sources.push_back(std::make_unique<CLCSourceFile>(CString(folder / "book/a.htm"), CString("A")));
    view->wizardFinishes = FALSE;
    view->wizardResult = (folder / "book/Other.htm").c_str();
    view->OnTocWizard();
    EXPECT_EQ(view->proposed, CString(folder / "book/Contents.htm"));
    EXPECT_EQ(Field(), "");

    view->wizardFinishes = TRUE;
    document.m_strSourceFolder.Empty();
    view->OnTocWizard();
    EXPECT_EQ(view->proposed, CString(folder / "book/Contents.htm"));   // the first source's folder
    EXPECT_EQ(Field(), CString(folder / "book/Other.htm"));
    EXPECT_EQ(StoredPath(), CString(folder / "book/Other.htm"));

    view->OnTocWizard();
    EXPECT_EQ(view->proposed, CString(folder / "book/Other.htm"));     // the field's own text
}

TEST_F(ContentsViewTest, BrowseOffersTheFileAndAnchorAndTakesTheChoice) {
    Open();
    Type("/some/where/toc.htm#start");
    view->chosenFile = (folder / "book/new.htm").c_str();
    view->chosenAnchor = "chapter1";
    view->OnBrowseToc();
    EXPECT_EQ(view->offeredFile, "/some/where/toc.htm");
    EXPECT_EQ(view->offeredAnchor, "start");
    EXPECT_EQ(view->offeredFolder, CString(folder / "book"));
    EXPECT_EQ(Field(), CString(folder / "book/new.htm#chapter1"));
    view->chosenFile.Empty();
    view->OnBrowseToc();
    EXPECT_EQ(Field(), CString(folder / "book/new.htm#chapter1"));
}

TEST_F(ContentsViewTest, BrowseUsesTheLinkDialogStartingInTheSourceFolder) {
    const std::string page = folder.WriteFile("book/toc.htm", "<p>x</p>");
    Open();
    view->realChooser = true;
    people.AnswerDialog([&](QDialog& dialog) {
        CWnd* name = CWnd::FromHandle(leaf::ui::FindControl(&dialog, 1152));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->GetWindowText(), CString(folder / "book/"));
        name->SetWindowText(page.c_str());
        qobject_cast<QPushButton*>(leaf::ui::FindControl(&dialog, IDOK))->click();
    });
    view->OnBrowseToc();
    EXPECT_EQ(Field(), CString(page));
    EXPECT_EQ(StoredPath(), CString(page));
}
