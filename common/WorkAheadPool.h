#pragma once

// CWorkAheadPool: runs jobs of a sequence ahead of time on worker threads while one
// thread (the one that owns the pool) goes through the sequence in order and takes each
// job's outcome when it reaches it. Jobs are queued under rising keys; a worker starts a
// job only while it lies at most `window` jobs ahead of the last one taken, so the
// outcomes held stay bounded however long the sequence. Jobs the owner passes over
// (takes a later key first) never start, and their outcomes are dropped.
//
// A job gets the number of the worker that runs it and a flag that is set once nobody
// will take its outcome (the pool is going), so that it can end early. A job that throws
// gives no outcome: the owner then does the work itself. Destroying the pool sets the
// flag and waits for the running jobs.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

template <class Outcome>
class CWorkAheadPool {
public:
    using Job = std::function<std::unique_ptr<Outcome>(size_t worker, const std::atomic<bool>& stop)>;

    // Starts `workers` threads (fewer when the system gives fewer).
    CWorkAheadPool(size_t workers, size_t window) : m_window(std::max<size_t>(window, 1)) {
        try {
            for (size_t worker = 0; worker < workers; ++worker)
                m_threads.emplace_back([this, worker] { Work(worker); });
        } catch (...) {
            // Fewer workers than asked for; the ones started do the work.
        }
    }

    ~CWorkAheadPool() {
        {
            std::lock_guard lock(m_mutex);
            m_stop.store(true);
        }
        m_workReady.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    CWorkAheadPool(const CWorkAheadPool&) = delete;
    CWorkAheadPool& operator=(const CWorkAheadPool&) = delete;

    size_t WorkerCount() const { return m_threads.size(); }

    // Queues a job under a key greater than every key queued before.
    void Submit(size_t key, Job job) {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(Queued{key, std::move(job)});
        }
        m_workReady.notify_one();
    }

    // The outcome of the job queued under the key, once it has run; null when no job was
    // queued under it, when no worker runs, or when the job gave none. Keys are taken in
    // rising order.
    std::unique_ptr<Outcome> Take(size_t key) {
        std::unique_lock lock(m_mutex);
        auto job = std::lower_bound(m_jobs.begin(), m_jobs.end(), key,
                                    [](const Queued& queued, size_t wanted) { return queued.key < wanted; });
        const size_t index = static_cast<size_t>(job - m_jobs.begin());
        const bool queued = job != m_jobs.end() && job->key == key;
        const size_t taken = queued ? index + 1 : index;
        // The jobs passed over never start; what they hold goes now.
        for (size_t skipped = m_nextJob; skipped < index; ++skipped)
            m_jobs[skipped].job = nullptr;
        const size_t startableBefore = Startable();
        m_taken = std::max(m_taken, taken);
        m_done.erase(m_done.begin(), m_done.lower_bound(key));
        // Only as many workers wake as there are jobs that may start now.
        const size_t startable = Startable() - std::min(Startable(), startableBefore);
        if (startable == 1)
            m_workReady.notify_one();
        else if (startable > 1)
            m_workReady.notify_all();
        if (!queued || m_threads.empty())
            return nullptr;
        m_jobDone.wait(lock, [&] { return m_done.count(key) != 0; });
        std::unique_ptr<Outcome> outcome = std::move(m_done[key]);
        m_done.erase(key);
        return outcome;
    }

    // The number of workers for a pool of the build: one per processor, at most 8.
    static size_t ProcessorWorkers() { return std::min<size_t>(std::thread::hardware_concurrency(), 8); }

private:
    struct Queued {
        size_t key;
        Job job;
    };

    void Work(size_t worker) {
        for (;;) {
            size_t index = 0;
            size_t key = 0;
            Job job;
            {
                std::unique_lock lock(m_mutex);
                m_workReady.wait(lock, [&] { return m_stop.load() || Startable() > 0; });
                if (m_stop.load())
                    return;
                index = m_nextJob++;
                if (index + 1 < m_taken)
                    continue;  // passed over while it waited
                key = m_jobs[index].key;
                job = std::move(m_jobs[index].job);
                m_jobs[index].job = nullptr;
            }
            std::unique_ptr<Outcome> outcome;
            try {
                if (job)
                    outcome = job(worker, m_stop);
            } catch (...) {
                outcome.reset();  // the owner does the work itself
            }
            job = nullptr;  // what the job held goes before the owner is told
            {
                std::lock_guard lock(m_mutex);
                // An empty outcome still tells a waiting Take that the job is over; one
                // passed over meanwhile is dropped.
                if (index + 1 >= m_taken)
                    m_done[key] = std::move(outcome);
            }
            m_jobDone.notify_one();  // the owner, when it waits
        }
    }

    // How many queued jobs a worker may start now. Called with the mutex held.
    size_t Startable() const {
        const size_t bound = std::min(m_jobs.size(), m_taken + m_window);
        return bound > m_nextJob ? bound - m_nextJob : 0;
    }

    const size_t m_window;
    std::mutex m_mutex;
    std::condition_variable m_workReady;  // workers wait for a job they may start
    std::condition_variable m_jobDone;    // the owner waits for the job it takes
    std::deque<Queued> m_jobs;  // a deque: entries keep their places while more are queued
    size_t m_nextJob = 0;       // index in m_jobs of the next job a worker starts
    size_t m_taken = 0;         // index in m_jobs after the last job taken
    std::map<size_t, std::unique_ptr<Outcome>> m_done;  // by key
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};
