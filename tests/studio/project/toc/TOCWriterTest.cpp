#include <gtest/gtest.h>

#include "platform/base/File.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCWriter.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(path, contents));
    return contents;
}

}  // namespace

TEST(TOCWriterTest, EntriesReplaceThePlaceholderLine) {
    leaf::test::TempFolder folder;
    const std::string htt = folder.WriteFile("t.htt", "<html>\r\n<body>\r\n%TABLEOFCONTENTS%\r\n</body>\r\n</html>");
    const std::string out = folder / "toc.htm";
    CTOCWriter writer(htt.c_str());
    ASSERT_TRUE(writer.Open(out.c_str()));
    EXPECT_TRUE(writer.AddEntry(1, "Chapter &amp; One", "ch1.htm"));
    EXPECT_TRUE(writer.AddEntry(2, "Sample heading 1"));
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ(ReadAll(out),
              "<html>\n<body>\n"
              "<div class=\"Level1\"><a class=\"Level1\" href=\"ch1.htm\">Chapter &amp; One</a></div>\n"
              "<div class=\"Level2\">Sample heading 1</div>\n"
              "</body>\n</html>\n");
}

TEST(TOCWriterTest, TheUppercaseTransformOfALevelAppliesToItsEntriesOnly) {
    leaf::test::TempFolder folder;
    CTOCStyle style;
    style.GetLevel(1).m_allCaps = 1;
    const std::string htt = folder / "caps.htt";
    ASSERT_TRUE(style.Save(htt.c_str()));
    const std::string out = folder / "toc.htm";
    CTOCWriter writer(htt.c_str());
    ASSERT_TRUE(writer.Open(out.c_str()));
    EXPECT_FALSE(writer.IsAllCaps(1));
    EXPECT_TRUE(writer.IsAllCaps(2));
    writer.AddEntry(1, "Title", "a.htm");
    writer.AddEntry(2, "caf\xC3\xA9 &eacute;t&#233; &amp; more", "a.htm#x");
    ASSERT_TRUE(writer.Close());
    const std::string text = ReadAll(out);
    EXPECT_NE(text.find(">Title</a>"), std::string::npos);
    // Letters of every script go to upper case; character references keep their names.
    EXPECT_NE(text.find(">CAF\xC3\x89 &eacute;T&#233; &amp; MORE</a>"), std::string::npos);
}

TEST(TOCWriterTest, ATemplateWithoutPlaceholderIsCopiedWholeAndEntriesFollow) {
    leaf::test::TempFolder folder;
    const std::string htt = folder.WriteFile("t.htt", "<html>\n%tableofcontents%\n</html>\n");
    const std::string out = folder / "toc.htm";
    CTOCWriter writer(htt.c_str());
    ASSERT_TRUE(writer.Open(out.c_str()));
    writer.AddEntry(1, "A", "a.htm");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadAll(out),
              "<html>\n%tableofcontents%\n</html>\n<div class=\"Level1\"><a class=\"Level1\" href=\"a.htm\">A</a></div>\n");
}

TEST(TOCWriterTest, OpenFailsWhenTheTemplateOrTheOutputCannotBeOpened) {
    leaf::test::TempFolder folder;
    const std::string htt = folder.WriteFile("t.htt", "%TABLEOFCONTENTS%\n");
    CTOCWriter missing((folder / "none.htt").c_str());
    EXPECT_FALSE(missing.Open((folder / "toc.htm").c_str()));
    CTOCWriter badOutput(htt.c_str());
    EXPECT_FALSE(badOutput.Open((folder / "no/such/folder/toc.htm").c_str()));
    EXPECT_FALSE(badOutput.AddEntry(1, "x", "y"));
}

TEST(TOCWriterTest, EntriesCannotBreakThePage) {
    leaf::test::TempFolder folder;
    const std::string htt = folder.WriteFile("t.htt", "%TABLEOFCONTENTS%\n");
    const std::string out = folder / "toc.htm";
    CTOCWriter writer(htt.c_str());
    ASSERT_TRUE(writer.Open(out.c_str()));
    // References stand; a lone '&', '<' and '>' become references, and so does a '"' in the href.
    writer.AddEntry(1, "a < b & c > d &amp; &#233; &#xE9; &eacute; &bogus; &", "x.htm\"><script>#a&b");
    writer.AddEntry(2, "</div><div>");
    writer.AddEntry(3, CTOCWriter::EscapeText("Tom &amp; \"Jerry\" <3").c_str(), "y.htm");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadAll(out),
              "<div class=\"Level1\"><a class=\"Level1\" href=\"x.htm&quot;&gt;&lt;script&gt;#a&amp;b\">"
              "a &lt; b &amp; c &gt; d &amp; &#233; &#xE9; &eacute; &amp;bogus; &amp;</a></div>\n"
              "<div class=\"Level2\">&lt;/div&gt;&lt;div&gt;</div>\n"
              "<div class=\"Level3\"><a class=\"Level3\" href=\"y.htm\">Tom &amp;amp; &quot;Jerry&quot; &lt;3</a></div>\n");
}
