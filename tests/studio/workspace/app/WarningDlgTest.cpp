#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "platform/ui/Resources.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/Wnd.h"
#include "studio/workspace/AppProfile.h"
#include "studio/workspace/WarningDlg.h"

using leaf::ui::FindControl;
using leaf::ui::ScriptedPeople;

namespace {

void Tick(QDialog& dialog) {
    auto* box = qobject_cast<QCheckBox*>(FindControl(&dialog, CWarningDlg::IDC_DONT_SHOW_AGAIN));
    ASSERT_NE(box, nullptr);
    box->setChecked(true);
}

void Press(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

struct WarningCase {
    UINT templateId;
    const char* key;
};

class WarningDlgTemplates : public testing::TestWithParam<WarningCase> {};

// Every warning shows its template with the program's title in the caption, and a
// suppression is stored under its own key only.
TEST_P(WarningDlgTemplates, ShowsThenSuppressesUnderItsOwnKey) {
    const WarningCase& warning = GetParam();
    ScriptedPeople people;
    QString caption;
    people.AnswerDialog([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        Tick(dialog);
        Press(dialog, IDOK);
    });
    CWarningDlg first(warning.templateId, warning.key);
    EXPECT_EQ(first.DoModal(), IDOK);
    // The caption names the program by its title string, with or without an application object.
    EXPECT_EQ(caption.toStdString(), leaf::ui::LoadResString(57344).str());
    EXPECT_FALSE(caption.isEmpty());
    EXPECT_EQ(leaf::GetAppProfileInt(CWarningDlg::kSection, warning.key, 0), 1u);

    // Later requests answer OK without showing anything.
    CWarningDlg second(warning.templateId, warning.key);
    EXPECT_EQ(second.DoModal(), IDOK);
    EXPECT_EQ(people.Asked("dialog").size(), 1u);
    EXPECT_EQ(people.UnansweredCount(), 0);

    for (const char* other : {"TOC Headings", "No Reader", "PPC Find Issue", "Fallbacks"}) {
        if (std::string(other) != warning.key) {
            EXPECT_FALSE(CWarningDlg::IsSuppressed(other)) << other;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllWarnings, WarningDlgTemplates,
                         testing::Values(WarningCase{230, "TOC Headings"}, WarningCase{231, "No Reader"},
                                         WarningCase{232, "PPC Find Issue"}, WarningCase{233, "Fallbacks"}));

TEST(WarningDlg, CancelWithTheBoxTickedLeavesTheWarningActive) {
    ScriptedPeople people;
    people.AnswerDialog([](QDialog& dialog) {
        Tick(dialog);
        Press(dialog, IDCANCEL);
    });
    people.AnswerDialog([](QDialog& dialog) { Press(dialog, IDCANCEL); });
    CWarningDlg dialog(232, "PPC Find Issue");
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(CWarningDlg::IsSuppressed("PPC Find Issue"));
    // So the next request shows the dialog again.
    CWarningDlg again(232, "PPC Find Issue");
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(people.Asked("dialog").size(), 2u);
}

TEST(WarningDlg, OkWithoutTheBoxStoresNothing) {
    ScriptedPeople people;
    people.AnswerDialog([](QDialog& dialog) { Press(dialog, IDOK); });
    CWarningDlg dialog(231, "No Reader");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(CWarningDlg::IsSuppressed("No Reader"));
}

TEST(WarningDlg, HelpAsksForTheTemplatesTopic) {
    ScriptedPeople people;
    people.AnswerDialog([](QDialog& dialog) {
        Press(dialog, 1081);
        Press(dialog, IDCANCEL);
    });
    CWarningDlg dialog(233, "Fallbacks");
    dialog.DoModal();
    auto help = people.Asked("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].context, 233u);
}

TEST(WarningDlg, TheUnusedTourTemplateShowsItsText) {
    ScriptedPeople people;
    QStringList texts;
    people.AnswerDialog([&](QDialog& dialog) {
        for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        Press(dialog, IDOK);
    });
    CWarningDlg dialog(234, "");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(texts.join(" ").contains("Navigation Tour"));
}

}  // namespace
