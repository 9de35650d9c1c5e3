#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialog>
#include <string>
#include <vector>

#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinApp.h"
#include "platform/ui/Wnd.h"
#include "studio/project/LinkFileDialog.h"
#include "tests/support/TempFolder.h"

namespace {

// The dialog with Word's bookmarks answered by the test.
class TestLinkDialog : public CLinkFileDialog {
public:
    using CLinkFileDialog::CLinkFileDialog;
    bool wordWorks = true;

protected:
    BOOL ReadBookmarks(const CString&, std::vector<CString>& names) override
    {
        if (!wordWorks) return FALSE;
        names = {"Intro", "Summary"};
        return TRUE;
    }
};

QComboBox* LinkList(QDialog& dialog)
{
    return qobject_cast<QComboBox*>(leaf::ui::FindControl(&dialog, CLinkFileDialog::IDC_LINK_NAME));
}

std::vector<std::string> Entries(QDialog& dialog)
{
    std::vector<std::string> entries;
    QComboBox* list = LinkList(dialog);
    for (int i = 0; list && i < list->count(); ++i) entries.push_back(list->itemText(i).toStdString());
    return entries;
}

void SetFileName(QDialog& dialog, const std::string& path)
{
    CWnd::FromHandle(&dialog)->SetDlgItemText(CLinkFileDialog::IDC_FILE_NAME, path.c_str());
}

void Press(QDialog& dialog, int id)
{
    auto* button = qobject_cast<QAbstractButton*>(leaf::ui::FindControl(&dialog, id));
    ASSERT_NE(button, nullptr);
    button->click();
}

class LinkFileDialogTest : public testing::Test {
protected:
    LinkFileDialogTest()
    {
        html = folder.WriteFile("book/page.htm", "<a name=top></a><h2 id=s1>One</h2><p id=s2>x</p>");
        text = folder.WriteFile("book/notes.txt", "plain");
        doc = folder.WriteFile("book/report.doc", "not really Word");
    }
    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    leaf::ui::ScriptedPeople people;
    leaf::test::TempFolder folder;
    std::string html, text, doc;
};

TEST_F(LinkFileDialogTest, AnchorsOfTheChosenFileAreOffered)
{
    TestLinkDialog dialog("Choose a link", "HTML Files (*.htm)|*.htm||");
    people.AnswerFiles({html});
    std::vector<std::string> seen;
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle().toStdString(), "Choose a link");
        EXPECT_TRUE(Entries(window).empty());
        Press(window, CLinkFileDialog::IDC_BROWSE);
        seen = Entries(window);
        LinkList(window)->setCurrentIndex(2);
        Press(window, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(seen, (std::vector<std::string>{"", "top", "s1", "s2"}));
    EXPECT_EQ(dialog.GetPathName(), CString(html));
    EXPECT_EQ(dialog.GetLinkName(), "s1");
    ASSERT_EQ(people.Asked("files").size(), 1u);
}

TEST_F(LinkFileDialogTest, RememberedLinkNameIsKeptOnlyWhenOffered)
{
    TestLinkDialog dialog(nullptr, "");
    dialog.SetPathName(CString(html));
    dialog.SetLinkName("s2");
    std::string selectedAtStart;
    std::vector<std::string> wordEntries, plainEntries;
    people.AnswerDialog([&](QDialog& window) {
        selectedAtStart = LinkList(window)->currentText().toStdString();
        SetFileName(window, doc);
        wordEntries = Entries(window);
        SetFileName(window, text);
        plainEntries = Entries(window);
        Press(window, IDOK);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(selectedAtStart, "s2");
    EXPECT_EQ(wordEntries, (std::vector<std::string>{"", "Intro", "Summary"}));
    EXPECT_TRUE(plainEntries.empty());
    EXPECT_EQ(dialog.GetPathName(), CString(text));
    EXPECT_EQ(dialog.GetLinkName(), "");
}

TEST_F(LinkFileDialogTest, WordFailureAndMissingFiles)
{
    TestLinkDialog dialog(nullptr, "");
    dialog.wordWorks = false;
    std::vector<std::string> entries;
    bool stayedOpen = false;
    people.AnswerDialog([&](QDialog& window) {
        SetFileName(window, doc);
        entries = Entries(window);
        SetFileName(window, folder / "book/missing.htm");
        Press(window, IDOK);
        stayedOpen = window.isVisible();
        Press(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_NE(people.Asked("message")[0].text.find("missing.htm"), std::string::npos);
}

}  // namespace
