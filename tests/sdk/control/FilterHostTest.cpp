// The host object as a filter uses it during a preparation: progress with its percent
// and abort answer, dependencies, output files, the source folder and messages. The
// test filter reports each host call's result as the code of a message event.

#include <gtest/gtest.h>

#include "tests/sdk/control/SdkTestSupport.h"

namespace sdktest {
namespace {

class SdkFilterHost : public SdkControlTest {
protected:
    void SetUp() override {
        SdkControlTest::SetUp();
        ASSERT_TRUE(control.Initialize());
        sink = leaf::ComPtr<EventSink>(new EventSink());
        control.Advise(sink.Get());
    }

    // Prepares one source with these lines and returns the events after its "prepare".
    std::vector<std::string> EventsOfSource(const std::string& lines) {
        page = Source("book/a.src", lines);
        EXPECT_TRUE(control.AddSourceFile(page, LCF_SPINE));
        control.PrepareEBook();
        std::vector<std::string> events;
        if (sink->events.size() > 3)
            events.assign(sink->events.begin() + 3, sink->events.end());
        return events;
    }

    std::string Message(int type, long code, const std::string& text) const {
        return "message " + std::to_string(type) + " " + std::to_string(code) + " " + text + "|" + page + " 0";
    }

    leaf::ComPtr<EventSink> sink;
    std::string page;
};

TEST_F(SdkFilterHost, StepProgressReportsThePercentOfTheWorkTotal) {
    EXPECT_EQ((std::vector<std::string>{"progress 50 1 a.src", Message(5, 0, "step"), "progress 100 1 a.src",
                                        Message(5, 0, "step"), "progress 100 1 "}),
              EventsOfSource("size 10\nstep 5\nstep 10\n"));  // 15 of 10 units is 100
}

TEST_F(SdkFilterHost, StepProgressWithNoWorkTotalReportsZero) {
    EXPECT_EQ((std::vector<std::string>{"progress 0 1 a.src", Message(5, 0, "step"), "progress 100 1 "}),
              EventsOfSource("size 0\nstep 3\n"));
}

TEST_F(SdkFilterHost, StepProgressAnswersAnAbortRequestedFromTheClient) {
    sink->handler = [&](const std::string& event) {
        if (event == "progress 0 1 a.src")
            control.CallBool(sdkdispid::AbortBuild);
    };
    std::vector<std::string> events = EventsOfSource("step 0\nstep 0\n");
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(Message(5, E_ABORT, "step"), events[1]);
    // The filter gave up because of the abort, and the run says so.
    EXPECT_EQ(LCERR_ABORTED, control.ErrorCode());
}

TEST_F(SdkFilterHost, DependencyReportedTwiceIsEnteredOnce) {
    EventsOfSource("dep gone.gif\ndep gone.gif\ndep GONE.gif\n");
    EXPECT_EQ(std::vector<std::string>{folder / "book/gone.gif"}, control.Collection(sdkdispid::GetMissingFiles));
}

TEST_F(SdkFilterHost, OutputFileIsAddedOnce) {
    std::string sheet = Source("book/extra.css", "p {}");
    std::vector<std::string> events = EventsOfSource("output " + sheet + "\noutput " + sheet + "\n");
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(Message(3, S_OK, "output"), events[0]);
    EXPECT_EQ(Message(3, S_FALSE, "output"), events[1]);
}

TEST_F(SdkFilterHost, MappedDependencyIsKnownByItsNameAndCopiedFromItsFile) {
    leaf::test::TempFolder elsewhere;
    const std::string name = folder / "book/pic.gif";
    EventsOfSource("depmap " + elsewhere / "first.gif" + " " + name + "\n" +
                   "depmap " + elsewhere / "second.gif" + " " + name + "\n" +
                   "dep pic.gif\n");
    // Entered once, under the name, with the file it was found as: that file is missing.
    EXPECT_EQ(std::vector<std::string>{elsewhere / "first.gif"}, control.Collection(sdkdispid::GetMissingFiles));
}

TEST_F(SdkFilterHost, FilesWithoutANameAddNothing) {
    std::vector<std::string> events = EventsOfSource("nameless\n");
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(Message(3, S_FALSE, "output"), events[0]);
    // No nameless item reached the package, so nothing is external or missing.
    EXPECT_EQ(LCERR_NONE, control.ErrorCode());
    EXPECT_TRUE(control.Collection(sdkdispid::GetExternalFiles).empty());
    EXPECT_TRUE(control.Collection(sdkdispid::GetMissingFiles).empty());
}

TEST_F(SdkFilterHost, UpdateProgressPassesItsValuesUnchanged) {
    std::vector<std::string> events = EventsOfSource("update 150 7 hello\n");
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ("progress 150 7 hello", events[0]);
    EXPECT_EQ(Message(4, S_OK, "update"), events[1]);
}

TEST_F(SdkFilterHost, SourceFolderNeedsAPlaceToPutIt) {
    std::vector<std::string> events = EventsOfSource("nullfolder\nfolder\n");
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(Message(6, E_POINTER, "nullfolder"), events[0]);
    EXPECT_EQ("message 2 0 " + folder / "book" + "|" + page + " 0", events[1]);
}

TEST_F(SdkFilterHost, MessagesAreDeliveredWhateverTheirCode) {
    std::vector<std::string> events = EventsOfSource("msg 1103 hello\nmsg 2103 'https://x'\n");
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(Message(9, 1103, "hello"), events[0]);
    EXPECT_EQ(Message(9, 2103, "'https://x'"), events[1]);
}

}  // namespace
}  // namespace sdktest
