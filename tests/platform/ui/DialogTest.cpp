#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/SimpleControls.h"
#include "platform/ui/WinApp.h"
#include "tests/platform/ui/UiTestEnvironment.h"
#include "tests/support/TempFolder.h"

using namespace leaf::ui;

namespace {

// The suppressible warning: suppressed ones end before they show; OK with the box ticked
// remembers the choice; Cancel never does.
class WarningDialog : public CDialog {
public:
    WarningDialog() : CDialog(232) {}
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (AfxGetApp()->GetProfileInt("Suppressable Warnings", "PPC Find Issue", 0)) EndDialog(IDOK);
        return TRUE;
    }
    void OnOK() override {
        if (IsDlgButtonChecked(1060)) AfxGetApp()->WriteProfileInt("Suppressable Warnings", "PPC Find Issue", 1);
        CDialog::OnOK();
    }
};

// A dialog whose OK is refused while the field is empty.
class RefusingDialog : public CDialog {
public:
    RefusingDialog() : CDialog(500) {}
    int refusals = 0;
    void OnOK() override {
        CString text;
        GetDlgItemText(540, text);
        if (text.IsEmpty()) {
            ++refusals;
            return;
        }
        CDialog::OnOK();
    }
};

void Press(QDialog& dialog, int id) {
    auto* button = qobject_cast<QPushButton*>(FindControl(&dialog, id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

class DialogTest : public testing::Test {
protected:
    void SetUp() override { leaf::test::LoadUiTestResources(); }
    leaf::test::ScopedRegistryRoot registry;
    CWinApp app{"Leafcraft"};
    ScriptedPeople people;
    DialogTest() { app.SetRegistryKey("Tallbrook Systems, Inc."); }
};

}  // namespace

TEST_F(DialogTest, ModalDialogIsAnsweredByScriptAndCaptionGetsTheApplicationName) {
    people.AnswerDialog([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Leafcraft");
        EXPECT_TRUE(dialog.isVisible());
        Press(dialog, IDCANCEL);
    });
    WarningDialog warning;
    EXPECT_EQ(warning.DoModal(), IDCANCEL);
    EXPECT_EQ(people.UnansweredCount(), 0);
    ASSERT_EQ(people.Asked("dialog").size(), 1u);
    EXPECT_EQ(people.Asked("dialog")[0].flags, 232u);
    EXPECT_EQ(warning.GetWidget(), nullptr);   // the window is gone after DoModal
}

TEST_F(DialogTest, CancelWithTheBoxTickedLeavesTheWarningActiveAndOkSuppressesIt) {
    people.AnswerDialog([](QDialog& dialog) {
        CWnd::FromHandle(&dialog)->CheckDlgButton(1060, BST_CHECKED);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(WarningDialog().DoModal(), IDCANCEL);
    EXPECT_EQ(app.GetProfileInt("Suppressable Warnings", "PPC Find Issue", 0), 0u);

    people.AnswerDialog([](QDialog& dialog) {
        QTest::mouseClick(qobject_cast<QWidget*>(FindControl(&dialog, 1060)), Qt::LeftButton);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(WarningDialog().DoModal(), IDOK);
    EXPECT_EQ(app.GetProfileInt("Suppressable Warnings", "PPC Find Issue", 0), 1u);

    // Suppressed: IDOK at once, and nothing is shown (no dialog question is asked).
    size_t asked = people.Asked("dialog").size();
    EXPECT_EQ(WarningDialog().DoModal(), IDOK);
    EXPECT_EQ(people.Asked("dialog").size(), asked);
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST_F(DialogTest, OnOkMayKeepTheDialogOpen) {
    RefusingDialog dialog;
    people.AnswerDialog([&dialog](QDialog& window) {
        Press(window, IDOK);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(dialog.refusals, 1);
        dialog.SetDlgItemText(540, "filled");
        Press(window, IDOK);
        EXPECT_FALSE(window.isVisible());
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(DialogTest, EscapeAndTheCloseBoxCancel) {
    people.AnswerDialog([](QDialog& dialog) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &escape);
    });
    EXPECT_EQ(CDialog(500).DoModal(), IDCANCEL);
    people.AnswerDialog([](QDialog& dialog) { dialog.close(); });
    EXPECT_EQ(CDialog(500).DoModal(), IDCANCEL);
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST_F(DialogTest, EndDialogCodesAndTheHelpButton) {
    CDialog dialog(232);
    people.AnswerDialog([&dialog](QDialog& window) {
        Press(window, 1081);
        EXPECT_TRUE(window.isVisible());
        dialog.EndDialog(4242);
    });
    EXPECT_EQ(dialog.DoModal(), 4242);
    auto help = people.Asked("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].context, 232u);
    EXPECT_EQ(help[0].flags, HELP_CONTEXT);
}

TEST_F(DialogTest, ADialogLeftOpenByItsScriptIsClosedAndReported) {
    people.AnswerDialog([](QDialog&) {});
    EXPECT_EQ(CDialog(500).DoModal(), IDABORT);
    EXPECT_EQ(CDialog(500).DoModal(), IDABORT);   // no script at all
    EXPECT_EQ(people.UnansweredCount(), 2);
}

TEST_F(DialogTest, AMissingTemplateFailsWithoutShowing) {
    EXPECT_EQ(CDialog(31337).DoModal(), -1);
    EXPECT_TRUE(people.Log().empty());
}

TEST_F(DialogTest, ChildDialogsAreModelessInsideTheirParent) {
    QWidget host;
    CWnd parent;
    parent.Attach(&host);
    CDialog page;
    ASSERT_TRUE(page.Create(7000, &parent));
    EXPECT_EQ(page.GetWidget()->parentWidget(), &host);
    EXPECT_FALSE(page.GetWidget()->isWindow());
    EXPECT_NE(page.GetDlgItem(7001), nullptr);
    EXPECT_EQ(parent.GetDlgItem(7001), nullptr);   // a page keeps its ids to itself
    EXPECT_EQ(parent.GetDlgItem(7000), CWnd::FromHandle(page.GetWidget()));
    page.DestroyWindow();
    parent.Detach();
}

TEST_F(DialogTest, ScreenshotOfADialogIsWrittenAsPng) {
    std::string path = leaf::test::UiTestOutputFolder() + "/warning-232.png";
    QFile::remove(QString::fromStdString(path));
    people.AnswerDialog([&path](QDialog& dialog) {
        EXPECT_TRUE(GrabToPng(&dialog, path));
        Press(dialog, IDOK);
    });
    EXPECT_EQ(WarningDialog().DoModal(), IDOK);
    QFileInfo written(QString::fromStdString(path));
    ASSERT_TRUE(written.exists());
    EXPECT_GT(written.size(), 100);
    EXPECT_FALSE(GrabToPng(nullptr, path));
}

// A modal dialog gives the keyboard back when it closes: the window that was active
// before is active again, with the focus on the control that had it, so that its keys
// work at once (a display without a window manager hands nothing back by itself).
TEST_F(DialogTest, ClosingAModalDialogGivesTheFocusBackToTheControlThatHadIt) {
    QWidget owner;
    auto* layout = new QVBoxLayout(&owner);
    auto* first = new QLineEdit(&owner);
    auto* second = new QLineEdit(&owner);
    layout->addWidget(first);
    layout->addWidget(second);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    second->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), second);

    bool dialogHadTheFocus = false;
    people.AnswerDialog([&](QDialog& dialog) {
        dialog.activateWindow();
        dialogHadTheFocus = QTest::qWaitForWindowActive(&dialog);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(WarningDialog().DoModal(), IDOK);
    EXPECT_TRUE(dialogHadTheFocus);
    // The activation reaches the window through the event loop.
    EXPECT_TRUE(QTest::qWaitForWindowActive(&owner));
    EXPECT_EQ(QApplication::activeWindow(), &owner);
    EXPECT_EQ(QApplication::focusWidget(), second);
}
