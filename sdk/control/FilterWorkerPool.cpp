#include "sdk/control/FilterWorkerPool.h"

#include <algorithm>
#include <cstdlib>

#include "platform/com/ExceptionBarrier.h"

CFilterWorkerPool::CFilterWorkerPool(std::vector<std::vector<leaf::ComPtr<IInputFilter>>> filters,
                                     std::u16string sourceFolder, size_t window)
    : m_filters(std::move(filters)), m_sourceFolder(std::move(sourceFolder)), m_window(std::max<size_t>(window, 1)) {
    try {
        for (size_t worker = 0; worker < m_filters.size(); ++worker)
            m_threads.emplace_back([this, worker] { Work(worker); });
    } catch (...) {
        // Fewer workers than asked for; the ones started do the work.
    }
}

CFilterWorkerPool::~CFilterWorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

size_t CFilterWorkerPool::WorkerCount() {
    if (const char* text = std::getenv("LEAF_FILTER_WORKERS"); text != nullptr && *text != '\0')
        return static_cast<size_t>(std::clamp(std::atol(text), 0L, 64L));
    return std::min<size_t>(std::thread::hardware_concurrency(), 8);
}

void CFilterWorkerPool::Submit(size_t key, std::string identity, size_t filter, Call call) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{key, std::move(identity), filter, std::move(call)});
    }
    m_changed.notify_one();
}

std::unique_ptr<CFilterWorkerPool::Outcome> CFilterWorkerPool::Take(size_t key) {
    std::unique_lock lock(m_mutex);
    // The jobs before this key are passed over: the ones not started never start.
    auto job = std::lower_bound(m_jobs.begin(), m_jobs.end(), key,
                                [](const Job& queued, size_t wanted) { return queued.key < wanted; });
    const size_t index = static_cast<size_t>(job - m_jobs.begin());
    const bool queued = job != m_jobs.end() && job->key == key;
    m_taken = std::max(m_taken, queued ? index + 1 : index);
    m_done.erase(m_done.begin(), m_done.lower_bound(key));
    m_changed.notify_all();
    if (!queued || m_threads.empty())
        return nullptr;
    m_changed.wait(lock, [&] { return m_done.count(key) != 0; });
    std::unique_ptr<Outcome> outcome = std::move(m_done[key]);
    m_done.erase(key);
    return outcome && outcome->recording ? std::move(outcome) : nullptr;
}

void CFilterWorkerPool::Work(size_t worker) {
    for (;;) {
        size_t index = 0;
        Job* job = nullptr;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stop.load() || (m_nextJob < m_jobs.size() && m_nextJob < m_taken + m_window);
            });
            if (m_stop.load())
                return;
            index = m_nextJob++;
            if (index + 1 < m_taken)
                continue;  // passed over while it waited
            job = &m_jobs[index];
        }
        std::unique_ptr<Outcome> outcome;
        try {
            outcome = std::make_unique<Outcome>();
            outcome->identity = job->identity;
            outcome->recording = std::make_unique<CFilterCallRecording>(m_sourceFolder, m_stop);
            IInputFilter& filter = *m_filters[worker][job->filter];
            CFilterCallRecording& host = *outcome->recording;
            outcome->result = leaf::CallWithoutThrowing([&] { return job->call(filter, host); }, E_UNEXPECTED);
        } catch (...) {
            outcome.reset();  // out of memory: the client's thread makes the call itself
        }
        {
            std::lock_guard lock(m_mutex);
            // An empty outcome still tells a waiting Take that the job is over.
            if (index + 1 >= m_taken)
                m_done[job->key] = std::move(outcome);
        }
        m_changed.notify_all();
    }
}
