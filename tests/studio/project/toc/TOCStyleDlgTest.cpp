#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <filesystem>

#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/SimpleControls.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCStyleDlg.h"
#include "tests/support/TempFolder.h"

using leaf::ui::ScriptedPeople;

namespace {

void Press(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(leaf::ui::FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

// Chooses a level in the list as a person would (the selection notification follows).
void ChooseLevel(CTOCStyleDlg& dialog, int index) {
    auto* list = dialog.GetDlgItemAs<CListBox>(CTOCStyleDlg::IDC_LEVEL);
    list->SetCurSel(index);
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(CTOCStyleDlg::IDC_LEVEL, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list->GetSafeHwnd()));
}

class TOCStyleDlgTest : public testing::Test {
protected:
    void SetUp() override {
        leaf::toc::SetProgramFolder(folder.Path().string().c_str());
        std::filesystem::create_directories(folder.Path() / "TOCStyle");
        CTOCStyle fancy;
        fancy.GetLevel(0).m_size = 20;
        fancy.Save((folder / "TOCStyle/fancy.htt").c_str());
        CTOCStyle mine;
        mine.GetLevel(2).m_fontFamily = "Arial";
        mine.GetLevel(2).m_bold = 1;
        mine.Save((folder / "TOCStyle/mine.htt").c_str());
    }
    void TearDown() override { leaf::toc::SetProgramFolder(""); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& question : people.Asked("message")) texts.push_back(question.text);
        return texts;
    }

    leaf::test::TempFolder folder;
    ScriptedPeople people;
};

}  // namespace

TEST(TOCStyleDlgChoices, ChoiceStringsSplitIntoTextsAndHexValues) {
    const auto choices = CTOCStyleDlg::ParseChoices("Regular | 00000000  |  Italic | 00000001 | | 5 | Bold | 00010000 |");
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0], (std::pair<CString, DWORD>{"Regular", 0}));
    EXPECT_EQ(choices[1], (std::pair<CString, DWORD>{"Italic", 1}));
    EXPECT_EQ(choices[2], (std::pair<CString, DWORD>{"Bold", 0x10000}));
    EXPECT_EQ(CTOCStyleDlg::ParseChoices("Red | 0x000000FF")[0].second, 0xFFu);
}

TEST_F(TOCStyleDlgTest, ANewStyleNeedsAFreeValidNameAndIsSaved) {
    for (int i = 0; i < 4; ++i) people.AnswerMessageBox(IDOK);
    CTOCStyleDlg dialog;
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Table of Contents Style");
        auto* base = dialog.GetDlgItemAs<CComboBox>(CTOCStyleDlg::IDC_BASE);
        EXPECT_EQ(base->GetCount(), 3);   // (none), fancy, mine
        EXPECT_EQ(base->GetCurSel(), 0);
        Press(window, IDOK);                                                  // 921
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_NAME, "a/b");
        Press(window, IDOK);                                                  // 916
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_NAME, "FANCY");
        Press(window, IDOK);                                                  // 920
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_NAME, "none.htt");
        Press(window, IDOK);                                                  // 920
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_NAME, "fan");
        base->ChooseEntry(base->FindStringExact(-1, "mine"));
        ChooseLevel(dialog, 2);
        auto* font = dialog.GetDlgItemAs<CComboBox>(CTOCStyleDlg::IDC_FONT);
        CString shown;
        font->GetLBText(font->GetCurSel(), shown);
        EXPECT_EQ(shown, "Arial");
        auto* colour = dialog.GetDlgItemAs<CComboBox>(CTOCStyleDlg::IDC_COLOR);
        colour->ChooseEntry(colour->FindStringExact(-1, "Red"));
        Press(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"You must supply a style name:", "You must sypply a  valid style name:",
                                                    "This style already exists", "This style already exists"}));
    EXPECT_EQ(dialog.GetStyleName(), "fan");
    CTOCStyle saved;
    ASSERT_TRUE(saved.Load((folder / "TOCStyle/fan.htt").c_str()));
    EXPECT_EQ(saved.GetLevel(2).m_fontFamily, "Arial");
    EXPECT_EQ(saved.GetLevel(2).m_bold, 1);
    EXPECT_EQ(saved.GetLevel(2).m_color, 0xFFu);
}

TEST_F(TOCStyleDlgTest, SpacingIsKeptToMultiplesOfSixAndIndentsWithinFiveInches) {
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    CTOCStyleDlg dialog("mine");
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_FALSE(dialog.GetDlgItem(CTOCStyleDlg::IDC_NAME)->IsWindowVisible());
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_SPACE_BEFORE, "10");
        EXPECT_EQ(dialog.GetStyle().GetLevel(0).m_spaceBefore, 6);
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, "5.5");
        ChooseLevel(dialog, 1);                                               // 918
        EXPECT_EQ(dialog.GetCurrentLevel(), 0);
        Press(window, IDOK);                                                  // 918 again
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, "1.25");
        EXPECT_DOUBLE_EQ(dialog.GetStyle().GetLevel(0).m_leftMargin, 1.2);
        Press(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"The Margin must be between 0\" -  5\" .",
                                                    "The Margin must be between 0\" -  5\" ."}));
    CTOCStyle saved;
    ASSERT_TRUE(saved.Load((folder / "TOCStyle/mine.htt").c_str()));
    EXPECT_EQ(saved.GetLevel(0).m_spaceBefore, 6);
    EXPECT_DOUBLE_EQ(saved.GetLevel(0).m_leftMargin, 1.2);
    EXPECT_EQ(saved.GetLevel(2).m_fontFamily, "Arial");   // the style's own levels were loaded
}

TEST_F(TOCStyleDlgTest, SpinArrowsStepIndentsByTenthsAndSpacingsByPoints) {
    CTOCStyleDlg dialog("mine");
    people.AnswerDialog([&](QDialog& window) {
        dialog.SetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, "1.25");
        dialog.GetDlgItemAs<CSpinButtonCtrl>(CTOCStyleDlg::IDC_LEFT_SPIN)->PressArrow(-1);
        CString text;
        dialog.GetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, text);
        EXPECT_EQ(text, "1.2\"");
        dialog.GetDlgItemAs<CSpinButtonCtrl>(CTOCStyleDlg::IDC_LEFT_SPIN)->PressArrow(1);
        dialog.GetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, text);
        EXPECT_EQ(text, "1.3\"");
        EXPECT_DOUBLE_EQ(dialog.GetStyle().GetLevel(0).m_leftMargin, 1.3);

        dialog.GetDlgItemAs<CSpinButtonCtrl>(CTOCStyleDlg::IDC_AFTER_SPIN)->PressArrow(1);
        dialog.GetDlgItemText(CTOCStyleDlg::IDC_SPACE_AFTER, text);
        EXPECT_EQ(text, "1 pt");
        EXPECT_EQ(dialog.GetStyle().GetLevel(0).m_spaceAfter, 1);
        // Held for over a second, the arrow moves by seven, to the next multiple of seven.
        dialog.GetDlgItemAs<CSpinButtonCtrl>(CTOCStyleDlg::IDC_AFTER_SPIN)->PressArrow(1, 1500);
        dialog.GetDlgItemText(CTOCStyleDlg::IDC_SPACE_AFTER, text);
        EXPECT_EQ(text, "7 pt");
        EXPECT_EQ(dialog.GetStyle().GetLevel(0).m_spaceAfter, 7);
        // The indents have no acceleration.
        dialog.GetDlgItemAs<CSpinButtonCtrl>(CTOCStyleDlg::IDC_LEFT_SPIN)->PressArrow(1, 5000);
        dialog.GetDlgItemText(CTOCStyleDlg::IDC_LEFT_INDENT, text);
        EXPECT_EQ(text, "1.4\"");
        Press(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(TOCStyleDlgTest, SelectingLevelSevenScrollsThePreviewToIt) {
    CTOCStyleDlg dialog;
    people.AnswerDialog([&](QDialog& window) {
        QWidget* preview = dialog.GetPreview().GetWidget();
        ASSERT_NE(preview, nullptr);
        preview->setMinimumSize(100, 60);
        preview->setFixedHeight(60);
        ChooseLevel(dialog, 6);
        EXPECT_EQ(dialog.GetPreview().GetSelectedLevel(), 6);
        EXPECT_GT(dialog.GetPreview().GetScrollPosition(), 0);
        ChooseLevel(dialog, 0);
        EXPECT_EQ(dialog.GetPreview().GetScrollPosition(), 0);
        dialog.GetPreview().ScrollBy(CTOCStylePreviewWnd::kLineScroll);
        EXPECT_EQ(dialog.GetPreview().GetScrollPosition(), CTOCStylePreviewWnd::kLineScroll);
        dialog.GetPreview().ScrollBy(-5000);
        EXPECT_EQ(dialog.GetPreview().GetScrollPosition(), 0);
        Press(window, IDCANCEL);
    });
    dialog.DoModal();
}

TEST_F(TOCStyleDlgTest, ABaseWithABadLevelFallsBackToTheDefaults) {
    folder.WriteFile("TOCStyle/broken.htt", ".Level1 { font-size: 30; }\n.Level9 { font-size: 9; }\n");
    people.AnswerMessageBox(IDOK);
    people.AnswerMessageBox(IDOK);
    CTOCStyleDlg dialog;
    people.AnswerDialog([&](QDialog& window) {
        auto* base = dialog.GetDlgItemAs<CComboBox>(CTOCStyleDlg::IDC_BASE);
        base->ChooseEntry(base->FindStringExact(-1, "broken"));
        EXPECT_EQ(base->GetCurSel(), 0);
        EXPECT_TRUE(dialog.GetStyle() == CTOCStyle());
        Press(window, IDCANCEL);
    });
    dialog.DoModal();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Level value must be between 1 - 6", "Loading of file failed"}));
}
