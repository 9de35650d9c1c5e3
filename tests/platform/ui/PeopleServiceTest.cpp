#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QTimer>

#include "platform/ui/PeopleService.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/WinApp.h"

using namespace leaf::ui;

TEST(PeopleService, MessageBoxesGoThroughTheScriptWithTheApplicationTitle) {
    CWinApp app("Leaf Test");
    ScriptedPeople people;
    people.AnswerMessageBox(IDNO);
    people.AnswerMessageBox(IDYES);
    EXPECT_EQ(AfxMessageBox("Save changes?", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(AfxMessageBox("Really?", MB_YESNO), IDYES);
    ASSERT_EQ(people.Asked("message").size(), 2u);
    EXPECT_EQ(people.Log()[0].text, "Save changes?");
    EXPECT_EQ(people.Log()[0].caption, "Leaf Test");
    EXPECT_EQ(people.Log()[0].flags, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(people.UnansweredCount(), 0);
}

TEST(PeopleService, AnUnansweredQuestionGetsTheCancellingAnswerAndIsCounted) {
    ScriptedPeople people;
    EXPECT_EQ(People().MessageBox(nullptr, "q", "c", MB_YESNO), IDNO);
    EXPECT_EQ(People().MessageBox(nullptr, "q", "c", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(People().MessageBox(nullptr, "q", "c", MB_OK), IDOK);
    EXPECT_TRUE(People().ChooseFiles(nullptr, {}).empty());
    DWORD color = 0x123456;
    EXPECT_FALSE(People().ChooseColor(nullptr, color));
    EXPECT_EQ(color, 0x123456u);
    EXPECT_EQ(people.UnansweredCount(), 5);
}

TEST(PeopleService, CommonDialogsHelpAndProcessesAreAnsweredAndLogged) {
    ScriptedPeople people;
    people.AnswerFiles({"/books/a.htm", "/books/b.htm"});
    people.AnswerFolder("/books");
    people.AnswerColor(true, 0x00FF0000);
    people.AnswerFont(true, {"Serif", 12, true, false});
    people.SetProcessStartResult(false);

    FileDialogRequest request;
    request.title = "Add Source Files";
    request.multiple = true;
    EXPECT_EQ(People().ChooseFiles(nullptr, request), (std::vector<std::string>{"/books/a.htm", "/books/b.htm"}));
    EXPECT_EQ(People().ChooseFolder(nullptr, "Pick", "/"), "/books");
    DWORD color = 0;
    EXPECT_TRUE(People().ChooseColor(nullptr, color));
    EXPECT_EQ(color, 0x00FF0000u);
    FontChoice font;
    EXPECT_TRUE(People().ChooseFont(nullptr, font));
    EXPECT_EQ(font.face, "Serif");
    People().Help("/help/leaf.hlp", HELP_CONTEXT, 232);
    EXPECT_FALSE(People().StartProcess("/usr/bin/reader", {"book one.lit"}));

    auto help = people.Asked("help");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].context, 232u);
    auto process = people.Asked("process");
    ASSERT_EQ(process.size(), 1u);
    EXPECT_EQ(process[0].arguments, std::vector<std::string>{"book one.lit"});
    EXPECT_EQ(people.UnansweredCount(), 0);
    EXPECT_EQ(people.PendingAnswers(), 0u);
}

TEST(PeopleService, TheScriptedServiceIsInstalledOnlyWhileItLives) {
    PeopleService* outer = &People();
    {
        ScriptedPeople people;
        EXPECT_EQ(&People(), &people);
        {
            ScriptedPeople inner;
            EXPECT_EQ(&People(), &inner);
        }
        EXPECT_EQ(&People(), &people);
    }
    EXPECT_EQ(&People(), outer);
}

TEST(WaitCursor, NestsAndRestoresEarly) {
    EXPECT_FALSE(CWaitCursor::IsShowing());
    {
        CWaitCursor outer;
        {
            CWaitCursor inner;
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            inner.Restore();
            EXPECT_TRUE(CWaitCursor::IsShowing());
        }
        EXPECT_TRUE(CWaitCursor::IsShowing());
    }
    EXPECT_FALSE(CWaitCursor::IsShowing());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PeopleService, WithoutAScriptAHeadlessRunNeverWaitsForAPerson) {
    // The Qt service itself: the offscreen display has nobody to answer.
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    EXPECT_EQ(People().MessageBox(nullptr, "Save?", "t", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(People().MessageBox(nullptr, "Sure?", "t", MB_YESNO), IDNO);
    EXPECT_TRUE(People().ChooseFolder(nullptr, "Pick", "/").empty());
    QDialog dialog;
    QTimer::singleShot(0, &dialog, [&dialog] { People().ModalDialogShown(dialog, 0); });
    EXPECT_EQ(dialog.exec(), IDABORT);
}
