// The details report: the page written from the build messages, the context lines around
// each message's line, and what happens when files cannot be read or written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "platform/base/File.h"
#include "platform/ui/ScriptedPeople.h"
#include "studio/project/BuildMessage.h"
#include "studio/project/DetailsReport.h"
#include "tests/studio/project/build/BuildTestEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::string bytes;
    leaf::ReadFileBytes(path, bytes);
    return bytes;
}

class DetailsReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        buildtest::TestApp();
        source = folder.WriteFile("work/chapter.htm", "line 1\nline 2 <b>&\nline 3\nline 4\nline 5\nline 6\nline 7\n");
        input.messages = &messages;
        input.eBookPath = "/out/My Book.lit";
        input.projectPath = "/projects/book.lcp";
        input.sourceFolder = "/book";
        reportPath = folder / "~LCDetails.htm";
    }

    void AddMessage(LONG type, LONG code, const char* text, const std::string& file, LONG line) {
        messages.push_back(std::make_unique<CBuildMessage>(type, code, text, file.c_str(), line));
    }

    leaf::test::TempFolder folder;
    leaf::ui::ScriptedPeople people;
    std::vector<std::unique_ptr<CBuildMessage>> messages;
    DetailsReportInput input;
    std::string source;
    std::string reportPath;
};

TEST(EscapeReportHtml, EscapesMarkupAndEndsTheLine) {
    CString out("x");
    EscapeReportHtml(out, "a < b & c > d", FALSE);
    EXPECT_EQ(CString("xa &lt; b &amp; c &gt; d<br />"), out);
    CString highlighted;
    EscapeReportHtml(highlighted, "<p>", TRUE);
    EXPECT_EQ(CString("<span class=\"Highlight\">&lt;p&gt;</span><br />"), highlighted);
}

TEST_F(DetailsReportTest, ContextShowsThreeLinesEachSideWithTheLineHighlighted) {
    CBuildMessage onLine2(0, 1, "x", source.c_str(), 2);
    EXPECT_EQ(CString("line 1<br /><span class=\"Highlight\">line 2 &lt;b&gt;&amp;</span><br />line 3<br />"
                      "line 4<br />line 5<br />"),
              ReadSourceContext(onLine2));

    CBuildMessage onLine6(0, 1, "x", source.c_str(), 6);
    EXPECT_EQ(CString("line 3<br />line 4<br />line 5<br /><span class=\"Highlight\">line 6</span><br />line 7<br />"),
              ReadSourceContext(onLine6));
}

TEST_F(DetailsReportTest, ContextPastTheEndOfTheFileShowsTheLastLinesBeforeIt) {
    CBuildMessage afterEnd(0, 1, "x", source.c_str(), 9);
    EXPECT_EQ(CString("line 6<br />line 7<br />"), ReadSourceContext(afterEnd));
    // The largest line number a compiler can report reads to the end without overflowing.
    CBuildMessage farAway(0, 1, "x", source.c_str(), std::numeric_limits<LONG>::max());
    EXPECT_TRUE(ReadSourceContext(farAway).IsEmpty());
}

TEST_F(DetailsReportTest, ContextOfAFileThatCannotBeOpenedSaysSo) {
    CBuildMessage missing(0, 1, "x", (folder / "gone.htm").c_str(), 3);
    const CString block = ReadSourceContext(missing);
    EXPECT_NE(std::string::npos, block.str().find("Unable to open the intermediate source file"));
    EXPECT_NE(std::string::npos, block.str().find("gone.htm"));
}

TEST_F(DetailsReportTest, WritesEveryMessageAndOpensThePage) {
    AddMessage(0, 2001, "Element <p> & more", source, 2);
    AddMessage(1, 2002, "Picture", folder / "work/pic.gif", 0);
    AddMessage(5, 7, "Plain", "", -1);
    ASSERT_TRUE(WriteDetailsReport(input, reportPath.c_str()));

    const std::string page = ReadAll(reportPath);
    ASSERT_FALSE(page.empty());
    EXPECT_EQ(0u, page.find("<html>\n\n<head>\n<title>Warning/Error Message Details</title>\n"));
    EXPECT_NE(std::string::npos, page.find("<div class=\"SubTitle\"><b>Warning/Error Message Details</b></div>"));
    // The e-book row comes before the project row.
    const size_t eBookRow = page.find("eBook Path: </b></td><td><b>\"/out/My Book.lit\"");
    const size_t projectRow = page.find("Leafcraft Path: </b></td><td><b>\"/projects/book.lcp\"");
    ASSERT_NE(std::string::npos, eBookRow);
    ASSERT_NE(std::string::npos, projectRow);
    EXPECT_LT(eBookRow, projectRow);
    EXPECT_NE(std::string::npos, page.find("Source Folder: </b></td><td><b>\"/book\""));

    EXPECT_NE(std::string::npos, page.find("Error <b>2001</b>:  </td><td>Element &lt;p&gt; &amp; more<br /></td>"));
    EXPECT_NE(std::string::npos, page.find("Warning <b>2002</b>:"));
    EXPECT_NE(std::string::npos, page.find("Message <b>7</b>:"));
    EXPECT_NE(std::string::npos, page.find("<td>chapter.htm</td>"));
    EXPECT_NE(std::string::npos, page.find("<td>2 (approximately)</td>"));
    EXPECT_NE(std::string::npos, page.find("<span class=\"Highlight\">line 2 &lt;b&gt;&amp;</span>"));
    // Only the message with a line gets the line rows.
    EXPECT_EQ(1, [&] {
        int count = 0;
        for (size_t at = page.find("Line number:"); at != std::string::npos; at = page.find("Line number:", at + 1))
            ++count;
        return count;
    }());
    EXPECT_EQ(page.size() - 8, page.rfind("</html>\n"));

    const auto starts = people.Asked("process");
    ASSERT_EQ(1u, starts.size());
    ASSERT_EQ(1u, starts[0].arguments.size());
    EXPECT_EQ(reportPath, starts[0].arguments[0]);
}

TEST_F(DetailsReportTest, ProjectWithoutAFileShowsNotAvailable) {
    input.projectPath.Empty();
    AddMessage(0, 1, "x", source, 0);
    ASSERT_TRUE(WriteDetailsReport(input, reportPath.c_str()));
    EXPECT_NE(std::string::npos, ReadAll(reportPath).find("Leafcraft Path: </b></td><td><b>\"n/a\""));
}

TEST_F(DetailsReportTest, NothingIsWrittenWithoutMessages) {
    EXPECT_FALSE(WriteDetailsReport(input, reportPath.c_str()));
    EXPECT_FALSE(std::filesystem::exists(reportPath));
    EXPECT_TRUE(people.Asked("process").empty());
}

TEST_F(DetailsReportTest, AReportThatCannotBeCreatedIsReported) {
    AddMessage(0, 1, "x", source, 0);
    people.AnswerMessageBox(IDOK);
    const std::string unwritable = folder / "no/such/folder/report.htm";
    EXPECT_FALSE(WriteDetailsReport(input, unwritable.c_str()));
    const auto asked = people.Asked("message");
    ASSERT_EQ(1u, asked.size());
    EXPECT_NE(std::string::npos, asked[0].text.find("Unable to create the temporary details report"));
    EXPECT_TRUE(people.Asked("process").empty());
}

// Presses Cancel of the wait dialog as soon as the event loop runs; tells whether the
// dialog was there.
std::shared_ptr<bool> CancelWaitDialogSoon() {
    auto found = std::make_shared<bool>(false);
    QTimer::singleShot(0, [found] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || window->windowTitle() != "Please wait...")
                continue;
            *found = true;
            for (QPushButton* button : window->findChildren<QPushButton*>())
                if (button->text() == "Cancel")
                    button->click();
        }
    });
    return found;
}

TEST_F(DetailsReportTest, ElevenMessagesShowTheWaitDialogWhoseCancelStopsTheReport) {
    for (int i = 0; i < 11; ++i)
        AddMessage(1, 2000 + i, "m", source, 0);
    auto shown = CancelWaitDialogSoon();
    EXPECT_FALSE(WriteDetailsReport(input, reportPath.c_str()));
    EXPECT_TRUE(*shown);
    EXPECT_TRUE(people.Asked("process").empty());   // a cancelled report is not opened
    EXPECT_EQ(std::string::npos, ReadAll(reportPath).find("</html>"));
}

TEST_F(DetailsReportTest, ASecondReportAskedForWhileOneIsWrittenIsRefused) {
    for (int i = 0; i < 3; ++i)
        AddMessage(1, 2000 + i, "m", source, 0);
    // A second Details click arrives among the events the report lets through.
    auto second = std::make_shared<int>(-1);
    QTimer::singleShot(0, [this, second] { *second = WriteDetailsReport(input, reportPath.c_str()); });
    EXPECT_TRUE(WriteDetailsReport(input, reportPath.c_str()));
    EXPECT_EQ(FALSE, *second);
    EXPECT_EQ(1u, people.Asked("process").size());
    // The report was written once, whole.
    const std::string page = ReadAll(reportPath);
    EXPECT_EQ(0u, page.find("<html>"));
    EXPECT_EQ(page.find("<html>"), page.rfind("<html>"));
    EXPECT_EQ(page.size() - 8, page.rfind("</html>\n"));
    EXPECT_EQ(page.find("<b>2002</b>"), page.rfind("<b>2002</b>"));
    // Once it is done, the next report is written again.
    EXPECT_TRUE(WriteDetailsReport(input, reportPath.c_str()));
}

TEST_F(DetailsReportTest, TenMessagesShowNoWaitDialog) {
    for (int i = 0; i < 10; ++i)
        AddMessage(1, 2000 + i, "m", source, 0);
    auto shown = CancelWaitDialogSoon();
    EXPECT_TRUE(WriteDetailsReport(input, reportPath.c_str()));
    EXPECT_FALSE(*shown);
    EXPECT_EQ(1u, people.Asked("process").size());
}

}  // namespace
