// The compiler call-back: tagging, deferring and the first error text; and the filter
// that keeps some compiler messages from the client.

#include <gtest/gtest.h>

#include "sdk/compiler/CompilerCallback.h"
#include "sdk/compiler/CompilerMessageFilter.h"

namespace {

class CompilerCallback : public ::testing::Test {
protected:
    CString currentFile = "/w/book.opf";
    LONG currentLine = 7;
    CString errorText;
    std::vector<std::string> fired;
    CCompilerCallback callback{currentFile, currentLine, errorText,
                               [this](LONG type, LONG code, const CString& text, const CString& file, LONG line) {
                                   fired.push_back(std::to_string(type) + " " + std::to_string(code) + " " +
                                                   text.str() + "|" + file.str() + " " + std::to_string(line));
                               }};
};

TEST_F(CompilerCallback, FiresAtOnceWithTheCurrentFileAndLine) {
    EXPECT_EQ(S_OK, callback.Message(1, 10, u"warning"));
    EXPECT_EQ(S_OK, callback.Message(0, 11, u"first"));
    EXPECT_EQ(S_OK, callback.Message(0, 12, u"second"));
    EXPECT_EQ((std::vector<std::string>{"1 10 warning|/w/book.opf 7", "0 11 first|/w/book.opf 7",
                                        "0 12 second|/w/book.opf 7"}),
              fired);
    EXPECT_EQ("first", errorText.str()) << "the first error counts, warnings do not";
}

TEST_F(CompilerCallback, HoldsMessagesBackUntilTheItemIsKnown) {
    callback.Defer();
    EXPECT_EQ("(unknown)", currentFile.str());
    EXPECT_EQ(0, currentLine);
    callback.Message(2, 20, u"note");
    EXPECT_TRUE(fired.empty());
    CString item = "/w/a.htm";
    callback.Flush(&item);
    EXPECT_EQ((std::vector<std::string>{"2 20 note|/w/a.htm 0"}), fired);
    EXPECT_FALSE(callback.IsDeferring());

    callback.Defer();
    callback.Message(0, 21, u"late");
    callback.Flush(nullptr);
    EXPECT_EQ("0 21 late|(unknown) 0", fired.back());

    callback.Defer();
    callback.Message(1, 22, u"dropped");
    callback.Reset();
    EXPECT_EQ(0u, callback.QueuedCount());
    EXPECT_EQ("", currentFile.str());
    EXPECT_EQ(2u, fired.size());
}

TEST_F(CompilerCallback, AnswersOnlyItsOwnInterfaces) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(S_OK, callback.QueryInterface(IID_ICompilerCallback, &object));
    EXPECT_EQ(static_cast<ICompilerCallback*>(&callback), object);
    EXPECT_EQ(S_OK, callback.QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(E_NOINTERFACE, callback.QueryInterface(IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
}

TEST(CompilerMessageFilter, DropsTheCodesItFilters) {
    const std::set<std::string> schemes = {"http:", "https:", "mailto:"};
    struct Case {
        LONG code;
        const char* text;
        const char* file;
        BOOL dropped;
    } cases[] = {
        {1103, "anything", "/w/a.htm", TRUE},
        {1202, "font", "/w/fonts/a.eot.htm", TRUE},
        {1202, "font", "/w/fonts/A.EOT", FALSE},
        {2103, "Cannot resolve link 'HTTPS://example.com/x': skipped", "", TRUE},
        {2103, "Cannot resolve link 'local.htm': skipped", "", FALSE},
        {2103, "Cannot resolve link 'ftp://example.com/x': skipped", "", FALSE},
        {2103, "No quote: http://example.com", "", FALSE},
        {2104, "Cannot resolve link 'http://x'", "", FALSE},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dropped, IsDroppedCompilerMessage(c.code, c.text, c.file, schemes)) << c.code << " " << c.text;
}

}  // namespace
