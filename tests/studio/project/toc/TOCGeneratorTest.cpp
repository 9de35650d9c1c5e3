#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/File.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/WinDefs.h"
#include "studio/project/TOCGenerator.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
    return contents;
}

// The entry lines of a generated table of contents (the template here has only the
// placeholder, so every line is an entry).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string Entry(int level, const std::string& text, const std::string& href) {
    return "<div class=\"Level" + std::to_string(level) + "\"><a class=\"Level" + std::to_string(level) + "\" href=\"" +
           href + "\">" + text + "</a></div>";
}

class TOCGeneratorTest : public testing::Test {
protected:
    void SetUp() override {
        // Word documents are known by the registry's content type, as on a machine with Word.
        leaf::RegistryKey::Create(HKEY_CLASSES_ROOT, ".doc").WriteString("Content Type", "application/msword");
        style = folder.WriteFile("style.htt", "%TABLEOFCONTENTS%\n");
        book = (folder.Path() / "Book").string();
    }

    CTOCGenerator::Result Run(const std::vector<CTOCSource>& sources, DWORD flags, int bookmarkLevel = 1,
                              std::vector<CString> tags = {"<h1>", "<h2>"}) {
        CTOCGenerationOptions options;
        options.m_importFlags = flags;
        options.m_headingTags = std::move(tags);
        options.m_bookmarkLevel = bookmarkLevel;
        CTOCGenerator generator(
            [this](int percent, const CString& name) {
                percents.push_back(percent);
                names.push_back(name.str());
                return static_cast<int>(percents.size()) != cancelAt;
            },
            [this](const CString& path, std::vector<CString>& found) {
                bookmarkCalls.push_back(path.str());
                found = {"First", "Second"};
                return TRUE;
            });
        const auto result = generator.Run(sources, book.c_str(), toc.c_str(), style.c_str(), options);
        error = generator.GetErrorText().str();
        return result;
    }

    leaf::test::TempFolder folder;
    leaf::ui::ScriptedPeople people;
    std::string style, book;
    std::string toc = folder / "Contents.htm";
    std::vector<int> percents;
    std::vector<std::string> names;
    std::vector<std::string> bookmarkCalls;
    int cancelAt = -1;  // the report (counted from 1) that the sink refuses
    std::string error;
};

}  // namespace

TEST_F(TOCGeneratorTest, TitlesComeFirstAndHeadingsOneLevelDeeper) {
    const std::string page = folder.WriteFile("Book/ch1/a.htm", "<h1>One</h1><h2>Sub</h2><h1>Two</h1>");
    ASSERT_EQ(Run({{page.c_str(), "Chapter 1"}}, TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS), CTOCGenerator::resultSucceeded);
    EXPECT_EQ(Lines(ReadAll(toc)),
              (std::vector<std::string>{Entry(1, "Chapter 1", "ch1/a.htm"), Entry(2, "One", "ch1/a.htm#_LCTOC-1"),
                                        Entry(3, "Sub", "ch1/a.htm#_LCTOC-2"), Entry(2, "Two", "ch1/a.htm#_LCTOC-3")}));
    EXPECT_EQ(ReadAll(page), "<h1 id=\"_LCTOC-1\">One</h1><h2 id=\"_LCTOC-2\">Sub</h2><h1 id=\"_LCTOC-3\">Two</h1>");
    EXPECT_TRUE(people.Log().empty());
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(names.front(), "ch1/a.htm");
}

TEST_F(TOCGeneratorTest, WithoutTitlesHeadingsAndBookmarksKeepTheirOwnLevels) {
    const std::string page = folder.WriteFile("Book/a.htm", "<h1>One</h1>");
    const std::string doc = folder.WriteFile("Book/b.doc", "word document");
    const std::string text = folder.WriteFile("Book/c.txt", "<h1>not read</h1>");
    ASSERT_EQ(Run({{page.c_str(), "A"}, {doc.c_str(), "B"}, {text.c_str(), "C"}},
                  TOC_IMPORT_HEADINGS | TOC_IMPORT_BOOKMARKS, 3),
              CTOCGenerator::resultSucceeded);
    EXPECT_EQ(Lines(ReadAll(toc)), (std::vector<std::string>{Entry(1, "One", "a.htm#_LCTOC-1"),
                                                             Entry(3, "First", "b.doc#First"),
                                                             Entry(3, "Second", "b.doc#Second")}));
    EXPECT_EQ(bookmarkCalls, std::vector<std::string>{doc});
    EXPECT_EQ(ReadAll(text), "<h1>not read</h1>");
}

TEST_F(TOCGeneratorTest, BookmarksGoOneLevelDeeperBelowTitles) {
    const std::string doc = folder.WriteFile("Book/b.doc", "word document");
    ASSERT_EQ(Run({{doc.c_str(), "B"}}, TOC_IMPORT_TITLES | TOC_IMPORT_BOOKMARKS, 6), CTOCGenerator::resultSucceeded);
    EXPECT_EQ(Lines(ReadAll(toc)), (std::vector<std::string>{Entry(1, "B", "b.doc"), Entry(7, "First", "b.doc#First"),
                                                             Entry(7, "Second", "b.doc#Second")}));
}

TEST_F(TOCGeneratorTest, AStyleThatCannotBeOpenedIsReportedWith10129) {
    style = folder / "missing.htt";
    people.AnswerMessageBox(IDOK);
    EXPECT_EQ(Run({}, TOC_IMPORT_TITLES), CTOCGenerator::resultFailed);
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text, "Unable to create the specified Table of Contents path \"" + toc + "\".");
    EXPECT_FALSE(std::filesystem::exists(toc));
}

TEST_F(TOCGeneratorTest, AHeadingFailureShowsTheAnchorersTextAndRemovesThePartialFile) {
    const std::string page = folder.WriteFile("Book/a.htm", "<h1>One</h1>");
    people.AnswerMessageBox(IDOK);
    EXPECT_EQ(Run({{page.c_str(), "A"}}, TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS, 1, {"h1"}), CTOCGenerator::resultFailed);
    EXPECT_EQ(error, "Invalid HTML tag \"h1\".");
    ASSERT_EQ(people.Asked("message").size(), 1u);
    EXPECT_EQ(people.Asked("message")[0].text,
              "An error occurred while extracting Table of Contents headings:\nInvalid HTML tag \"h1\".");
    EXPECT_FALSE(std::filesystem::exists(toc));
}

TEST_F(TOCGeneratorTest, ACancelShowsNothingAndRemovesThePartialFile) {
    std::string body;
    for (int i = 0; i < 100; ++i) body += "<h1>Heading</h1><p>some words in between</p>\n";
    const std::string page = folder.WriteFile("Book/a.htm", body);
    cancelAt = 3;
    EXPECT_EQ(Run({{page.c_str(), "A"}}, TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS), CTOCGenerator::resultCancelled);
    EXPECT_TRUE(people.Log().empty());
    EXPECT_FALSE(std::filesystem::exists(toc));
    EXPECT_EQ(ReadAll(page), body);
}

TEST_F(TOCGeneratorTest, TheTableOfContentsAmongTheSourcesIsNotAnchoredWhileItIsWritten) {
    style = folder.WriteFile("style.htt", "<html><body>\n<h1>Table of Contents</h1>\n%TABLEOFCONTENTS%\n</body></html>\n");
    std::string body;
    for (int i = 0; i < 1500; ++i) body += "<h1>Heading number " + std::to_string(i) + "</h1>\n";
    const std::string page = folder.WriteFile("Book/a.htm", body);
    toc = folder.WriteFile("Book/Contents.htm", "<h1>An older table of contents</h1>");
    ASSERT_EQ(Run({{page.c_str(), "A"}, {toc.c_str(), "Contents"}}, TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS),
              CTOCGenerator::resultSucceeded);
    const std::string text = ReadAll(toc);
    EXPECT_TRUE(text.starts_with("<html><body>\n<h1>Table of Contents</h1>\n")) << text.substr(0, 80);
    EXPECT_TRUE(text.ends_with(Entry(1, "Contents", "Contents.htm") + "\n</body></html>\n"));
    EXPECT_NE(text.find(Entry(2, "Heading number 1499", "a.htm#_LCTOC-1500")), std::string::npos);
    EXPECT_EQ(text.find("older"), std::string::npos);
}

TEST_F(TOCGeneratorTest, TitlesPathsAndHeadingsAreEscapedOnceEach) {
    // A file title and a path are plain text; a heading keeps its source's references and
    // has only what would break the page escaped.
    const std::string page = folder.WriteFile("Book/Q&A \"1\".htm",
                                              "<h1>Salt &amp; Pepper</h1><h2>AT&T &lt;b&gt; &nbsp</h2>");
    const std::string doc = folder.WriteFile("Book/R&D.doc", "word document");
    ASSERT_EQ(Run({{page.c_str(), "1. Q&A: <draft> \"notes\""}, {doc.c_str(), "R&D"}},
                  TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS | TOC_IMPORT_BOOKMARKS),
              CTOCGenerator::resultSucceeded);
    const std::string href = "Q&amp;A &quot;1&quot;.htm";
    EXPECT_EQ(Lines(ReadAll(toc)),
              (std::vector<std::string>{Entry(1, "1. Q&amp;A: &lt;draft&gt; &quot;notes&quot;", href),
                                        Entry(2, "Salt &amp; Pepper", href + "#_LCTOC-1"),
                                        Entry(3, "AT&amp;T &lt;b&gt; &nbsp", href + "#_LCTOC-2"),
                                        Entry(1, "R&amp;D", "R&amp;D.doc"),
                                        Entry(2, "First", "R&amp;D.doc#First"),
                                        Entry(2, "Second", "R&amp;D.doc#Second")}));
}
