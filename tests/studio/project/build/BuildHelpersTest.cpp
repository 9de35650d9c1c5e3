// The small rules of the build driver and its pages: the file lists of the questions
// about missing and external files, the compiler messages left out, the e-book name
// checks, the folder history, the error texts and the names of temporary guide files.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/ui/ListCtrl.h"
#include "studio/project/BuildErrorPage.h"
#include "studio/project/BuildMessage.h"
#include "studio/project/BuildOutputPage.h"
#include "studio/project/BuildProgressPage.h"
#include "studio/project/BuildWizardSheet.h"
#include "tests/studio/project/build/BuildTestEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

std::vector<CString> Names(int count) {
    std::vector<CString> names;
    for (int i = 1; i <= count; ++i)
        names.emplace_back(std::string("/book/f") + std::to_string(i) + ".htm");
    return names;
}

TEST(BuildFileList, ListsUpToTenNamesAndSummarisesTheRest) {
    EXPECT_EQ(CString("/book/f1.htm"), MakeFileNameList(Names(1)));
    const CString nine = MakeFileNameList(Names(9));
    EXPECT_EQ(8, std::count(nine.str().begin(), nine.str().end(), '\n'));

    // Exactly ten: all ten names.
    const CString ten = MakeFileNameList(Names(10));
    EXPECT_NE(std::string::npos, ten.str().find("/book/f10.htm"));
    EXPECT_EQ(9, std::count(ten.str().begin(), ten.str().end(), '\n'));
    EXPECT_EQ(std::string::npos, ten.str().find("more files"));

    // Eleven: nine names and the summary of the other two.
    const CString eleven = MakeFileNameList(Names(11));
    EXPECT_NE(std::string::npos, eleven.str().find("/book/f9.htm\n(2 more files...)"));
    EXPECT_EQ(std::string::npos, eleven.str().find("/book/f10.htm"));
}

TEST(BuildMessages, LeavesOutTheCompilersInformationalCodes) {
    for (LONG code : {4100L, 4250L, 4499L, 1106L})
        EXPECT_TRUE(IsIgnoredBuildMessage(code)) << code;
    for (LONG code : {4099L, 4500L, 1105L, 1107L, 2001L, 0L})
        EXPECT_FALSE(IsIgnoredBuildMessage(code)) << code;
}

TEST(EBookName, GetsTheExtensionUnlessItHasIt) {
    EXPECT_EQ(CString("book.epub"), WithEBookExtension("book"));
    EXPECT_EQ(CString("BOOK.EPUB"), WithEBookExtension("BOOK.EPUB"));
    EXPECT_EQ(CString("book.htm.epub"), WithEBookExtension("book.htm"));
    EXPECT_EQ(CString("my.book.epub"), WithEBookExtension("my.book.epub"));
    // A name an author gave the older extension keeps it (the file is an EPUB all the same).
    EXPECT_EQ(CString("BOOK.LIT"), WithEBookExtension("BOOK.LIT"));
}

TEST(EBookName, RefusesCharactersAFileNameCannotHold) {
    for (const char* name : {"a\\b.lit", "a/b.lit", "a:b.lit", "a*.lit", "a?.lit", "a\"b.lit", "a<b.lit",
                             "a>b.lit", "a|b.lit"})
        EXPECT_TRUE(HasInvalidFileNameCharacters(name)) << name;
    EXPECT_FALSE(HasInvalidFileNameCharacters("My Book (2nd edition).lit"));
}

TEST(FolderHistory, MovesTheChosenEntryToTheTop) {
    std::vector<CString> history = {"a", "b", "c", "d", "e"};
    PushFolderHistory(history, 3, "c");
    EXPECT_EQ((std::vector<CString>{"c", "a", "b", "d", "e"}), history);

    history = {"a", "b", "c", "d", "e"};
    PushFolderHistory(history, 1, "a");
    EXPECT_EQ((std::vector<CString>{"a", "b", "c", "d", "e"}), history);

    // A new folder pushes the fifth entry out.
    history = {"a", "b", "c", "d", "e"};
    PushFolderHistory(history, 0, "new");
    EXPECT_EQ((std::vector<CString>{"new", "a", "b", "c", "d"}), history);

    history = {"a", "", "", "", ""};
    PushFolderHistory(history, 0, "new");
    EXPECT_EQ((std::vector<CString>{"new", "a", "", "", ""}), history);
}

TEST(BuildErrorText, UsesTheTextOfTheCodeWithItsDetails) {
    EXPECT_EQ(CString("A source file could not be found (/book/a.htm)."), FormatBuildError(30, "/book/a.htm"));
    EXPECT_EQ(CString("User cancelled build."), FormatBuildError(1, ""));
    EXPECT_EQ(CString("An error occurred while converting source files.\n\nbad page"), FormatBuildError(63, "bad page"));
    EXPECT_EQ(CString("Unable to complete operation.  Please reinstall and try again."), FormatBuildError(72, ""));
    // Codes without a text of their own get the general one.
    const CString general = FormatBuildError(99, "");
    EXPECT_FALSE(general.IsEmpty());
    EXPECT_EQ(general, FormatBuildError(14, "x"));
    EXPECT_EQ(general, FormatBuildError(100, "x"));
    EXPECT_EQ(general, FormatBuildError(-3, "x"));
}

TEST(DefaultGuideFile, TakesTheNextFreeName) {
    leaf::test::TempFolder folder;
    const CString first = MakeDefaultGuideFileName(folder.Path().c_str(), 1);
    ASSERT_FALSE(first.IsEmpty());
    EXPECT_EQ(0, first.Find(CString(folder.Path().string() + "/~cov").str()));
    EXPECT_EQ(".jpg", first.Right(4));
    EXPECT_EQ(CString(".htm"), MakeDefaultGuideFileName((folder.Path().string() + "/").c_str(), 3).Right(4));

    // A name that exists already is skipped.
    const CString third = MakeDefaultGuideFileName(folder.Path().c_str(), 1);
    std::ofstream(third.str()) << "taken";
    CString next = MakeDefaultGuideFileName(folder.Path().c_str(), 1);
    EXPECT_NE(third, next);
    EXPECT_EQ(std::string::npos, next.str().find("//"));
}

}  // namespace

namespace {

// The progress page on its own: stage captions, the file text and the cancel request.
TEST(BuildProgressPage, ShowsStagesAndAnswersCancelThroughTheNextProgress) {
    buildtest::TestApp();
    CDialog host(246);
    ASSERT_TRUE(host.Create(246, nullptr));
    CBuildProgressPage page;
    ASSERT_TRUE(page.Create(243, &host));
    CString text;
    page.GetDlgItemText(1050, text);
    EXPECT_EQ(CString("Preparing source files..."), text);

    EXPECT_EQ(1, page.SetProgress(40, 2, "chapter.htm"));
    page.GetDlgItemText(1050, text);
    EXPECT_EQ(CString("Converting source files..."), text);
    page.GetDlgItemText(1051, text);
    EXPECT_EQ(CString("chapter.htm"), text);
    EXPECT_EQ(1, page.SetProgress(10, 4, ""));
    page.GetDlgItemText(1050, text);
    EXPECT_EQ(CString("Analyzing source files for used fonts..."), text);
    EXPECT_EQ(1, page.SetProgress(10, 7, ""));
    page.GetDlgItemText(1050, text);
    EXPECT_EQ(CString(""), text);

    // Cancel keeps the page; the next progress asks the build to stop.
    EXPECT_FALSE(page.OnQueryCancel());
    EXPECT_EQ(0, page.SetProgress(50, 7, ""));

    page.OnKillActive();
    page.GetDlgItemText(1050, text);
    EXPECT_EQ(CString("Preparing source files..."), text);
    page.GetDlgItemText(1051, text);
    EXPECT_TRUE(text.IsEmpty());
    page.DestroyWindow();
    host.DestroyWindow();
}

// While the build runs its messages are listed, but the report waits for the end.
TEST(BuildProgressPage, ListsMessagesWithDetailsShownButNotYetEnabled) {
    buildtest::TestApp();
    CDialog host(246);
    ASSERT_TRUE(host.Create(246, nullptr));
    CBuildProgressPage page;
    ASSERT_TRUE(page.Create(243, &host));
    CWnd* details = page.GetDlgItem(1100);
    ASSERT_NE(details, nullptr);
    EXPECT_FALSE(details->IsWindowVisible());
    page.AddMessage(CBuildMessage(CBuildMessage::kWarning, 2001, "open element", "/work/a.htm", 3));
    page.AddMessage(CBuildMessage(CBuildMessage::kError, 2002, "bad picture", "/work/p.gif", 0));
    EXPECT_EQ(2, page.GetDlgItemAs<CListCtrl>(1098)->GetItemCount());
    EXPECT_FALSE(details->GetWidget()->isHidden());
    EXPECT_FALSE(details->IsWindowEnabled());
    page.DestroyWindow();
    host.DestroyWindow();
}

}  // namespace
