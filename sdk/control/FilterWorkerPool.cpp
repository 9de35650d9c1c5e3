#include "sdk/control/FilterWorkerPool.h"

#include <algorithm>
#include <cstdlib>

#include "platform/com/ExceptionBarrier.h"

CFilterWorkerPool::CFilterWorkerPool(std::vector<std::vector<leaf::ComPtr<IInputFilter>>> filters,
                                     std::u16string sourceFolder, size_t window)
    : m_filters(std::move(filters)), m_sourceFolder(std::move(sourceFolder)), m_pool(m_filters.size(), window) {}

size_t CFilterWorkerPool::WorkerCount() {
    if (const char* text = std::getenv("LEAF_FILTER_WORKERS"); text != nullptr && *text != '\0')
        return static_cast<size_t>(std::clamp(std::atol(text), 0L, 64L));
    return CWorkAheadPool<Outcome>::ProcessorWorkers();
}

void CFilterWorkerPool::Submit(size_t key, std::string identity, size_t filter, Call call) {
    m_pool.Submit(key, [this, identity = std::move(identity), filter, call = std::move(call)](
                           size_t worker, const std::atomic<bool>& stop) {
        auto outcome = std::make_unique<Outcome>();
        outcome->identity = identity;
        outcome->recording = std::make_unique<CFilterCallRecording>(m_sourceFolder, stop);
        IInputFilter& object = *m_filters[worker][filter];
        CFilterCallRecording& host = *outcome->recording;
        outcome->result = leaf::CallWithoutThrowing([&] { return call(object, host); }, E_UNEXPECTED);
        return outcome;
    });
}
