// The compile step's driver against the scripted compiler module: the error codes and
// details of each failure, cancelling, deferred messages, aborts, and the encoding of
// each kind of item.

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "sdk/LeafcraftSDK.h"
#include "sdk/compiler/EBookCompilerDriver.h"
#include "tests/sdk/compiler/RecordingStreams.h"
#include "tests/support/TempFolder.h"

namespace compilertest {
namespace {

class TestSite final : public ICompileSite {
public:
    IFilterHost* GetHost() override { return &host; }
    CCompilerCallback& GetCompilerCallback() override { return callback; }
    LONG* GetCurrentLine() override { return &currentLine; }
    BOOL IsAbortRequested() const override { return abort; }
    void SetError(LONG code) override {
        errorCode = code;
        if (!compilerErrorText.IsEmpty())
            details = compilerErrorText;
    }
    void SetError(LONG code, const CString& text) override {
        details = text;
        SetError(code);
    }
    const CString& GetErrorDetails() const override { return details; }
    void ResetProgress(LONG step) override { progress.push_back("reset " + std::to_string(step)); }
    void SetProgressTotal(LONGLONG total) override { progress.push_back("total " + std::to_string(total)); }
    void SetProgressDetail(const CString& detail) override { progress.push_back("detail " + detail.str()); }
    void FireUpdateProgress(LONG percent, LONG step, const CString&) override {
        progress.push_back("fire " + std::to_string(percent) + " " + std::to_string(step));
    }
    LONG GetForceOEBFlag() override { return 1; }
    std::vector<CString> GetManifestFilePaths() const override { return manifest; }
    const std::map<std::string, std::string>& GetOutsideWorkPaths() const override { return outside; }
    const std::map<std::string, std::string>& GetConvertedWorkPaths() const override { return converted; }
    CString GetStyleSheetToLink() const override { return CString(); }

    RecordingHost host;
    CString currentFile;
    LONG currentLine = 0;
    CString compilerErrorText;
    std::vector<std::string> messages;
    CCompilerCallback callback{currentFile, currentLine, compilerErrorText,
                               [this](LONG type, LONG code, const CString& text, const CString& file, LONG line) {
                                   messages.push_back(std::to_string(type) + " " + std::to_string(code) + " " +
                                                      text.str() + "|" + file.str() + " " + std::to_string(line));
                               }};
    BOOL abort = FALSE;
    LONG errorCode = 0;
    CString details;
    std::vector<std::string> progress;
    std::vector<CString> manifest;
    std::map<std::string, std::string> outside;
    std::map<std::string, std::string> converted;
};

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        log = folder / "calls.log";
        setenv("LEAF_TEST_COMPILER_LOG", log.c_str(), 1);
        setenv("LEAF_TEST_COMPILER_SCRIPT", "", 1);
        setenv("LEAF_TEST_COMPILER_ITEMS", "", 1);
        work = folder / "work";
        package = folder.WriteFile("work/book.opf", "<package><manifest></manifest></package>\n");
        eBook = folder / "book.lit";
    }
    BOOL Compile(const std::string& library = leaf::test::BinDir() + "/scriptedlitgen.so") {
        CEBookCompilerDriver driver(site);
        return driver.Compile(library.c_str(), eBook.c_str(), package.c_str(), work.c_str(), "Source");
    }
    std::vector<std::string> Calls() const {
        std::ifstream file(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    leaf::test::TempFolder folder;
    TestSite site;
    std::string log, work, package, eBook;
};

TEST_F(Driver, ReportsAMissingLibraryOrEntryPoint) {
    std::string missing = folder / "LITGen.so";
    EXPECT_FALSE(Compile(missing));
    // The details name the library and the loader's reason.
    EXPECT_EQ(LCERR_LITGEN_LOAD, site.errorCode);
    EXPECT_EQ(0u, site.details.str().find(missing)) << site.details.str();
    EXPECT_NE(std::string::npos, site.details.str().find("No such file or directory")) << site.details.str();

    // A module without the entry point (a test module of the COM runtime).
    std::string noEntry = leaf::test::BinDir() + "/testnoentry.so";
    EXPECT_FALSE(Compile(noEntry));
    EXPECT_EQ(LCERR_LITGEN_ACCESS, site.errorCode);
    EXPECT_EQ(0u, site.details.str().find(noEntry)) << site.details.str();
    EXPECT_NE(std::string::npos, site.details.str().find("CreateWriter")) << site.details.str();
}

struct FailureCase {
    const char* script;
    LONG code;
    const char* details;  // "" none; "ebook" / "package": that path; else the text
    std::vector<std::string> lastCalls;
};

TEST_F(Driver, ReportsEachFailureAndCancelsTheWriter) {
    const FailureCase cases[] = {
        {"nocreate", LCERR_LITGEN_CREATE, "library", {}},
        {"noinit", LCERR_LITGEN_INITIALIZE, "", {"initialize"}},
        {"noinit,initmessage", LCERR_LITGEN_INITIALIZE, "init refused", {"initialize"}},
        {"nobegin", LCERR_CREATEEBOOK, "ebook", {"initialize", "begin"}},
        {"nopackage", LCERR_UNEXPECTED, "", {"package 1", "cancel"}},
        {"noend", LCERR_ENCODEPACKAGE, "package", {"end package", "cancel"}},
        {"nofinish", LCERR_UNEXPECTED, "", {"end package", "finish"}},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.script);
        std::filesystem::remove(log);
        site.errorCode = 0;
        site.details.Empty();
        site.compilerErrorText.Empty();
        setenv("LEAF_TEST_COMPILER_SCRIPT", c.script, 1);
        EXPECT_FALSE(Compile());
        EXPECT_EQ(c.code, site.errorCode);
        std::string details = c.details;
        if (details == "ebook")
            details = eBook;
        else if (details == "package")
            details = package;
        else if (details == "library")
            details = leaf::test::BinDir() + "/scriptedlitgen.so";
        EXPECT_EQ(details, site.details.str());
        std::vector<std::string> calls = Calls();
        ASSERT_GE(calls.size(), c.lastCalls.size());
        // The last calls, each compared by its beginning.
        for (size_t i = 0; i < c.lastCalls.size(); ++i)
            EXPECT_EQ(0u, calls[calls.size() - c.lastCalls.size() + i].rfind(c.lastCalls[i], 0)) << c.lastCalls[i];
    }
}

TEST_F(Driver, EncodesEveryKindAndFiresDeferredMessagesWithTheItem) {
    std::string css = folder.WriteFile("work/a.css", "p {}\r\nq {}");
    std::string page = folder.WriteFile("work/a.htm", "<p>x</p>");
    std::string picture = folder.WriteFile("work/b.gif", std::string(2500, 'x'));
    site.manifest = {css.c_str(), page.c_str(), picture.c_str()};
    setenv("LEAF_TEST_COMPILER_ITEMS", ("css:" + css + ";html:" + page + ";bin:" + picture).c_str(), 1);
    setenv("LEAF_TEST_COMPILER_SCRIPT", "htmlmessage", 1);

    ASSERT_TRUE(Compile()) << site.details.str();
    EXPECT_EQ(0, site.errorCode);
    // One write per line, each with "\n" (the log shows it as an empty line).
    EXPECT_EQ((std::vector<std::string>{"initialize", "begin " + eBook + " " + work + "/ Source", "package 1",
                                        "end package", "css p {}", "", "css q {}", "", "end " + css, "end " + page,
                                        "bin 1024", "bin 1024", "bin 452", "finish"}),
              Calls());
    // The warning given before each request for an HTML item is fired with that item, or
    // with "(unknown)" when no item followed.
    EXPECT_EQ((std::vector<std::string>{"1 5 before html|" + page + " 0", "1 5 before html|(unknown) 0"}),
              site.messages);
    EXPECT_EQ("reset 3", site.progress.front());
    EXPECT_EQ("fire 100 3", site.progress.back());
    EXPECT_EQ("", site.currentFile.str());
    EXPECT_FALSE(site.callback.IsDeferring());
}

TEST_F(Driver, AnAbortDuringAnItemOrAfterTheLastProgressStopsTheEBook) {
    std::string page = folder.WriteFile("work/a.htm", "<p>x</p>");
    setenv("LEAF_TEST_COMPILER_ITEMS", ("html:" + page).c_str(), 1);
    site.host.abort = true;
    site.host.onStep = [this] { site.abort = TRUE; };
    EXPECT_FALSE(Compile());
    EXPECT_EQ(LCERR_ABORTED, site.errorCode);

    // The client aborts from the handler of the last progress event: Finish is never
    // called and the writer is cancelled.
    std::filesystem::remove(log);
    site.abort = FALSE;
    site.host.abort = false;
    int steps = 0;
    site.host.onStep = [&] {
        if (++steps == 3)  // package, item shown, the document's bytes
            site.abort = TRUE;
    };
    EXPECT_FALSE(Compile());
    EXPECT_EQ(LCERR_ABORTED, site.errorCode);
    std::vector<std::string> calls = Calls();
    EXPECT_EQ("cancel", calls.back());
    EXPECT_EQ(calls.end(), std::find(calls.begin(), calls.end(), "finish"));
}

TEST_F(Driver, KeepsTheEncodersMessageOrTheItemPath) {
    std::string page = folder.WriteFile("work/a.htm", "<p>x</P>");
    std::string gone = folder / "work/gone.gif";
    setenv("LEAF_TEST_COMPILER_ITEMS", ("html:" + page).c_str(), 1);
    EXPECT_FALSE(Compile());
    EXPECT_EQ(LCERR_ENCODEHTML, site.errorCode);
    // The encoder's message went to the host; the driver keeps what the host was given.
    EXPECT_NE(std::string::npos, site.host.details.find("is not well-formed"));

    setenv("LEAF_TEST_COMPILER_ITEMS", ("bin:" + gone).c_str(), 1);
    site.details.Empty();
    EXPECT_FALSE(Compile());
    EXPECT_EQ(LCERR_ENCODEBINARY, site.errorCode);
    EXPECT_EQ(gone, site.details.str());
}

}  // namespace
}  // namespace compilertest
