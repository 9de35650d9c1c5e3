// A page encoded into a recording (as a worker encodes it) and replayed on the compiler's
// stream and the control's host gives what encoding the page there directly gives: the
// same calls, lines, progress, error details and result, also where the stream refuses a
// call or the host answers an abort part of the way through the page.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "sdk/compiler/IntermediateEncoder.h"
#include "sdk/compiler/MarkupCallRecording.h"
#include "tests/sdk/compiler/RecordingStreams.h"
#include "tests/support/TempFolder.h"

namespace compilertest {
namespace {

// What the live side saw of one encoding.
struct Seen {
    BOOL result = FALSE;
    std::string out;
    std::vector<LONG> lines;
    LONG lastLine = 0;
    std::vector<LONG> steps;
    std::string details;
    int textCalls = 0;
};

class MarkupCallRecording : public ::testing::Test {
protected:
    // The live stream refuses its n-th text; the host answers an abort from its n-th step.
    struct Live {
        int failTextAt = -1;
        size_t abortAtStep = 0;
    };

    BOOL Encode(IMarkupStream& stream, IFilterHost& host, LONG* lineOut) const {
        CIntermediateEncoder encoder(&host, &outside, &converted);
        encoder.SetLinkAttributes(u"rel='stylesheet' href='fonts.css' type='text/css' /");
        return encoder.EncodeFile(CString(path), &stream, lineOut);
    }

    // Encodes the page straight into a live stream and host.
    Seen Direct(Live live) const {
        Seen seen;
        leaf::ComPtr<RecordingMarkupStream> stream(new RecordingMarkupStream());
        RecordingHost host;
        Prepare(live, *stream, host, &seen.lastLine);
        seen.result = Encode(*stream, host, &seen.lastLine);
        return Collect(seen, *stream, host);
    }

    // Encodes the page into a recording, then replays that on a live stream and host.
    Seen Replayed(Live live, bool* complete = nullptr) const {
        std::atomic<bool> stop{false};
        CMarkupCallRecording recording(stop);
        const BOOL recorded = Encode(recording.Stream(), recording.Host(), recording.LineOut());
        if (complete != nullptr)
            *complete = recording.IsComplete();
        Seen seen;
        leaf::ComPtr<RecordingMarkupStream> stream(new RecordingMarkupStream());
        RecordingHost host;
        Prepare(live, *stream, host, &seen.lastLine);
        seen.result = recording.Replay(*stream, host, &seen.lastLine, recorded,
                                       [&](IMarkupStream& continued, IFilterHost& continuedHost, LONG* line) {
                                           return Encode(continued, continuedHost, line);
                                       });
        return Collect(seen, *stream, host);
    }

    static void Prepare(const Live& live, RecordingMarkupStream& stream, RecordingHost& host, const LONG* lineOut) {
        stream.lineOut = lineOut;
        stream.failTextAt = live.failTextAt;
        if (live.abortAtStep > 0)
            host.onStep = [&host, live] { host.abort = host.steps.size() >= live.abortAtStep; };
    }

    static Seen Collect(Seen seen, const RecordingMarkupStream& stream, const RecordingHost& host) {
        seen.out = stream.out;
        seen.lines = stream.lines;
        seen.steps = host.steps;
        seen.details = host.details;
        seen.textCalls = stream.textCalls;
        return seen;
    }

    void ExpectSame(const Seen& expected, const Seen& actual) const {
        EXPECT_EQ(expected.result, actual.result);
        EXPECT_EQ(expected.out, actual.out);
        EXPECT_EQ(expected.lines, actual.lines);
        EXPECT_EQ(expected.lastLine, actual.lastLine);
        EXPECT_EQ(expected.steps, actual.steps);
        EXPECT_EQ(expected.details, actual.details);
        EXPECT_EQ(expected.textCalls, actual.textCalls);
    }

    leaf::test::TempFolder folder;
    CIntermediateEncoder::WorkPathMap outside;
    CIntermediateEncoder::WorkPathMap converted{{"b.txt", "b.htm"}};
    std::string path;
};

TEST_F(MarkupCallRecording, AReplayGivesWhatEncodingThePageThereGives) {
    std::string page = "<html>\n<body class='c'>\n";
    for (int i = 0; i < 40; ++i)
        page += "<p id='p" + std::to_string(i) + "'>Some words &amp; more <a href='b.txt'>of them</a><br></p>\n";
    path = folder.WriteFile("page.htm", page + "</body>\n</html>\n");
    const Seen direct = Direct({});
    ASSERT_TRUE(direct.result) << direct.details;
    ASSERT_GT(direct.steps.size(), 10u);
    EXPECT_NE(std::string::npos, direct.out.find("<a href=b.htm>of them</>"));
    bool complete = false;
    ExpectSame(direct, Replayed({}, &complete));
    EXPECT_TRUE(complete);
}

// Where the live side answers otherwise, the page is encoded again from that point: the
// calls made already are not made twice, and what follows is what the encoder does there.
TEST_F(MarkupCallRecording, WhereTheLiveSideAnswersOtherwiseTheReplayEndsAsEncodingThereEnds) {
    std::string page = "<html><body>\n";
    for (int i = 0; i < 30; ++i)
        page += "<p>Paragraph " + std::to_string(i) + " with enough words to step the progress</p>\n";
    path = folder.WriteFile("page.htm", page + "</body></html>\n");
    for (const Live live : {Live{3, 0}, Live{17, 0}, Live{-1, 1}, Live{-1, 9}, Live{5, 4}}) {
        const Seen direct = Direct(live);
        EXPECT_FALSE(direct.result);
        ExpectSame(direct, Replayed(live));
    }
}

TEST_F(MarkupCallRecording, AnErrorOfThePageIsReplayedWithItsDetails) {
    path = folder.WriteFile("page.htm", "<html><body>\n<p>text</div>\n</body></html>\n");
    const Seen direct = Direct({});
    EXPECT_FALSE(direct.result);
    EXPECT_NE(std::string::npos, direct.details.find("is not properly closed prior to the \"</div>\" tag on line 2"));
    ExpectSame(direct, Replayed({}));
}

// A call the recording does not keep leaves it incomplete: the page is then encoded on the
// client's thread instead.
TEST_F(MarkupCallRecording, ACallItDoesNotKeepLeavesItIncomplete) {
    std::atomic<bool> stop{false};
    CMarkupCallRecording recording(stop);
    EXPECT_EQ(S_OK, recording.Stream().WriteText(u"a", 1));
    EXPECT_TRUE(recording.IsComplete());
    EXPECT_TRUE(FAILED(recording.Stream().WriteComment(u"note", 4)));
    EXPECT_FALSE(recording.IsComplete());

    CMarkupCallRecording second(stop);
    stop = true;  // nobody will replay it: progress answers an abort
    EXPECT_EQ(E_ABORT, second.Host().StepProgress(1));
    EXPECT_TRUE(FAILED(second.Host().AddDependency(u"x", nullptr)));
    EXPECT_FALSE(second.IsComplete());
}

}  // namespace
}  // namespace compilertest
