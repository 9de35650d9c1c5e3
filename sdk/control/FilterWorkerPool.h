#pragma once

// CFilterWorkerPool: runs filter calls of a run (preparing or converting the book's
// files) ahead of time on worker threads, each worker with filter objects of its own,
// while the client's thread goes through the files in order and takes each result when
// it reaches its file. A result is a recording of the calls the filter made on its host
// (see CFilterCallRecording), which the client's thread replays on the control's host,
// so that every event is still fired there and in the order of the files.
//
// At most `window` calls run or wait ahead of the one the client's thread takes last
// (CWorkAheadPool), so the recordings held stay bounded whatever the size of the book.
// Destroying the pool stops the calls that are running (their progress answers abort)
// and waits for them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "common/WorkAheadPool.h"
#include "platform/com/Unknown.h"
#include "sdk/control/FilterCallRecording.h"

class CFilterWorkerPool {
public:
    // A filter call: what it does with its filter and host.
    using Call = std::function<HRESULT(IInputFilter& filter, IFilterHost& host)>;

    struct Outcome {
        std::string identity;  // what the call was for (the job's identity)
        HRESULT result = E_FAIL;
        std::unique_ptr<CFilterCallRecording> recording;
    };

    // filters[w][s]: worker w's own object of filter s (one list per worker, all of the
    // same length).
    CFilterWorkerPool(std::vector<std::vector<leaf::ComPtr<IInputFilter>>> filters, std::u16string sourceFolder,
                      size_t window);

    // Queues a call for filter s under a key; keys rise with every call queued.
    void Submit(size_t key, std::string identity, size_t filter, Call call);

    // The outcome of the call queued under the key, once it has run; null when none was.
    // Keys are taken in rising order.
    std::unique_ptr<Outcome> Take(size_t key) { return m_pool.Take(key); }

    // The number of workers a pool of the build gets (the filter calls' and the compile
    // step's): one per processor, at most 8; the environment variable LEAF_FILTER_WORKERS
    // sets another number (1 runs every call on the client's thread, as tests and
    // benchmarks compare). 0 or 1 means no pool.
    static size_t WorkerCount();

private:
    const std::vector<std::vector<leaf::ComPtr<IInputFilter>>> m_filters;
    const std::u16string m_sourceFolder;
    CWorkAheadPool<Outcome> m_pool;  // last: its workers end before the filters go
};
