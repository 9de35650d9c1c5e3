// Preparing, converting and encoding pages for the compiler on worker threads, as a
// client sees it: a book built with several workers (LEAF_FILTER_WORKERS) fires the same
// events, in the same number and order, on the client's thread, and ends with the same
// result, error, files and e-book as the same book built with every filter call and
// every page's encoding on the client's thread; also when the client aborts in the
// middle of a page, when two pages fail to convert, when a page fails to encode, and
// when a filter's answer depends on what an earlier page did.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include "platform/base/File.h"
#include "platform/registry/Profile.h"
#include "tests/sdk/control/SdkTestSupport.h"
#include "tests/support/EBookArchive.h"
#include "tests/support/TestPictures.h"

namespace sdktest {
namespace {

namespace fs = std::filesystem;
using leaf::Variant;

// What a client saw of one PrepareEBook and BuildEBook.
struct RunSeen {
    bool prepared = false;
    bool built = false;
    LONG errorCode = 0;
    std::string errorDetails;
    std::vector<std::string> events;
    bool eventsOnClientThread = true;
    std::string package;  // the package file's text (its new identifier left out)
    std::map<std::string, std::string> workFiles;  // the work folder's files, by relative path
    std::map<std::string, std::string> eBook;      // the e-book's entries (identifier and time left out)

    bool operator==(const RunSeen&) const = default;
};

void PrintTo(const RunSeen& run, std::ostream* out) {
    *out << "prepared " << run.prepared << " built " << run.built << " error " << run.errorCode << " \""
         << run.errorDetails << "\", " << run.events.size() << " events, " << run.eBook.size() << " e-book entries";
}

// A build's new identifier and the time it was written, left out of a text.
std::string WithoutBuildIdentity(const std::string& text) {
    static const std::regex identity(
        "\\{[0-9A-F-]{36}\\}|urn:uuid:[0-9a-f-]{36}|\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    return std::regex_replace(text, identity, "(build)");
}

// When the client's handler steps in: at the n-th progress event of a step.
struct Intervention {
    enum class Action { None, Abort } action = Action::None;
    int step = 0;
    int atEvent = 0;
};

class ParallelFilterCalls : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        // The test page filter keeps ".tpg" (its pages fail on demand and add output
        // files); the product's HTML filter, registered last, takes the HTML pages.
        ASSERT_TRUE(leaf::test::RegisterModule("sdktestpages.so"));
        ASSERT_TRUE(leaf::test::RegisterModule("markupintake.so"));
        profile.WriteProfileString("SDK", "TempFolder", (folder / "work").c_str());
        profile.WriteProfileInt("SDK", "FriendlyTempFolder", 1);
    }
    void TearDown() override { unsetenv("LEAF_FILTER_WORKERS"); }

    // A book of linked chapters (each long enough for many progress events), a contents
    // page, a picture, and test pages: `failing` ones fail to convert, and two in one
    // folder add the same output file (the second one is refused). With `illFormedAt`,
    // a test page whose converted page is not well formed (an end tag without its start)
    // stands before that chapter.
    void MakeBook(int chapters, const std::vector<int>& failing = {}, int illFormedAt = 0) {
        std::string contents = "<html><body><h1>Contents</h1>";
        for (int i = 1; i <= chapters; ++i) {
            const std::string name = "chapter" + std::to_string(i) + ".html";
            contents += "<p><a href=\"" + name + "\">Chapter " + std::to_string(i) + "</a></p>";
            std::string page = "<html><head><title>Chapter " + std::to_string(i) +
                               "</title></head><body><img src=\"pic.gif\">";
            if (i > 1)
                page += "<a href=\"chapter" + std::to_string(i - 1) + ".html\">back</a>";
            if (i < chapters)
                page += "<a href=\"chapter" + std::to_string(i + 1) + ".html\">next</a>";
            for (int paragraph = 0; paragraph < 20; ++paragraph)
                page += "<p>Paragraph " + std::to_string(paragraph) + " of chapter " + std::to_string(i) +
                        ", with <b>some</b> words &amp; an entity.</p>\n";
            page += "</body></html>\n";
            if (i == illFormedAt)
                spine.push_back(Source("book/broken.tpg", "a page that ends </div> what it never began"));
            spine.push_back(Source("book/" + name, page));
        }
        contents += "</body></html>\n";
        spine.insert(spine.begin(), Source("book/toc.html", contents));
        Source("book/pic.gif", leaf::test::OnePixelGif());
        for (int i = 1; i <= 3; ++i) {
            const bool fails = std::find(failing.begin(), failing.end(), i) != failing.end();
            spine.push_back(Source("book/notes/note" + std::to_string(i) + ".tpg",
                                   std::string(fails ? "CONVERT-FAILS " : "") + (i <= 2 ? "ADDS-OUTPUT " : "") +
                                       "a note"));
        }
    }

    // Prepares and builds the book in a new control with `workers` workers.
    RunSeen Run(int workers, Intervention intervention = {}) {
        setenv("LEAF_FILTER_WORKERS", std::to_string(workers).c_str(), 1);
        SdkControl run = SdkControl::Create();
        EXPECT_TRUE(run.Initialize());
        leaf::ComPtr<EventSink> sink(new EventSink());
        run.Advise(sink.Get());
        RunSeen seen;
        const std::thread::id client = std::this_thread::get_id();
        int stepEvents = 0;
        sink->handler = [&](const std::string& event) {
            if (std::this_thread::get_id() != client)
                seen.eventsOnClientThread = false;
            if (intervention.action == Intervention::Action::Abort &&
                event.rfind("progress ", 0) == 0 &&
                event.find(" " + std::to_string(intervention.step) + " ", 9) != std::string::npos &&
                ++stepEvents == intervention.atEvent)
                run.CallBool(sdkdispid::AbortBuild);
        };
        for (const std::string& page : spine)
            EXPECT_TRUE(run.AddSourceFile(page, LCF_SPINE));
        seen.prepared = run.PrepareEBook();
        if (seen.prepared) {
            const std::string eBook = folder / "out/book.lit";
            fs::create_directories(folder / "out");
            seen.built = run.BuildEBook({Variant(eBook), Variant("")});
        }
        seen.errorCode = run.ErrorCode();
        seen.errorDetails = run.ErrorDetails();
        seen.events = sink->events;
        leaf::ReadFileBytes(folder / "work/book/book.opf", seen.package);
        seen.package = std::regex_replace(seen.package, std::regex("\\{[0-9A-F-]{36}\\}"), "{GUID}");
        for (auto& [name, bytes] : leaf::test::UnpackEBook(folder / "out/book.lit"))
            seen.eBook[name] = WithoutBuildIdentity(bytes);
        if (fs::exists(folder / "work/book"))
            for (const auto& entry : fs::recursive_directory_iterator(folder / "work/book"))
                if (entry.is_regular_file() && entry.path().extension() != ".opf")
                    leaf::ReadFileBytes(entry.path().string(),
                                        seen.workFiles[fs::relative(entry.path(), folder / "work/book").string()]);
        std::error_code ignored;
        fs::remove_all(folder / "work", ignored);
        fs::remove_all(folder / "out", ignored);
        return seen;
    }

    std::vector<std::string> spine;
    leaf::Profile profile{"Tallbrook Systems, Inc.", "Leafcraft"};
};

TEST_F(ParallelFilterCalls, AWholeBuildFiresTheSameEventsAndWritesTheSamePackage) {
    MakeBook(24);
    const RunSeen serial = Run(1);
    ASSERT_TRUE(serial.built) << serial.errorCode << " " << serial.errorDetails;
    ASSERT_GT(serial.events.size(), 200u);  // pages step their progress as they are read
    EXPECT_NE(std::string::npos, serial.package.find("chapter24.html"));
    EXPECT_EQ(1u, serial.workFiles.count("chapter24.html"));
    for (int workers : {2, 4, 8}) {
        const RunSeen parallel = Run(workers);
        EXPECT_EQ(serial.events, parallel.events) << workers << " workers";
        EXPECT_EQ(serial.package, parallel.package) << workers << " workers";
        EXPECT_EQ(serial.workFiles, parallel.workFiles) << workers << " workers";
        EXPECT_EQ(serial.eBook, parallel.eBook) << workers << " workers";
        EXPECT_TRUE(parallel.eventsOnClientThread);
    }
    // The e-book holds every page, as the compiler was given it.
    ASSERT_EQ(1u, serial.eBook.count("chapter24.html"));
    EXPECT_NE(std::string::npos, serial.eBook.at("chapter24.html").find("Paragraph 19 of chapter 24"));
}

// Aborting at a progress event inside a page: the filter sees the abort there and stops
// as it would on the client's thread (the HTML filter fires one more event then).
TEST_F(ParallelFilterCalls, AnAbortInsideAPageEndsTheRunAsBefore) {
    MakeBook(16);
    const RunSeen whole = Run(1);
    ASSERT_TRUE(whole.built);
    for (const Intervention intervention : {Intervention{Intervention::Action::Abort, 1, 40},
                                            Intervention{Intervention::Action::Abort, 2, 3},
                                            Intervention{Intervention::Action::Abort, 2, 150},
                                            Intervention{Intervention::Action::Abort, 3, 2},
                                            Intervention{Intervention::Action::Abort, 3, 45},
                                            Intervention{Intervention::Action::Abort, 3, 160}}) {
        const RunSeen serial = Run(1, intervention);
        EXPECT_FALSE(serial.built);
        EXPECT_EQ(LCERR_ABORTED, serial.errorCode);
        EXPECT_LT(serial.events.size(), whole.events.size());
        const RunSeen parallel = Run(4, intervention);
        EXPECT_EQ(serial, parallel) << "abort at event " << intervention.atEvent << " of step " << intervention.step;
        EXPECT_TRUE(parallel.eventsOnClientThread);
    }
}

// A page whose converted form is not well formed stops the compile step at that page,
// with the encoder's message, also when the pages after it were encoded ahead.
TEST_F(ParallelFilterCalls, APageThatFailsToEncodeEndsTheBuildThereAsBefore) {
    MakeBook(12, {}, 4);
    const RunSeen serial = Run(1);
    EXPECT_FALSE(serial.built);
    EXPECT_EQ(LCERR_ENCODEHTML, serial.errorCode);
    EXPECT_NE(std::string::npos, serial.errorDetails.find("is not well-formed")) << serial.errorDetails;
    EXPECT_NE(std::string::npos, serial.errorDetails.find("broken")) << serial.errorDetails;
    for (int workers : {2, 8}) {
        const RunSeen parallel = Run(workers);
        EXPECT_EQ(serial, parallel) << workers << " workers";
        EXPECT_TRUE(parallel.eventsOnClientThread);
    }
}

TEST_F(ParallelFilterCalls, TheFirstFailingPageIsTheErrorAndNothingAfterItIsReported) {
    MakeBook(10, {2, 3});
    const RunSeen serial = Run(1);
    EXPECT_FALSE(serial.built);
    EXPECT_EQ(LCERR_CONVERTFAIL, serial.errorCode);
    EXPECT_EQ((folder / "book/notes/note2.tpg") + ": cannot convert", serial.errorDetails);
    const RunSeen parallel = Run(4);
    EXPECT_EQ(serial, parallel);
}

}  // namespace
}  // namespace sdktest
