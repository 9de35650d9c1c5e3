// The filter's other operations: sizing, conversion, the progress call-back and the
// setting's range.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/filters/html/HtmlFilterTestSupport.h"

namespace htmltest {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::u16string Wide(const std::string& text) {
    return leaf::Utf8ToUtf16(text);
}

TEST_F(HtmlFilterTest, GetSizeCountsTheSourceOnceForTheScanAndTwiceForTheConversion) {
    std::string page = Page("Book/Page.htm", std::string(1234, 'x'));
    LONG units = -1;
    EXPECT_EQ(S_OK, filter->GetSize(Wide(page).c_str(), kFilterScanDependencies | kFilterReadingOrderItem, &units));
    EXPECT_EQ(1234, units);
    EXPECT_EQ(S_OK, filter->GetSize(Wide(page).c_str(), kFilterReadingOrderItem, &units));
    EXPECT_EQ(2468, units);
    // A path in another letter case finds the file.
    EXPECT_EQ(S_OK, filter->GetSize(Wide(PathOf("book/page.HTM")).c_str(), 0, &units));
    EXPECT_EQ(2468, units);
}

TEST_F(HtmlFilterTest, GetSizeOfAMissingSourceIsPathNotFoundAndZero) {
    LONG units = 77;
    EXPECT_EQ(STG_E_PATHNOTFOUND, filter->GetSize(Wide(PathOf("absent.htm")).c_str(), 0, &units));
    EXPECT_EQ(0, units);
    EXPECT_EQ(E_POINTER, filter->GetSize(nullptr, 0, &units));
    EXPECT_EQ(E_POINTER, filter->GetSize(u"/x.htm", 0, nullptr));
}

TEST_F(HtmlFilterTest, ConvertWritesTheDocumentAndReportsWhatGetSizeAnnounced) {
    std::string contents = "<html><body><p>Text</p></body></html>\n";
    for (int i = 0; i < 5000; ++i)
        contents += "<p>more text</p>\n";
    std::string page = Page("p.htm", contents);
    std::string output = PathOf("out.htm");
    ASSERT_EQ(S_OK, filter->Convert(Wide(page).c_str(), Wide(output).c_str(), 1, &host));
    EXPECT_TRUE(std::filesystem::exists(output));
    EXPECT_NE(std::string::npos, ReadAll(output).find("Text"));
    LONG units = 0;
    ASSERT_EQ(S_OK, filter->GetSize(Wide(page).c_str(), 1, &units));
    EXPECT_EQ(units, host.progress);
    EXPECT_TRUE(host.errorDetails.empty());
}

TEST_F(HtmlFilterTest, ConvertStopsWithAbortWhenTheHostAsksAndLeavesTheDetailsAlone) {
    std::string contents;
    for (int i = 0; i < 2000; ++i)
        contents += "<p>Some text of a page</p>\n";
    std::string page = Page("p.htm", contents);
    host.abort = true;
    EXPECT_EQ(E_ABORT, filter->Convert(Wide(page).c_str(), Wide(PathOf("out.htm")).c_str(), 0, &host));
    EXPECT_TRUE(host.errorDetails.empty());
}

TEST_F(HtmlFilterTest, ConvertOfAnUnreadableSourceFailsWithDetails) {
    EXPECT_EQ(E_FAIL, filter->Convert(Wide(PathOf("absent.htm")).c_str(), Wide(PathOf("out.htm")).c_str(), 0, &host));
    EXPECT_FALSE(host.errorDetails.empty());
    std::string page = Page("p.htm", "<p>x</p>\n");
    host.errorDetails.clear();
    EXPECT_EQ(E_FAIL, filter->Convert(Wide(page).c_str(), Wide(PathOf("no/such/folder/out.htm")).c_str(), 0, &host));
    EXPECT_FALSE(host.errorDetails.empty());
}

TEST_F(HtmlFilterTest, ConvertRefusesNullArguments) {
    EXPECT_EQ(E_POINTER, filter->Convert(nullptr, u"/o.htm", 0, &host));
    EXPECT_EQ(E_POINTER, filter->Convert(u"/s.htm", nullptr, 0, &host));
    EXPECT_EQ(E_POINTER, filter->Convert(u"/s.htm", u"/o.htm", 0, nullptr));
}

}  // namespace
}  // namespace htmltest
