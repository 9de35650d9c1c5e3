// The recording host and the worker pool on their own: a replay makes each call of the
// filter once on the control's host, in order; a call the host answers otherwise makes
// the filter run again from there without repeating what the host has seen; the pool
// hands results over by key and stops what still runs when it goes.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/TextEncoding.h"
#include "platform/com/ComObject.h"
#include "sdk/control/FilterCallRecording.h"
#include "sdk/control/FilterWorkerPool.h"

namespace {

// A host that logs every call and refuses the output files it is told to.
class LoggingHost final : public IFilterHost {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT SetErrorDetails(LPCOLESTR text) override { return Log("details " + leaf::Utf16ToUtf8(text), S_OK); }
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR) override { return Log("dependency " + leaf::Utf16ToUtf8(path), S_OK); }
    HRESULT GetSourceFolder(BSTR* folder) override {
        *folder = SysAllocString(u"/book");
        return Log("folder", S_OK);
    }
    HRESULT StepProgress(LONG units) override { return Log("step " + std::to_string(units), S_OK); }
    HRESULT UpdateProgress(LONG, LONG, LPCOLESTR) override { return Log("update", S_OK); }
    HRESULT AddOutputFile(LPCOLESTR path) override {
        const std::string name = leaf::Utf16ToUtf8(path);
        return Log("output " + name, name == refused ? S_FALSE : S_OK);
    }
    HRESULT Message(LONG, LONG, LONG, LPCOLESTR, LPCOLESTR, LONG) override { return Log("message", S_OK); }

    std::vector<std::string> calls;
    std::string refused;

private:
    HRESULT Log(std::string call, HRESULT answer) {
        calls.push_back(std::move(call));
        return answer;
    }
};

// A filter call that adds an output file and, when the host refuses it, says so.
int g_runs = 0;
HRESULT AddsOutput(IFilterHost& host) {
    ++g_runs;
    host.StepProgress(10);
    BSTR folder = nullptr;
    host.GetSourceFolder(&folder);
    SysFreeString(folder);
    if (host.AddOutputFile(u"extra.css") == S_FALSE)
        host.SetErrorDetails(u"refused");
    host.StepProgress(20);
    return S_OK;
}

TEST(FilterCallRecording, AReplayMakesEachCallOnceInOrderAndReRunsOnlyWhereTheAnswerDiffers) {
    for (const bool refuse : {false, true}) {
        std::atomic<bool> stop{false};
        CFilterCallRecording recording(u"/book", stop);
        g_runs = 0;
        ASSERT_EQ(S_OK, AddsOutput(recording));
        LoggingHost live;
        if (refuse)
            live.refused = "extra.css";
        EXPECT_EQ(S_OK, recording.Replay(live, S_OK, AddsOutput));
        std::vector<std::string> expected = {"step 10", "folder", "output extra.css"};
        if (refuse)
            expected.push_back("details refused");
        expected.push_back("step 20");
        EXPECT_EQ(expected, live.calls) << refuse;
        EXPECT_EQ(refuse ? 2 : 1, g_runs);
    }
}

// A filter object for the pool's workers; the calls below never use it.
class IdleFilter final : public leaf::ComObject<IdleFilter, IInputFilter> {
public:
    HRESULT Initialize() override { return S_OK; }
    HRESULT Prepare(LPCOLESTR, LPCOLESTR, IFilterHost*) override { return E_NOTIMPL; }
    HRESULT Convert(LPCOLESTR, LPCOLESTR, LONG, IFilterHost*) override { return E_NOTIMPL; }
    HRESULT GetSize(LPCOLESTR, LONG, LONG*) override { return E_NOTIMPL; }
};

TEST(FilterWorkerPool, HandsOverResultsByKeyAndStopsWhatRunsWhenItGoes) {
    std::vector<std::vector<leaf::ComPtr<IInputFilter>>> filters(3);
    for (auto& objects : filters)
        objects.emplace_back(new IdleFilter());
    std::atomic<int> stopped{0};
    std::atomic<bool> started{false};
    {
        CFilterWorkerPool pool(std::move(filters), u"/book", 4);
        for (size_t key : {0, 2, 3, 5})
            pool.Submit(key, "job " + std::to_string(key), 0, [key, &stopped, &started](IInputFilter&, IFilterHost& host) {
                if (key == 5) {
                    started = true;
                    // Steps until the pool stops it.
                    while (host.StepProgress(1) == S_OK) {
                    }
                    ++stopped;
                    return E_ABORT;
                }
                host.StepProgress(static_cast<LONG>(key));
                return static_cast<HRESULT>(key);
            });
        EXPECT_EQ(nullptr, pool.Take(1));  // nothing was queued under it
        std::unique_ptr<CFilterWorkerPool::Outcome> outcome = pool.Take(2);
        ASSERT_NE(nullptr, outcome);
        EXPECT_EQ("job 2", outcome->identity);
        EXPECT_EQ(2, outcome->result);
        LoggingHost live;
        EXPECT_EQ(2, outcome->recording->Replay(live, outcome->result, nullptr));
        EXPECT_EQ(std::vector<std::string>{"step 2"}, live.calls);
        // Key 3 is passed over; key 5 still runs when the pool goes.
        while (!started)
            std::this_thread::yield();
    }
    EXPECT_EQ(1, stopped.load());
}

}  // namespace
