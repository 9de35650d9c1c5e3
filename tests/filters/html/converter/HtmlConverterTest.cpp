// The HTML converter end to end: a source file in, the converted document out, read back
// with the scanner to check that it nests.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "filters/html/converter/HtmlConverter.h"
#include "platform/base/File.h"
#include "platform/registry/RegistryKey.h"
#include "tests/filters/html/converter/NestingChecker.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Utf16Bytes.h"

namespace {

using leaf::test::Utf16Bytes;

constexpr const char* kSettingsKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\SDK";

struct ConversionResult {
    BOOL ok = FALSE;
    std::string output;
    std::string error;
};

class HtmlConverterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_temp);
        const char* previous = std::getenv("TMP");
        m_hadTmp = previous != nullptr;
        if (previous) m_previousTmp = previous;
        setenv("TMP", m_temp.c_str(), 1);
        SetForceOeb(false);
    }
    void TearDown() override {
        if (m_hadTmp) {
            setenv("TMP", m_previousTmp.c_str(), 1);
        } else {
            unsetenv("TMP");
        }
    }

    static void SetForceOeb(bool on) {
        leaf::RegistryKey::Create(HKEY_CURRENT_USER, kSettingsKey).WriteDword("ForceOEBOutput", on ? 1 : 0);
    }

    ConversionResult ConvertFile(const std::string& source, HtmlProgressCallback progress = nullptr) {
        ConversionResult result;
        const std::string destination = m_folder / "out.htm";
        std::filesystem::remove(destination);
        CHtmlConverter converter(progress, nullptr);
        result.ok = converter.Convert(CString(source), CString(destination));
        result.error = converter.GetErrorText().str();
        leaf::ReadFileBytes(destination, result.output);
        EXPECT_TRUE(std::filesystem::is_empty(m_temp)) << "a temporary file was left behind";
        return result;
    }

    ConversionResult Convert(const std::string& html) { return ConvertFile(m_folder.WriteFile("in.htm", html)); }

    // The converted text of a source, checked to nest properly.
    std::string ConvertNested(const std::string& html) {
        const ConversionResult result = Convert(html);
        EXPECT_TRUE(result.ok) << result.error;
        ExpectNested();
        return result.output;
    }

    void ExpectNested() {
        leaf::test::NestingChecker checker;
        EXPECT_TRUE(checker.Check(m_folder / "out.htm")) << checker.problem();
    }

    leaf::test::TempFolder m_folder;
    std::string m_temp = m_folder / "tmp";
    std::string m_previousTmp;
    bool m_hadTmp = false;
};

// ---- Balancing -----------------------------------------------------------------------

struct BalanceCase {
    const char* source;
    const char* expected;
};

class HtmlConverterBalanceTest : public HtmlConverterTest, public ::testing::WithParamInterface<BalanceCase> {};

TEST_P(HtmlConverterBalanceTest, BalancesAsExpected) {
    EXPECT_EQ(ConvertNested(GetParam().source), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HtmlConverterBalanceTest,
    ::testing::Values(
        // implied html and body, closed after the last line
        BalanceCase{"Hello\n", "<html><body>Hello\n\n</body>\n</html>"},
        BalanceCase{"<p>One<p>Two", "<html><body><p>One</p><p>Two\n\n</p>\n</body>\n</html>"},
        BalanceCase{"<html><head><title>T</title></head><body>x</body></html>\n",
                    "<html><head><title>T</title></head><body>x</body></html>\n"},
        // a block start closes the open paragraph
        BalanceCase{"<p>Text<table>", "<html><body><p>Text</p><table>\n\n</table>\n</body>\n</html>"},
        // misnested inline elements
        BalanceCase{"<b><i>x</b></i>\n", "<html><body><b><i>x</i></b>\n\n</body>\n</html>"},
        BalanceCase{"<b><i>x</b>y</i>\n", "<html><body><i><b>x</b>y</i>\n\n</body>\n</html>"},
        BalanceCase{"<b>x<i>y</b>z</i>\n", "<html><body><b>x<i>y</i></b><i>z</i>\n\n</body>\n</html>"},
        // end tags without start tags disappear
        BalanceCase{"<p>a</font>b</p>\n", "<html><body><p>ab</p>\n\n</body>\n</html>"},
        BalanceCase{"</b>\n", "<html><body>\n\n</body>\n</html>"},
        // empty elements
        BalanceCase{"<p>a<br>b<BR/>c<br />d</p>\n",
                    "<html><body><p>a<br />b<br />c<br />d</p>\n\n</body>\n</html>"},
        BalanceCase{"<head><meta name=x content=y></head>\n",
                    "<html><head><meta name=\"x\" content=\"y\"></meta></head>\n\n</html>"},
        // lists close their items
        BalanceCase{"<ul><li>a<li>b</ul>\n", "<html><body><ul><li>a</li><li>b</li></ul>\n\n</body>\n</html>"},
        // a block inside an inline element stays inside it
        BalanceCase{"<b>x<div>y</div>z</b>\n", "<html><body><b>x<div>y</div>z</b>\n\n</body>\n</html>"},
        // a whole table passes as it is
        BalanceCase{"<table><tr><td>a</td><td>b</td></tr></table>\n",
                    "<html><body><table><tr><td>a</td><td>b</td></tr></table>\n\n</body>\n</html>"},
        // start tags of one run swap their nesting rather than close and reopen
        BalanceCase{"<b>x</body>\n", "<html><b><body>x</body>\n\n</b>\n</html>"},
        // the closing of body does not reopen what it closes
        BalanceCase{"<body>\n<b>x</body>\n", "<html><body>\n<b>x</b></body>\n\n</html>"}));

TEST_F(HtmlConverterTest, UnbalancedMarkupAlwaysComesOutNested) {
    for (const char* source : {
             "<table><tr><td>a<td>b</table>",
             "<ul><li>a<ul><li>b</ul>c</ul>",
             "<p><b>x<p>y</b>z",
             "<i><b><u>x</i>y</b>z</u>",
             "<div><span>a</div>b</span><p>c<h1>d</p></h1>",
             "<select><option>a<option>b</select>",
             "<dl><dt>a<dd>b<dt>c</dl>",
             "<b>x<title>t</b></title>y",
             "<p>x<!-- never closed <b>",
             "<p>x<!--\xA5 comment block never closed",
             "<p>a<</font>b",
             "<script>if (a<b) x();</script><b>y",
             "<style>p{color:fff}",
             "<a href=x>one<a href=y>two</a></a></a>",
             "<p>a<title />b</title>c</p>",
             "<'/v>x</'/v>", "<_!x>y</_!x>", "<'<b>z</'<b>", "<-//>", "<'!doctype html>w",
             "<<'<style>p{x}<i>a</'a<t</style>b", "<'<script>x<b>y",
             "a<'<-style>b</-style>c", "<'<_p>x</'<_p>", "ead<<'<style>.c{color:fff}<<'<-style>.c</-style>",
             "<p>a<title/>b</title>c<style/>d<script />e</script></p>",
         }) {
        SCOPED_TRACE(source);
        ConvertNested(source);
    }
}

TEST_F(HtmlConverterTest, AttributeValuesCannotEndOrJoinTagsWhenReadAgain) {
    const std::string output = ConvertNested("<p title=\"a<b\" class=\"x=\">y</p>\n");
    EXPECT_NE(output.find("<p title=\"a&lt;b\" class=\"x&#61;\">y</p>"), std::string::npos) << output;
    ConvertNested("<table><tr><td style=\"a:b<td style=c\" />x</tr></table>");
    // A value ending in a backslash would escape its own closing quote.
    const std::string backslash = ConvertNested("<table><tr><td title=a\\ />x</tr></table>");
    EXPECT_NE(backslash.find("<td title=\"a&#92;\" />"), std::string::npos) << backslash;
}

TEST_F(HtmlConverterTest, AttributeNamesThatCannotBeReadBackAreLeftOut) {
    // The quoted text "\"le=a b /" is one token whose name holds a quote; written out, its
    // value would read as attributes of its own, the last a "/" that closes the cell.
    EXPECT_EQ(ConvertNested("<table><tr><td st'\"le=a b /' class=c>x</td></tr></table>\n"),
              "<html><body><table><tr><td st=\"\" class=\"c\">x</td></tr></table>\n\n</body>\n</html>");
}

// An attribute without a value has the empty value, as HTML reads it ("checked" is
// checked=""), and keeps it; a word without a value that names no attribute does not.
TEST_F(HtmlConverterTest, AttributesWithoutAValueKeepTheEmptyValue) {
    const std::string output = ConvertNested(
        "<p><input type=checkbox CHECKED aria-label=\"Dark\" /><img src=a.png alt=\"\"></p>"
        "<select><option value='' selected>o</option></select><p / \"x y\" =z>w</p>\n");
    for (const char* part : {"<input type=\"checkbox\" checked=\"\" aria-label=\"Dark\">",
                             "<img src=\"a.png\" alt=\"\" />", "<option value=\"\" selected=\"\">o</option>",
                             "<p>w</p>"})
        EXPECT_NE(output.find(part), std::string::npos) << part << "\n" << output;
}

TEST_F(HtmlConverterTest, EndTagsAreWrittenWithoutAttributes) {
    // Attributes on an end tag would make it read as something other than an end tag.
    EXPECT_EQ(ConvertNested("<p class=a>x</p class=b><b>y</b id=\"1\">\n"),
              "<html><body><p class=\"a\">x</p><b>y</b>\n\n</body>\n</html>");
}

TEST_F(HtmlConverterTest, ATextLessThanBeforeARemovedTagCannotStartATag) {
    const std::string output = ConvertNested("<p>a<</font>b</p>\n");
    EXPECT_EQ(output, "<html><body><p>a&lt;b</p>\n\n</body>\n</html>");
}

TEST_F(HtmlConverterTest, LongLinesBreakAtSpacesOnlyInText) {
    const std::string words(1100, 'w');
    const std::string output =
        ConvertNested("<p>" + words + " a b</p><script>" + words + " return x</script><!--\xA5" + words + " c d>\n");
    EXPECT_NE(output.find(words + "\na b</p>"), std::string::npos);       // the first space after 1024 characters
    EXPECT_NE(output.find(words + " return x</script>"), std::string::npos);  // scripts keep their lines
    EXPECT_NE(output.find(words + " c d>"), std::string::npos);
}

TEST_F(HtmlConverterTest, SelfClosingRawTextElementsStayReadable) {
    // The scanner reads "<title />" as the start of raw title text, "<title/>" as a tag
    // of its own: both must come out in a form that reads back the same way.
    EXPECT_EQ(ConvertNested("<span>a<title />b</title>c<title/>d</span>\n"),
              "<html><body><span>a<title>b</title>c<title></title>d</span>\n\n</body>\n</html>");
}

TEST_F(HtmlConverterTest, CharacterReferencesAndPlaceholderLookalikesPassThrough) {
    const std::string output =
        ConvertNested("<p>&nbsp;&#233;&amp;</p><!-- <tag_group0x00000000> -->\n<script>x='<tag_group0x00000001>'</script>\n");
    EXPECT_NE(output.find("<p>&nbsp;&#233;&amp;</p>"), std::string::npos) << output;
    EXPECT_NE(output.find("<!-- <tag_group0x00000000> -->"), std::string::npos) << output;
    EXPECT_NE(output.find("x='<tag_group0x00000001>'"), std::string::npos) << output;
}

TEST_F(HtmlConverterTest, ALineBreakWithPageBreakBecomesAnEmptyBlock) {
    const std::string output = ConvertNested("a<br clear=all style='page-break-before:always'>b\n");
    EXPECT_EQ(output, "<html><body>a<div style=\"page-break-before:always\"></div>b\n\n</body>\n</html>");
}

// ---- Hostile input -------------------------------------------------------------------

TEST_F(HtmlConverterTest, HundredThousandNestedElementsConvert) {
    std::string source;
    for (int i = 0; i < 100000; ++i) source += "<div>";
    source += "deep";
    for (int i = 0; i < 100000; ++i) source += "</div>";
    const std::string output = ConvertNested(source);
    EXPECT_NE(output.find("deep"), std::string::npos);
}

TEST_F(HtmlConverterTest, HundredThousandUnclosedElementsConvert) {
    std::string source;
    for (int i = 0; i < 100000; ++i) source += (i % 2) ? "<b>x" : "<span>x";
    const std::string output = ConvertNested(source);
    EXPECT_EQ(std::count(output.begin(), output.end(), '/'), 100002);  // every element closed at the end
}

TEST_F(HtmlConverterTest, HundredThousandParagraphsCloseOneAnother) {
    std::string source;
    for (int i = 0; i < 100000; ++i) source += "<p>";
    const std::string output = ConvertNested(source);
    size_t closes = 0;
    for (size_t at = output.find("</p>"); at != std::string::npos; at = output.find("</p>", at + 1)) ++closes;
    EXPECT_EQ(closes, 100000u);
}

TEST_F(HtmlConverterTest, ReopeningMisnestedElementsCannotBlowUpTheOutput) {
    // Every "</i>" would close and reopen all the open <b> elements.
    std::string source = "<i>x";
    for (int i = 0; i < 3000; ++i) source += "<b>x";
    for (int i = 0; i < 3000; ++i) source += "</i>x<i>x";
    const std::string output = ConvertNested(source);
    EXPECT_LT(output.size(), 40 * source.size());
}

TEST_F(HtmlConverterTest, ABinaryFileConvertsIntoANestedDocument) {
    std::mt19937 random(20261209);
    std::string bytes(200000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    // Sprinkle markup characters so that the scanner sees tags, comments and quotes.
    for (size_t i = 0; i < bytes.size(); i += 97) bytes[i] = "<>/!-\"'="[random() % 8];
    ConvertNested(bytes);
}

TEST_F(HtmlConverterTest, AStyleSheetOfOneFiveMegabyteLineConverts) {
    std::string rules;
    while (rules.size() < 5 * 1024 * 1024) rules += ".3c{color:fff;border-color:#abc} ";
    const std::string output = ConvertNested("<html><head><style>" + rules + "</style></head><body>x</body></html>");
    EXPECT_NE(output.find(".LCSDK-3c{color:#FFFFFF;border-color:#AABBCC} .LCSDK-3c{"), std::string::npos);
    EXPECT_NE(output.find("</style></head><body>x</body></html>"), std::string::npos);
}

// ---- Failures ------------------------------------------------------------------------

TEST_F(HtmlConverterTest, NestedTablesFailWithTheirMessage) {
    const ConversionResult result = Convert("<table><tr><td><table><tr><td>x</td></tr></table></td></tr></table>");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, CHtmlConverter::kErrorNestedTables);
    EXPECT_TRUE(result.output.empty()) << "no destination is left";
}

TEST_F(HtmlConverterTest, AMissingSourceFails) {
    const ConversionResult result = ConvertFile(m_folder / "missing.htm");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, CHtmlConverter::kErrorGeneric);
}

TEST_F(HtmlConverterTest, AnUnwritableDestinationFailsWithTheDiskSpaceText) {
    const std::string source = m_folder.WriteFile("in.htm", "<p>x</p>");
    CHtmlConverter converter;
    EXPECT_FALSE(converter.Convert(CString(source), CString(m_folder / "no/such/folder/out.htm")));
    EXPECT_EQ(converter.GetErrorText().str(), CHtmlConverter::kErrorDiskSpace);
    EXPECT_TRUE(std::filesystem::is_empty(m_temp));
}

int g_progressCalls = 0;
LONG g_progressUnits = 0;
BOOL CountProgress(LONG units, IFilterHost*) {
    ++g_progressCalls;
    g_progressUnits += units;
    return TRUE;
}
BOOL StopAtFirstReport(LONG, IFilterHost*) { return FALSE; }

TEST_F(HtmlConverterTest, ProgressCoversTheSourceTwice) {
    std::string source;
    for (int i = 0; i < 200; ++i) source += "<p>Some words of text in paragraph " + std::to_string(i) + "</p>\n";
    const std::string path = m_folder.WriteFile("in.htm", source);
    g_progressCalls = 0;
    g_progressUnits = 0;
    EXPECT_TRUE(ConvertFile(path, &CountProgress).ok);
    EXPECT_GT(g_progressCalls, 2);
    // Reading reports exactly the source's size; writing reports at least the rest of it.
    EXPECT_GE(g_progressUnits, static_cast<LONG>(2 * source.size()));
    EXPECT_LE(g_progressUnits, static_cast<LONG>(2 * source.size() + 200));
}

TEST_F(HtmlConverterTest, AStopFromTheProgressCallBackFailsWithoutText) {
    std::string source;
    for (int i = 0; i < 100; ++i) source += "<p>Some words of text</p>\n";
    const ConversionResult result = ConvertFile(m_folder.WriteFile("in.htm", source), &StopAtFirstReport);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.output.empty());
}

int TempNumber(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(name.substr(0, 5), "$conv");
    EXPECT_EQ(name.substr(9), ".htm");
    return std::stoi(name.substr(5, 4));
}

TEST_F(HtmlConverterTest, TemporaryFilesTakeTheNextFreeNameInTheTemporaryFolder) {
    const std::string first = CHtmlConverter().GetTempFilePath().str();
    EXPECT_EQ(std::filesystem::path(first).parent_path(), std::filesystem::path(m_temp));
    const int number = TempNumber(first);
    char taken[32];
    std::snprintf(taken, sizeof taken, "/$conv%.4d.htm", number + 1);
    m_folder.WriteFile(std::string("tmp") + taken, "someone else's");
    EXPECT_EQ(TempNumber(CHtmlConverter().GetTempFilePath().str()), number + 2);
    std::filesystem::remove(m_temp + taken);
}

// Writes a temporary file as a converter killed long ago would have left it.
void WriteOldTempFile(const std::string& path) {
    leaf::WriteFileAtomically(path, "left behind");
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    EXPECT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

const CHtmlConverter* g_converterAtWork = nullptr;
bool g_tempLockedDuringWork = false;

// A progress call-back that tells whether the converter's temporary file is locked.
BOOL ProbeTempLock(LONG, IFilterHost*) {
    const int fd = ::open(g_converterAtWork->GetTempFilePath().c_str(), O_RDONLY);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0)
        g_tempLockedDuringWork = true;
    if (fd >= 0)
        ::close(fd);
    return TRUE;
}

// The temporary file of a converter whose process was killed (unlocked, last written
// before this process converted anything) is removed when its name comes up again; one
// that a converter holds locked, or that was written since, is left alone.
TEST_F(HtmlConverterTest, TemporaryFilesOfKilledConvertersAreTakenBack) {
    const int number = TempNumber(CHtmlConverter().GetTempFilePath().str());
    auto nameOf = [&](int n) {
        char name[32];
        std::snprintf(name, sizeof name, "/$conv%.4d.htm", n);
        return m_temp + name;
    };
    WriteOldTempFile(nameOf(number + 1));
    EXPECT_EQ(CHtmlConverter().GetTempFilePath().str(), nameOf(number + 1));
    EXPECT_FALSE(std::filesystem::exists(nameOf(number + 1)));

    WriteOldTempFile(nameOf(number + 2));  // held by a running converter
    const int held = ::open(nameOf(number + 2).c_str(), O_RDONLY);
    ASSERT_LE(0, held);
    ASSERT_EQ(0, flock(held, LOCK_EX));
    leaf::WriteFileAtomically(nameOf(number + 3), "written just now");
    EXPECT_EQ(CHtmlConverter().GetTempFilePath().str(), nameOf(number + 4));
    EXPECT_TRUE(std::filesystem::exists(nameOf(number + 2)));
    EXPECT_TRUE(std::filesystem::exists(nameOf(number + 3)));
    ::close(held);

    // A converter at work holds its own file locked.
    const std::string source = m_folder.WriteFile("in.htm", "<p>x</p>");
    CHtmlConverter converter(&ProbeTempLock);
    g_converterAtWork = &converter;
    g_tempLockedDuringWork = false;
    EXPECT_TRUE(converter.Convert(CString(source), CString(m_folder / "out.htm")));
    g_converterAtWork = nullptr;
    EXPECT_TRUE(g_tempLockedDuringWork);
    std::filesystem::remove(nameOf(number + 2));
    std::filesystem::remove(nameOf(number + 3));
}

// The first converter of a process to use a temporary folder removes every file there that
// a killed converter left, whatever its number; files that running converters hold
// locked, files written since and other names are left alone.
TEST_F(HtmlConverterTest, TheFirstConverterInAFolderRemovesTheFilesOfKilledConverters) {
    const std::filesystem::path temp = m_temp;
    for (const char* name : {"$conv0500.htm", "$conv9999.htm", "$conv0501.htm", "$conv12.htm", "$conv0500.html"})
        WriteOldTempFile(temp / name);
    const int held = ::open((temp / "$conv0501.htm").c_str(), O_RDONLY);
    ASSERT_LE(0, held);
    ASSERT_EQ(0, flock(held, LOCK_EX));
    leaf::WriteFileAtomically(temp / "$conv0502.htm", "written just now");

    const std::string taken = CHtmlConverter().GetTempFilePath().str();
    EXPECT_FALSE(std::filesystem::exists(temp / "$conv0500.htm"));
    EXPECT_FALSE(std::filesystem::exists(temp / "$conv9999.htm"));
    for (const char* name : {"$conv0501.htm", "$conv0502.htm", "$conv12.htm", "$conv0500.html"})
        EXPECT_TRUE(std::filesystem::exists(temp / name)) << name;
    ::close(held);
    EXPECT_NE(taken, (temp / "$conv0501.htm").string());
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(temp))
        std::filesystem::remove(entry.path());
}

// The destination replaces only a file: a FIFO or a device node under its name, or a
// folder, stays as it is, and the conversion fails saying why.
TEST_F(HtmlConverterTest, ADestinationThatIsNoFileIsNotReplaced) {
    const std::string source = m_folder.WriteFile("in.htm", "<p>x</p>");
    struct Case {
        std::string name;
        std::filesystem::file_type type;
        const char* why;
    };
    std::vector<Case> cases = {{"pipe.htm", std::filesystem::file_type::fifo, "it is not a regular file"},
                               {"folder.htm", std::filesystem::file_type::directory, "it is a folder"}};
    ASSERT_EQ(0, mkfifo((m_folder / "pipe.htm").c_str(), 0644));
    std::filesystem::create_directory(m_folder / "folder.htm");
    // A device node of /dev/null's kind, where this process may make one.
    if (mknod((m_folder / "device.htm").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.push_back({"device.htm", std::filesystem::file_type::character, "it is not a regular file"});
    for (const Case& test : cases) {
        const std::string destination = m_folder / test.name;
        CHtmlConverter converter;
        EXPECT_FALSE(converter.Convert(CString(source), CString(destination))) << test.name;
        EXPECT_EQ(converter.GetErrorText().str(),
                  "Unable to write the converted document \"" + destination + "\": " + test.why + ".");
        EXPECT_EQ(std::filesystem::symlink_status(destination).type(), test.type) << test.name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_temp));
    // Nothing else was written beside them: the source, the temporary folder and the cases.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_folder.Path()), std::filesystem::directory_iterator()),
              static_cast<std::ptrdiff_t>(2 + cases.size()));
}

TEST_F(HtmlConverterTest, AFileThatAppearsUnderTheTemporaryNameIsLeftAloneAndTheNextNameIsUsed) {
    // Another converter (here: someone else) takes the chosen name between choosing and
    // creating it; the conversion goes on under the next free name.
    const std::string source = m_folder.WriteFile("in.htm", "<p>x</p>");
    std::string taken;
    {
        CHtmlConverter converter;
        taken = converter.GetTempFilePath().str();
        leaf::WriteFileAtomically(taken, "someone else's");
        EXPECT_TRUE(converter.Convert(CString(source), CString(m_folder / "out.htm")));
        EXPECT_NE(converter.GetTempFilePath().str(), taken);
        EXPECT_FALSE(std::filesystem::exists(converter.GetTempFilePath().str()));
    }
    std::string contents;
    EXPECT_TRUE(leaf::ReadFileBytes(taken, contents));
    EXPECT_EQ(contents, "someone else's");
    std::filesystem::remove(taken);
    EXPECT_TRUE(std::filesystem::exists(m_folder / "out.htm"));
}

TEST_F(HtmlConverterTest, AnUnwritableTemporaryFolderFailsWithTheDiskSpaceError) {
    const std::string source = m_folder.WriteFile("in.htm", "<p>x</p>");
    setenv("TMP", (m_folder / "no/such/folder").c_str(), 1);
    CHtmlConverter converter;
    EXPECT_FALSE(converter.Convert(CString(source), CString(m_folder / "out.htm")));
    EXPECT_EQ(converter.GetErrorText().str(), CHtmlConverter::kErrorDiskSpace);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "out.htm"));
}

// ---- Rewriting -----------------------------------------------------------------------

TEST_F(HtmlConverterTest, AttributesAreRewrittenWhateverTheirCase) {
    const std::string output = ConvertNested(
        "<table bgcolor=ffcc00 BGCOLOR=red><tr><td BgColor=#fff>"
        "<p STYLE=\"color:ff0000;background:blue;\" Class=3col nowrap title='say \"hi\"'>x</p>"
        "<p style=\"page-break-before:always;color:red\">y</p></td></tr></table>"
        "<p style=\"page-break-before:always;background: url(p.gif)\">z</p>\n");
    EXPECT_NE(output.find("<table bgcolor=\"#FFCC00\" bgcolor=\"red\">"), std::string::npos) << output;
    EXPECT_NE(output.find("<td bgcolor=\"#FFFFFF\">"), std::string::npos) << output;
    EXPECT_NE(output.find("<p style=\"color:#FF0000;background-color:blue\" class=\"LCSDK-3col\" nowrap=\"\" "
                          "title=\"say \\\"hi\\\"\">x</p>"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("<p style=\"color:red\">y</p>"), std::string::npos) << output;  // no page break in a table
    EXPECT_NE(output.find("<p style=\"page-break-before:always;background: url(p.gif)\">z</p>"), std::string::npos)
        << output;
}

TEST_F(HtmlConverterTest, StyleElementsGetColoursAndClassPrefixes) {
    const std::string output =
        ConvertNested("<head><style>\n.3col { color: ffcc00 }\np.x { border-color:#abc }\n</style></head>x\n");
    EXPECT_NE(output.find("<style>\n.LCSDK-3col { color: #FFCC00 }\np.x { border-color:#AABBCC }\n</style>"),
              std::string::npos)
        << output;
}

TEST_F(HtmlConverterTest, LongStyleElementsAreWrittenInPiecesWithoutLosingText) {
    std::string rules, expected;
    for (int i = 0; i < 2000; ++i) {
        rules += ".1a" + std::to_string(i) + " {color:fff}\n";
        expected += ".LCSDK-1a" + std::to_string(i) + " {color:#FFFFFF}\n";
    }
    const std::string output = ConvertNested("<head><style>\n" + rules + "</style></head>x\n");
    EXPECT_NE(output.find("<style>\n" + expected + "</style>"), std::string::npos);
}

TEST_F(HtmlConverterTest, WithoutForceOebOutputNamesKeepTheirForm) {
    const std::string output =
        ConvertNested("<a id=1intro href=\"book.htm#2b\">x</a><link rel=stylesheet type=text/css href=s.css>\n");
    EXPECT_EQ(output.find("<?xml"), std::string::npos);
    EXPECT_EQ(output.find("<!DOCTYPE"), std::string::npos);
    EXPECT_NE(output.find("<a id=\"1intro\" href=\"book.htm#2b\">"), std::string::npos) << output;
    EXPECT_NE(output.find("type=\"text/css\""), std::string::npos) << output;
}

TEST_F(HtmlConverterTest, ForceOebOutputMakesAnOpenEbookDocument) {
    SetForceOeb(true);
    const std::string output = ConvertNested(
        "<a ID=1intro HREF=\"book.htm#2b\" name=_x>x</a><a href=#a1 id=\"a\">y</a><a href=\"#9\">z</a>"
        "<link rel=stylesheet type=TEXT/CSS href=s.css>\n");
    EXPECT_EQ(output.substr(0, output.find("<a ")),
              "<?xml version=\"1.0\"?>\n"
              "<!DOCTYPE html PUBLIC\n"
              "\t\"+//ISBN 0-9673008-1-9//DTD OEB 1.0.1 Document//EN\"\n"
              "\t\"http://openebook.org/dtds/oeb-1.0.1/oebdoc101.dtd\">\n"
              "\n"
              "<html><body>");
    EXPECT_NE(output.find("<a id=\"_LCOEB_1intro\" href=\"book.htm#_LCOEB_2b\" name=\"_x\">x</a>"), std::string::npos)
        << output;
    EXPECT_NE(output.find("<a href=\"#a1\" id=\"a\">y</a>"), std::string::npos) << output;
    EXPECT_NE(output.find("<a href=\"#_LCOEB_9\">z</a>"), std::string::npos) << output;
    EXPECT_NE(output.find("type=\"text/x-oeb1-css\""), std::string::npos) << output;
}

// A source's own XML declaration is written as one well-formed declaration, and with
// ForceOEBOutput on the prologue's declaration and document type are the only ones.
TEST_F(HtmlConverterTest, TheSourcesXmlDeclarationIsWrittenOnceAndWellFormed) {
    const std::string source = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                               "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">\n"
                               "<html><body><p>x</p></body></html>\n";
    const auto count = [](const std::string& text, const std::string& part) {
        size_t found = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++found;
        return found;
    };
    const std::string plain = ConvertNested(source);
    EXPECT_EQ(0u, plain.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")) << plain;
    EXPECT_EQ(1u, count(plain, "<?xml")) << plain;

    SetForceOeb(true);
    const std::string forced = ConvertNested(source);
    EXPECT_EQ(0u, forced.find("<?xml version=\"1.0\"?>\n<!DOCTYPE html PUBLIC\n")) << forced;
    EXPECT_EQ(1u, count(forced, "<?xml")) << forced;
    EXPECT_EQ(1u, count(forced, "<!DOCTYPE")) << forced;
    EXPECT_EQ(std::string::npos, forced.find("?\" />")) << forced;
}

TEST_F(HtmlConverterTest, AnOfficeWordProcessorsClutterIsRemoved) {
    const std::string output = ConvertNested(
        "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">\n"
        "<head><meta name=Generator content=\"Microsoft Word 9\">\n"
        "<link rel=File-List href=\"x_files/filelist.xml\"><link id=shLink href=x.htm>\n"
        "<style>\n<!--\n@page Section1\n\t{size:8.5in 11.0in;}\np.MsoNormal\n\t{mso-style-parent:\"\";\n\tmargin:0in;\n"
        "\tfont-size:12.0pt;}\ndiv.Section1\n\t{page:Section1;}\nspan.x\n\t{mso-ansi-language:EN-US;}\n-->\n</style>\n"
        "</head><body><!--[if gte mso 9]>junk<![endif]-->"
        "<p class=MsoNormal style='mso-pagination:none;color:ff0000' v:shapes=\"_x0000_s1\">a<o:p></o:p></p>"
        "<![if !supportLists]>b<![endif]></body></html>\n");
    EXPECT_NE(output.find("<html>\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("o:p"), std::string::npos) << output;
    EXPECT_EQ(output.find("!["), std::string::npos) << output;
    EXPECT_EQ(output.find("v:shapes"), std::string::npos) << output;
    EXPECT_EQ(output.find("junk"), std::string::npos) << output;
    EXPECT_EQ(output.find("filelist"), std::string::npos) << output;
    EXPECT_EQ(output.find("shLink"), std::string::npos) << output;
    EXPECT_EQ(output.find("@page"), std::string::npos) << output;
    EXPECT_EQ(output.find("span.x"), std::string::npos) << output;
    EXPECT_NE(output.find("p.MsoNormal\n\t{margin:0in;font-size:12.0pt;}"), std::string::npos) << output;
    EXPECT_NE(output.find("div.Section1\n\t{page-break-before:always;}"), std::string::npos) << output;
    EXPECT_NE(output.find("<p class=\"MsoNormal\" style=\"color:#FF0000\">a</p>b</body>"), std::string::npos)
        << output;
}

TEST_F(HtmlConverterTest, APageBreakRemovedInATableLeavesTheOtherStylesAsWritten) {
    const std::string output =
        ConvertNested("<table><tr><td style=\"page-break-before:always;background:url(Pics/A.gif)\">x</td>"
                      "</tr></table><p style=\"page-break-before:always;background:url(Pics/B.gif)\">y</p>");
    EXPECT_NE(output.find("<td style=\"background:url(Pics/A.gif)\">"), std::string::npos) << output;
    // Outside a table the page break stays.
    EXPECT_NE(output.find("<p style=\"page-break-before:always;background:url(Pics/B.gif)\">"), std::string::npos)
        << output;
}

// ---- Character sets: the output is UTF-8 and says so --------------------------------

TEST_F(HtmlConverterTest, AUtf16SourceOfEitherByteOrderBecomesUtf8AndDeclaresIt) {
    const std::u16string page =
        u"<html><head><meta http-equiv=Content-Type content=\"text/html; charset=utf-16\">"
        u"<title>Caf\u00E9</title></head><body><p title=\"\u4E2D\">\u00C9t\u00E9 \U0001F600</p></body></html>\r\n";
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const std::string source = m_folder.WriteFile("u.htm", Utf16Bytes(page, bigEndian));
        const ConversionResult result = ConvertFile(source);
        ASSERT_TRUE(result.ok) << result.error;
        ExpectNested();
        EXPECT_EQ(result.output,
                  "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"></meta>"
                  "<title>Caf\xC3\xA9</title></head><body><p title=\"\xE4\xB8\xAD\">\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80</p>"
                  "</body></html>\n");
    }
}

TEST_F(HtmlConverterTest, AWindows1252SourceBecomesUtf8AndDeclaresIt) {
    const std::string output = ConvertNested(
        "<html><head><META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html;charset=windows-1252\">"
        "<meta charset=iso-8859-1></head><body><p alt=\"na\xEFve\">Caf\xE9 \x93q\x94 \xC3\xA9</p></body></html>\n");
    // Bytes that are no UTF-8 are the code page's characters; UTF-8 among them stays.
    EXPECT_NE(output.find("<p alt=\"na\xC3\xAFve\">Caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xC3\xA9</p>"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("<meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\"></meta>"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("<meta charset=\"UTF-8\"></meta>"), std::string::npos) << output;
}

TEST_F(HtmlConverterTest, OnlyCharacterSetDeclarationsAreRewritten) {
    const std::string output = ConvertNested(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><html><head>"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
        "<meta name=\"description\" content=\"charset=latin1 explained\">"
        "<meta http-equiv=refresh content=\"5; xcharset=x\"></head><body>x</body></html>\n");
    EXPECT_NE(output.find("<?xml version=\"1.0\" encoding=\"UTF-8\""), std::string::npos) << output;
    EXPECT_EQ(output.find("ISO-8859-1"), std::string::npos) << output;
    EXPECT_NE(output.find("content=\"text/html; charset=utf-8\""), std::string::npos) << output;
    EXPECT_NE(output.find("content=\"charset=latin1 explained\""), std::string::npos) << output;
    EXPECT_NE(output.find("content=\"5; xcharset=x\""), std::string::npos) << output;
}

TEST_F(HtmlConverterTest, APageSavedWithAUtf8MarkConvertsAsWithoutIt) {
    const std::string page = "<html><head><title>T</title></head><body><p>x</p></body></html>\n";
    const ConversionResult marked = Convert("\xEF\xBB\xBF" + page);
    const ConversionResult plain = Convert(page);
    ASSERT_TRUE(marked.ok);
    EXPECT_EQ(marked.output, plain.output);
    EXPECT_EQ(marked.output.find("<body>"), marked.output.rfind("<body>"));   // one body, not two
}

}  // namespace
