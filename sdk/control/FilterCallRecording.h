#pragma once

// CFilterCallRecording: a filter host that a filter call running on a worker thread
// talks to instead of the control. It keeps every call the filter makes (error details,
// dependencies, progress, output files, messages), with the answer it gave, so that the
// client's thread can later make the same calls on the control's own host, in the same
// order, as if the filter were running there.
//
// The recording answers as the control answers while nothing stops the run: progress
// goes on, files are taken. When the control answers a replayed call otherwise (the
// client asked to abort, a file was known already), the filter would have gone another
// way from there; Replay then runs the filter call again on the client's thread with a
// host that answers the calls already made as they were answered and passes the later
// ones through, so what the client sees is what a call on its own thread would have
// shown. Filters are taken to make the same calls for the same file.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "common/InputFilter.h"

class CFilterCallRecording final : public IFilterHost {
public:
    // sourceFolder: what GetSourceFolder answers. stop: once set, progress answers
    // E_ABORT, so that a call whose result nobody will use ends early.
    CFilterCallRecording(std::u16string sourceFolder, const std::atomic<bool>& stop)
        : m_sourceFolder(std::move(sourceFolder)), m_stop(stop) {}

    CFilterCallRecording(const CFilterCallRecording&) = delete;
    CFilterCallRecording& operator=(const CFilterCallRecording&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }

    HRESULT SetErrorDetails(LPCOLESTR text) override;
    HRESULT AddDependency(LPCOLESTR path, LPCOLESTR mappedPath) override;
    HRESULT GetSourceFolder(BSTR* folder) override;
    HRESULT StepProgress(LONG units) override;
    HRESULT UpdateProgress(LONG percent, LONG step, LPCOLESTR details) override;
    HRESULT AddOutputFile(LPCOLESTR path) override;
    HRESULT Message(LONG reserved, LONG type, LONG code, LPCOLESTR text, LPCOLESTR filePath, LONG line) override;

    // The filter call that ran against this recording, and what it returned.
    using FilterCall = std::function<HRESULT(IFilterHost& host)>;

    // Makes the recorded calls on `live` in order and returns what the recorded filter
    // call returned; when `live` answers a call otherwise, calls `undo` (which takes back
    // what the recorded call left behind, such as its output file) and returns what
    // `call` returns when run again against a host that continues from there.
    HRESULT Replay(IFilterHost& live, HRESULT recordedResult, const FilterCall& call,
                   const std::function<void()>& undo = nullptr) const;

    size_t CallCount() const { return m_calls.size(); }

    enum class Kind { ErrorDetails, Dependency, SourceFolder, Step, Update, OutputFile, Message };
    struct Call {
        Kind kind = Kind::Step;
        HRESULT result = S_OK;
        LONG values[4] = {0, 0, 0, 0};
        std::u16string text;
        std::u16string secondText;
        bool hasText = false;  // null and empty differ for the host
        bool hasSecondText = false;
    };

private:
    HRESULT Record(Call call);

    std::u16string m_sourceFolder;
    const std::atomic<bool>& m_stop;
    std::vector<Call> m_calls;
};
