#pragma once

// A guard for calls that must never wait on a FIFO. Were such a call to open the FIFO, it
// would wait for a writer for ever and hang the test instead of failing it. While the
// watchdog lives it waits; once its time is up it acts as a writer with nothing to say,
// opening the FIFO's other end and closing it again (over and over, for each open that
// waits), so a blocked open returns and reads nothing. The test then fails on Fired()
// instead of hanging. The FIFO is left as it was.
//
//   leaf::test::FifoWatchdog watchdog(fifo);
//   CallThatMustNotOpen(fifo);
//   EXPECT_FALSE(watchdog.Fired()) << "the call waited on the FIFO";

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace leaf::test {

class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string fifo, std::chrono::seconds limit = std::chrono::seconds(30));
    ~FifoWatchdog();
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

    // True once the time was up while the guarded call still ran.
    bool Fired() const;

private:
    void Watch(std::chrono::seconds limit);

    std::string m_fifo;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    bool m_fired = false;
    std::thread m_thread;
};

}  // namespace leaf::test
