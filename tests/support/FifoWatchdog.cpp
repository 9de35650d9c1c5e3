#include "tests/support/FifoWatchdog.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace leaf::test {

FifoWatchdog::FifoWatchdog(std::string fifo, std::chrono::seconds limit)
    : m_fifo(std::move(fifo)), m_thread([this, limit] { Watch(limit); }) {}

FifoWatchdog::~FifoWatchdog() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    m_thread.join();
}

bool FifoWatchdog::Fired() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_fired;
}

void FifoWatchdog::Watch(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_stopped.wait_for(lock, limit, [this] { return m_stop; }))
        return;
    m_fired = true;
    // A writer that opens without blocking is refused (ENXIO) while no reader waits; each
    // one that does get in lets one waiting open return.
    while (!m_stopped.wait_for(lock, std::chrono::milliseconds(50), [this] { return m_stop; })) {
        const int writer = ::open(m_fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
    }
}

}  // namespace leaf::test
