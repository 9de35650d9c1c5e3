// A preparation as a client sees it: the exact events with the pump after each, the
// files that end up missing or external, aborts and other calls made from event
// handlers while the preparation runs.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

using leaf::Variant;

class SdkPrepare : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        ASSERT_TRUE(control.Initialize());
        sink = leaf::ComPtr<EventSink>(new EventSink());
        control.Advise(sink.Get());
    }

    std::string Prepared(const std::string& path) const { return "message 1 0 prepare|" + path + " 0"; }

    leaf::ComPtr<EventSink> sink;
};

TEST_F(SdkPrepare, FiresTheExactEventsAndPumpsAfterEach) {
    std::string page = Source("book/a.src", "dep pic.gif\n");
    Source("book/pic.gif", "GIF89a");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));

    int pumpsBefore = PumpCount();
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    const std::vector<std::string> expected = {"progress 0 1 ", "progress 0 1 a.src", Prepared(page),
                                               "progress 100 1 "};
    EXPECT_EQ(expected, sink->events);
    // Once at the start, then once after every event.
    EXPECT_EQ(1 + static_cast<int>(expected.size()), PumpCount() - pumpsBefore);
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
    EXPECT_TRUE(control.Collection(sdkdispid::GetExternalFiles).empty());
}

TEST_F(SdkPrepare, SortsReportedFilesIntoMissingAndExternal) {
    leaf::test::TempFolder elsewhere;
    std::string outsidePicture = elsewhere.WriteFile("logo.gif", "GIF89a");
    std::string page = Source("book/a.src", "dep gone.gif\n"
                                            "dep " + outsidePicture + "\n"
                                            "dep " + elsewhere / "absent.gif" + "\n"
                                            "dep " + elsewhere / "page.htm" + "\n"
                                            "dep http://web.example/p.htm\n"
                                            "dep ftp://files.example/f.txt\n");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));

    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    EXPECT_EQ("", control.ErrorDetails());
    EXPECT_EQ((std::vector<std::string>{folder / "book/gone.gif", elsewhere / "absent.gif"}),
              control.Collection(sdkdispid::GetMissingFiles));
    // The web page's link disappears silently; other schemes and outside pages are external.
    EXPECT_EQ((std::vector<std::string>{elsewhere / "page.htm", "ftp://files.example/f.txt"}),
              control.Collection(sdkdispid::GetExternalFiles));
}

TEST_F(SdkPrepare, LinkedFoldersAreMissingFiles) {
    leaf::test::TempFolder elsewhere;
    std::filesystem::create_directories(elsewhere / "shots.gif");
    Source("book/chapter2/a.htm");
    std::string page = Source("book/a.src", "dep chapter2\n"
                                            "dep " + elsewhere / "shots.gif" + "\n");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));

    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    EXPECT_EQ((std::vector<std::string>{folder / "book/chapter2", elsewhere / "shots.gif"}),
              control.Collection(sdkdispid::GetMissingFiles));
    EXPECT_TRUE(control.Collection(sdkdispid::GetExternalFiles).empty());
}

TEST_F(SdkPrepare, ReportsWhyItCannotStart) {
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NOSPINEFILES, control.ErrorCode());

    std::string first = Source("book/a.src");
    std::string second = Source("book/b.src");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    std::filesystem::remove(first);
    std::filesystem::remove(second);
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_MISSINGSRCFILES, control.ErrorCode());
    EXPECT_EQ(first + "\n" + second, control.ErrorDetails());

    // A folder that took a source's place is no source file either.
    std::filesystem::create_directories(first);
    Source("book/b.src");
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_MISSINGSRCFILES, control.ErrorCode());
    EXPECT_EQ(first, control.ErrorDetails());
}

TEST_F(SdkPrepare, AFailingFilterFailsTheRunWithTheSourcePath) {
    std::string page = Source("book/a.src", "fail\n");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_UNEXPECTED, control.ErrorCode());
    EXPECT_EQ(page + ": filter failed", control.ErrorDetails());  // the filter's own text after the file
    // Not prepared: the lists stay as they were, and a new run can start.
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
}

TEST_F(SdkPrepare, SourceFolderIsTheCommonFolderOfTheSpine) {
    std::string first = Source("book/one/a.src", "folder\n");
    std::string second = Source("book/two/b.src");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    ASSERT_TRUE(control.PrepareEBook());
    EXPECT_EQ("message 2 0 " + folder / "book" + "|" + first + " 0", sink->events.at(3));
    EXPECT_EQ("progress 0 1 one/a.src", sink->events.at(1));
}

TEST_F(SdkPrepare, FilesAreEnteredUnderTheirSpellingOnDisk) {
    std::string page = Source("book/Chapter.SRC", "dep PICS/Cover.gif\n");
    std::string picture = Source("book/pics/cover.GIF", "GIF89a");
    ASSERT_TRUE(control.AddSourceFile(folder / "book/chapter.src", LCF_SPINE));
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());  // the picture was found, so nothing is missing
    EXPECT_EQ(Prepared(page), sink->events.at(2));
}

TEST_F(SdkPrepare, AbortFromAnEventHandlerStopsBeforeTheNextFile) {
    std::string first = Source("book/a.src");
    std::string second = Source("book/b.src");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    std::vector<bool> answers;
    sink->handler = [&](const std::string& event) {
        if (event == "progress 0 1 a.src") {
            answers.push_back(control.CallBool(sdkdispid::AbortBuild));
            answers.push_back(control.CallBool(sdkdispid::AbortBuild));  // already requested
        }
    };
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
    EXPECT_EQ((std::vector<bool>{true, true}), answers);
    EXPECT_EQ((std::vector<std::string>{"progress 0 1 ", "progress 0 1 a.src", Prepared(first)}), sink->events);
}

TEST_F(SdkPrepare, MessagePostedDuringAnEventIsDispatchedBeforeTheRunGoesOn) {
    std::string first = Source("book/a.src");
    std::string second = Source("book/b.src");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    bool dispatched = false;
    sink->handler = [&](const std::string& event) {
        if (event == "progress 0 1 a.src")
            PostMessage([&] {
                dispatched = true;
                control.CallBool(sdkdispid::AbortBuild);
            });
    };
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_TRUE(dispatched);
    EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
}

TEST_F(SdkPrepare, CallsThatWouldPullTheProjectAwayAreRefusedWhileItRuns) {
    std::string page = Source("book/a.src");
    std::string package = Source("book/other.opf", "<package></package>");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    std::vector<std::pair<bool, LONG>> refusals;
    sink->handler = [&](const std::string& event) {
        if (event != "progress 0 1 a.src")
            return;
        bool initialised = control.Initialize();
        refusals.emplace_back(initialised, control.ErrorCode());
        bool imported = control.CallBool(sdkdispid::ImportPackageFile, {Variant(package)});
        refusals.emplace_back(imported, control.ErrorCode());
        bool prepared = control.PrepareEBook();
        refusals.emplace_back(prepared, control.ErrorCode());
    };
    EXPECT_TRUE(control.PrepareEBook());
    // The run's own result is what the client reads afterwards.
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    const std::vector<std::pair<bool, LONG>> expected(3, {false, LCERR_UNEXPECTED});
    EXPECT_EQ(expected, refusals);
    EXPECT_EQ(Prepared(page), sink->events.at(2));
}

TEST_F(SdkPrepare, FilesAddedFromAHandlerAreScannedToo) {
    std::string first = Source("book/a.src");
    std::string added = Source("book/c.src");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    sink->handler = [&](const std::string& event) {
        if (event == "progress 0 1 a.src") {
            EXPECT_TRUE(control.AddSourceFile(added, LCF_SPINE));
        }
    };
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ((std::vector<std::string>{"progress 0 1 ", "progress 0 1 a.src", Prepared(first), "progress 0 1 c.src",
                                        Prepared(added), "progress 100 1 "}),
              sink->events);
}

TEST_F(SdkPrepare, ClientReleasingTheControlFromAHandlerDoesNotEndTheRun) {
    std::string page = Source("book/a.src");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    IDispatch* raw = control.Get();
    raw->AddRef();  // the reference the call below is made through
    sink->handler = [&](const std::string& event) {
        if (event == "progress 0 1 a.src") {
            control.Release();
            raw->Release();  // the client now holds nothing
        }
    };
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    EXPECT_EQ(S_OK, raw->Invoke(sdkdispid::PrepareEBook, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr,
                                nullptr));
    EXPECT_EQ(VT_BOOL, result.vt);
    EXPECT_NE(VARIANT_FALSE, result.boolVal);
    EXPECT_EQ(4u, sink->events.size());
}

TEST_F(SdkPrepare, FileReAddedAfterBeingDroppedAsMissingReachesTheReadingOrder) {
    std::string first = Source("book/a.src", "dep b.src\n");
    ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    EXPECT_TRUE(control.PrepareEBook());
    std::string second = folder / "book/b.src";
    EXPECT_EQ(std::vector<std::string>{second}, control.Collection(sdkdispid::GetMissingFiles));

    Source("book/b.src");
    ASSERT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    sink->events.clear();
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ((std::vector<std::string>{"progress 0 1 ", "progress 0 1 a.src", Prepared(first), "progress 0 1 b.src",
                                        Prepared(second), "progress 100 1 "}),
              sink->events);
}

TEST_F(SdkPrepare, SameFileTwiceInTheSpineIsScannedTwice) {
    std::string page = Source("book/a.src");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(Prepared(page), sink->events.at(2));
    EXPECT_EQ(Prepared(page), sink->events.at(4));
}

TEST_F(SdkPrepare, GuidePagesOutsideTheSpineAreScannedAfterIt) {
    std::string contents = Source("book/toc.page");
    std::string chapter = Source("book/a.src");
    ASSERT_TRUE(control.AddSourceFile(contents, LCF_HTML_GUIDE_ITEM));
    ASSERT_TRUE(control.AddSourceFile(chapter, LCF_SPINE));
    ASSERT_TRUE(control.AddSourceFile(chapter, LCF_HTML_GUIDE_ITEM));  // in the spine: scanned once
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ((std::vector<std::string>{"progress 0 1 ", "progress 0 1 a.src", Prepared(chapter),
                                        "progress 0 1 toc.page", Prepared(contents), "progress 100 1 "}),
              sink->events);
}

// A cancel that the client asks for late in the run is not lost: while the last source
// is read (even when the filter itself goes on to the end), or in the final 100% event,
// which the run lasts until. AbortBuild accepted it, so the run ends as aborted, and the
// build that follows is refused rather than started with the cancel forgotten.
TEST_F(SdkPrepare, ALateAbortEndsTheRunAsAborted) {
    std::string first = Source("book/a.src");
    std::string last = Source("book/b.src", "update 0 1 reading\n");
    for (const std::string abortAt : {"progress 0 1 reading", "progress 100 1 "}) {
        SCOPED_TRACE(abortAt);
        ASSERT_TRUE(control.Initialize());
        ASSERT_TRUE(control.AddSourceFile(first, LCF_SPINE));
        ASSERT_TRUE(control.AddSourceFile(last, LCF_SPINE));
        bool answered = false;
        sink->handler = [&](const std::string& event) {
            if (event == abortAt)
                answered = control.CallBool(sdkdispid::AbortBuild);
        };
        EXPECT_FALSE(control.PrepareEBook());
        EXPECT_TRUE(answered);
        EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
        EXPECT_FALSE(control.CallBool(sdkdispid::BuildEBook, {Variant(folder / "out.lit"), Variant("")}));
        EXPECT_EQ(LCERR_ILLEGAL, control.ErrorCode());  // not prepared
        EXPECT_FALSE(std::filesystem::exists(folder / "out.lit"));
    }
}

// Inside or outside is where a file really is: a link below the source folder that
// leads out of it, to a file or through a linked folder, names an outside file.
TEST_F(SdkPrepare, LinksThatLeadOutOfTheSourceFolderAreOutsideFiles) {
    leaf::test::TempFolder elsewhere;
    const std::string secret = elsewhere.WriteFile("secret.htm", "<p>not part of the book</p>");
    elsewhere.WriteFile("art/logo.gif", "GIF89a");
    Source("book/real.gif", "GIF89a");
    std::filesystem::create_symlink(secret, folder / "book/page.htm");
    std::filesystem::create_symlink(elsewhere / "art", folder / "book/art");
    std::filesystem::create_symlink(folder / "book/real.gif", folder / "book/alias.gif");  // stays inside
    std::string page = Source("book/a.src", "dep page.htm\n"
                                            "dep art/logo.gif\n"
                                            "dep alias.gif\n");
    ASSERT_TRUE(control.AddSourceFile(page, LCF_SPINE));

    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCWARN_INVALIDDEPENDENCIES, control.ErrorCode());
    EXPECT_EQ((std::vector<std::string>{folder / "book/page.htm", folder / "book/art/logo.gif"}),
              control.Collection(sdkdispid::GetExternalFiles));
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
}

// A book reached through a linked folder keeps its own files: they lie inside the
// folder the link leads to.
TEST_F(SdkPrepare, FilesOfABookReachedThroughALinkedFolderStayInside) {
    Source("real/book/pic.gif", "GIF89a");
    Source("real/book/a.src", "dep pic.gif\n");
    std::filesystem::create_symlink(folder / "real/book", folder / "linked");
    ASSERT_TRUE(control.AddSourceFile(folder / "linked/a.src", LCF_SPINE));
    EXPECT_TRUE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_TRUE(control.Collection(sdkdispid::GetExternalFiles).empty());
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
}

// Sources that share no folder but the root: the details name them.
TEST_F(SdkPrepare, SourcesWithoutACommonFolderAreNamed) {
    const std::string top = "/" + std::next(folder.Path().begin())->string();
    std::string other;
    for (const char* candidate : {"/var/tmp", "/dev/shm", "/run"}) {
        if (std::string(candidate).rfind(top, 0) == 0 || access(candidate, W_OK) != 0)
            continue;
        std::string pattern = std::string(candidate) + "/leaf-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) {
            other = pattern;
            break;
        }
    }
    if (other.empty())
        GTEST_SKIP() << "no writable folder outside " << top;
    const std::string first = Source("book/a.src");
    const std::string second = other + "/b.src";
    std::ofstream(second) << "";
    EXPECT_TRUE(control.AddSourceFile(first, LCF_SPINE));
    EXPECT_TRUE(control.AddSourceFile(second, LCF_SPINE));
    EXPECT_FALSE(control.PrepareEBook());
    EXPECT_EQ(LCERR_NOSOURCEFOLDER, control.ErrorCode());
    EXPECT_EQ(first + "\n" + second, control.ErrorDetails());
    std::filesystem::remove_all(other);
}

}  // namespace
}  // namespace sdktest
