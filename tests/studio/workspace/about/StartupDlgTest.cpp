// The Quick Start dialog: its list of recent projects, the option it remembers, and the
// "do not show" choice on both ways out.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/RecentFileList.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/Wnd.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/StartupDlg.h"

using leaf::ui::FindControl;
using leaf::ui::ScriptedPeople;

namespace {

template <class T>
T* Control(QDialog& dialog, int id) {
    auto* control = qobject_cast<T*>(FindControl(&dialog, id));
    EXPECT_NE(control, nullptr) << id;
    return control;
}

std::vector<std::string> ListTexts(QDialog& dialog) {
    std::vector<std::string> texts;
    if (auto* list = Control<QListWidget>(dialog, CStartupDlg::IDC_RECENT_LIST))
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(list->item(i)->text().toStdString());
    return texts;
}

int CheckedOption(QDialog& dialog) {
    for (int id : {CStartupDlg::IDC_BLANK_PROJECT, CStartupDlg::IDC_PACKAGE_IMPORT, CStartupDlg::IDC_EXISTING_PROJECT})
        if (Control<QRadioButton>(dialog, id)->isChecked())
            return id;
    return 0;
}

void Press(QDialog& dialog, int id) { Control<QPushButton>(dialog, id)->click(); }

class StartupDlgTest : public testing::Test {
protected:
    StartupDlgTest() : recent(0, "Recent File List", "File%d", 4) {}
    CRecentFileList recent;
    ScriptedPeople people;
};

}  // namespace

TEST_F(StartupDlgTest, WithoutARecentFileListTheDialogEndsAtOnce) {
    CStartupDlg dialog(nullptr);
    EXPECT_EQ(dialog.DoModal(), CStartupDlg::kNoRecentFileList);
    EXPECT_TRUE(people.Asked("dialog").empty());
}

TEST_F(StartupDlgTest, AnEmptyListOffersMoreFilesAndOpeningLeavesTheFileEmpty) {
    std::vector<std::string> texts;
    int selected = -2;
    people.AnswerDialog([&](QDialog& dialog) {
        texts = ListTexts(dialog);
        selected = Control<QListWidget>(dialog, CStartupDlg::IDC_RECENT_LIST)->currentRow();
        EXPECT_EQ(CheckedOption(dialog), CStartupDlg::IDC_BLANK_PROJECT) << "the default option";
        Control<QRadioButton>(dialog, CStartupDlg::IDC_EXISTING_PROJECT)->setChecked(true);
        Press(dialog, IDOK);
    });
    CStartupDlg dialog(&recent);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(texts, std::vector<std::string>{"More Files..."});
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(dialog.GetChosenOption(), CStartupDlg::IDC_EXISTING_PROJECT);
    EXPECT_TRUE(dialog.GetChosenFile().IsEmpty());
    EXPECT_EQ(leaf::GetAppProfileInt("Settings", "Last Startup Option", 0), 1002u);
}

TEST_F(StartupDlgTest, ChoosingARecentProjectChoosesItsOptionAndFile) {
    recent.Add("/books/older.lcp");
    recent.Add("/books/newest.lcp");
    std::vector<std::string> texts;
    people.AnswerDialog([&](QDialog& dialog) {
        texts = ListTexts(dialog);
        EXPECT_EQ(CheckedOption(dialog), CStartupDlg::IDC_BLANK_PROJECT);
        // A person selects the second project: the option follows.
        Control<QListWidget>(dialog, CStartupDlg::IDC_RECENT_LIST)->setCurrentRow(2);
        EXPECT_EQ(CheckedOption(dialog), CStartupDlg::IDC_EXISTING_PROJECT);
        Press(dialog, IDOK);
    });
    CStartupDlg dialog(&recent);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(texts, (std::vector<std::string>{"More Files...", "/books/newest.lcp", "/books/older.lcp"}));
    EXPECT_EQ(dialog.GetChosenOption(), CStartupDlg::IDC_EXISTING_PROJECT);
    EXPECT_EQ(dialog.GetChosenFile().str(), "/books/older.lcp");
}

TEST_F(StartupDlgTest, ADoubleClickActsAsOk) {
    recent.Add("/books/only.lcp");
    people.AnswerDialog([&](QDialog& dialog) {
        auto* list = Control<QListWidget>(dialog, CStartupDlg::IDC_RECENT_LIST);
        list->setCurrentRow(1);
        emit list->itemDoubleClicked(list->item(1));
    });
    CStartupDlg dialog(&recent);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetChosenFile().str(), "/books/only.lcp");
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST_F(StartupDlgTest, TheLastOptionIsOfferedAgain) {
    leaf::WriteAppProfileInt("Settings", "Last Startup Option", CStartupDlg::IDC_PACKAGE_IMPORT);
    int checked = 0;
    QString caption;
    people.AnswerDialog([&](QDialog& dialog) {
        checked = CheckedOption(dialog);
        caption = dialog.windowTitle();
        Press(dialog, IDOK);
    });
    CStartupDlg dialog(&recent);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(checked, CStartupDlg::IDC_PACKAGE_IMPORT);
    EXPECT_EQ(dialog.GetChosenOption(), CStartupDlg::IDC_PACKAGE_IMPORT);
    EXPECT_EQ(caption.toStdString(), "Quick Start - Leafcraft");
}

TEST_F(StartupDlgTest, DoNotShowIsStoredOnCancelAndOnOk) {
    for (int button : {IDCANCEL, IDOK}) {
        leaf::WriteAppProfileInt("Options", "Show Startup Dialog", 1);
        people.AnswerDialog([&](QDialog& dialog) {
            Control<QCheckBox>(dialog, CStartupDlg::IDC_DONT_SHOW)->setChecked(true);
            Press(dialog, button);
        });
        CStartupDlg dialog(&recent);
        EXPECT_EQ(dialog.DoModal(), button);
        EXPECT_EQ(leaf::GetAppProfileInt("Options", "Show Startup Dialog", 1), 0u) << button;
    }
    // Unticked, nothing is stored.
    leaf::WriteAppProfileInt("Options", "Show Startup Dialog", 1);
    people.AnswerDialog([&](QDialog& dialog) { Press(dialog, IDCANCEL); });
    CStartupDlg dialog(&recent);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(leaf::GetAppProfileInt("Options", "Show Startup Dialog", 1), 1u);
}

TEST_F(StartupDlgTest, HelpAsksForTheDialogsTopic) {
    people.AnswerDialog([&](QDialog& dialog) {
        Press(dialog, 1081);
        Press(dialog, IDCANCEL);
    });
    CStartupDlg dialog(&recent);
    dialog.DoModal();
    auto help = people.Asked("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].context % 0x20000, 201u);
}
