#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>

#include "platform/ui/PropertySheet.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WindowPlacement.h"
#include "tests/platform/ui/UiTestEnvironment.h"

using namespace leaf::ui;

namespace {

class CountingPage : public CPropertyPage {
public:
    explicit CountingPage(UINT id, std::vector<std::string>& log) : CPropertyPage(id), m_log(log) {}
    BOOL OnInitDialog() override {
        m_log.push_back("init " + std::to_string(GetTemplateId()));
        return TRUE;
    }
    BOOL OnSetActive() override {
        m_log.push_back("active " + std::to_string(GetTemplateId()));
        if (wizardButtons) GetSheet()->SetWizardButtons(wizardButtons);
        return TRUE;
    }
    BOOL OnKillActive() override {
        m_log.push_back("leave " + std::to_string(GetTemplateId()));
        return allowLeave;
    }
    BOOL OnApply() override {
        m_log.push_back("apply " + std::to_string(GetTemplateId()));
        return CPropertyPage::OnApply();
    }
    LRESULT OnWizardNext() override {
        // The second page skips the third when its box is ticked.
        if (GetTemplateId() == 610 && IsDlgButtonChecked(611)) return -1;
        return 0;
    }
    DWORD wizardButtons = 0;
    BOOL allowLeave = TRUE;

private:
    std::vector<std::string>& m_log;
};

class PropertySheetTest : public testing::Test {
protected:
    void SetUp() override { leaf::test::LoadUiTestResources(); }
    ScriptedPeople people;
    std::vector<std::string> log;
};

}  // namespace

TEST_F(PropertySheetTest, PagesAreMadeWhenFirstShownAndOnlyThoseAreApplied) {
    CountingPage first(600, log), second(610, log), third(620, log);
    CPropertySheet sheet("Options");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.AddPage(&third);
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), "Options");
        EXPECT_FALSE(sheet.Button(PSBTN_APPLYNOW)->isEnabled());
        EXPECT_TRUE(sheet.SetActivePage(1));
        second.CheckDlgButton(611, BST_CHECKED);
        second.SetModified(TRUE);
        EXPECT_TRUE(sheet.Button(PSBTN_APPLYNOW)->isEnabled());
        EXPECT_TRUE(sheet.PressButton(PSBTN_APPLYNOW));
        EXPECT_FALSE(sheet.Button(PSBTN_APPLYNOW)->isEnabled());
        EXPECT_TRUE(window.isVisible());
        qobject_cast<QPushButton*>(FindControl(&window, IDOK))->click();
    });
    EXPECT_EQ(sheet.DoModal(), IDOK);
    EXPECT_EQ(log, (std::vector<std::string>{"init 600", "active 600", "leave 600", "init 610", "active 610",
                                             "leave 610", "apply 600", "apply 610", "leave 610", "apply 600",
                                             "apply 610"}));
    EXPECT_EQ(third.GetWidget(), nullptr);
    EXPECT_EQ(first.GetWidget(), nullptr);   // page windows go with the sheet
}

TEST_F(PropertySheetTest, APageThatRefusesToLeaveKeepsTheSheetOpen) {
    CountingPage first(600, log), second(610, log);
    first.allowLeave = FALSE;
    CPropertySheet sheet("Options");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    people.AnswerDialog([&](QDialog& window) {
        EXPECT_FALSE(sheet.SetActivePage(1));
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        sheet.PressButton(PSBTN_OK);
        EXPECT_TRUE(window.isVisible());
        first.allowLeave = TRUE;
        sheet.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(std::count(log.begin(), log.end(), "apply 600"), 0);
}

TEST_F(PropertySheetTest, WizardMovesWithNextAndBackAndFinishes) {
    CountingPage first(600, log), second(610, log), third(620, log);
    first.wizardButtons = PSWIZB_NEXT;
    second.wizardButtons = PSWIZB_BACK | PSWIZB_NEXT;
    third.wizardButtons = PSWIZB_BACK | PSWIZB_FINISH;
    CPropertySheet wizard("Build eBook");
    wizard.SetWizardMode();
    wizard.AddPage(&first);
    wizard.AddPage(&second);
    wizard.AddPage(&third);
    people.AnswerDialog([&](QDialog&) {
        EXPECT_FALSE(wizard.PressButton(PSBTN_BACK));     // disabled on the first page
        EXPECT_FALSE(wizard.PressButton(PSBTN_FINISH));   // not offered yet
        EXPECT_TRUE(wizard.PressButton(PSBTN_NEXT));
        EXPECT_EQ(wizard.GetActiveIndex(), 1);
        second.CheckDlgButton(611, BST_CHECKED);          // the page refuses to move on
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActiveIndex(), 1);
        second.CheckDlgButton(611, BST_UNCHECKED);
        wizard.PressButton(PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActiveIndex(), 2);
        EXPECT_TRUE(wizard.Button(PSBTN_FINISH)->isVisible());
        EXPECT_FALSE(wizard.Button(PSBTN_NEXT)->isVisible());
        wizard.PressButton(PSBTN_BACK);
        EXPECT_EQ(wizard.GetActiveIndex(), 1);
        EXPECT_FALSE(wizard.Button(PSBTN_FINISH)->isVisible());
        wizard.PressButton(PSBTN_NEXT);
        wizard.PressButton(PSBTN_FINISH);
    });
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(ID_WIZFINISH, 12325);
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST_F(PropertySheetTest, DisabledFinishShowsButCannotBePressed) {
    CountingPage only(600, log);
    only.wizardButtons = PSWIZB_DISABLEDFINISH;
    CPropertySheet wizard("Wizard");
    wizard.SetWizardMode();
    wizard.AddPage(&only);
    people.AnswerDialog([&](QDialog&) {
        EXPECT_TRUE(wizard.Button(PSBTN_FINISH)->isVisible());
        EXPECT_FALSE(wizard.PressButton(PSBTN_FINISH));
        wizard.PressButton(PSBTN_CANCEL);
    });
    EXPECT_EQ(wizard.DoModal(), IDCANCEL);
}

// A wizard opens at the size of its largest page (the second one here, a tall form) and
// keeps that size and its place from page to page, starting inside the screen's work area.
TEST_F(PropertySheetTest, AWizardOpensAtItsLargestPageAndKeepsItsSizeAndPlace) {
    CountingPage first(600, log), large(500, log), last(620, log);
    CPropertySheet wizard("Build eBook");
    wizard.SetWizardMode();
    wizard.AddPage(&first);
    wizard.AddPage(&large);
    wizard.AddPage(&last);
    std::vector<QRect> places;
    QSize largePageNeeds;
    QRect workArea;
    people.AnswerDialog([&](QDialog& window) {
        workArea = window.screen()->availableGeometry();
        places.push_back(window.frameGeometry());
        wizard.PressButton(PSBTN_NEXT);
        largePageNeeds = large.GetWidget()->sizeHint();
        places.push_back(window.frameGeometry());
        wizard.PressButton(PSBTN_NEXT);
        places.push_back(window.frameGeometry());
        wizard.PressButton(PSBTN_CANCEL);
    });
    wizard.DoModal();
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[1], places[0]);
    EXPECT_EQ(places[2], places[0]);
    EXPECT_GE(places[0].width(), largePageNeeds.width());
    EXPECT_GE(places[0].height(), largePageNeeds.height());
    // Taller than the work area here: it starts at the area's top, its title bar in reach.
    EXPECT_TRUE(workArea.contains(places[0].topLeft())) << places[0].x() << "," << places[0].y();
}

TEST_F(PropertySheetTest, AWizardThatGrowsAfterItShowsIsCentredAgain) {
    CountingPage first(600, log), last(610, log);
    CPropertySheet wizard("Build eBook");
    wizard.SetWizardMode();
    wizard.AddPage(&first);
    wizard.AddPage(&last);
    QRect opened, grown, workArea;
    people.AnswerDialog([&](QDialog& window) {
        workArea = window.screen()->availableGeometry();
        wizard.PressButton(PSBTN_NEXT);
        opened = window.frameGeometry();
        // The last step's button gets a text that needs more room than the window has.
        wizard.SetFinishText("Finish and open the e-book in the reading program");
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        grown = window.frameGeometry();
        wizard.PressButton(PSBTN_CANCEL);
    });
    wizard.DoModal();
    ASSERT_GT(grown.width(), opened.width());
    // Without an owner on screen the wizard is centred on the work area, before and after.
    const QRect expected = CentredInside(grown.size(), workArea, workArea);
    EXPECT_LE((grown.topLeft() - expected.topLeft()).manhattanLength(), 4)
        << grown.x() << "," << grown.y() << " " << grown.width() << "x" << grown.height();
}
