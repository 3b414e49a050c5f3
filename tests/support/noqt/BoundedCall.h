#pragma once

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

namespace jvztest {

// Runs call on a thread of its own and waits at most boundMs for it. A call still running then is a fault:
// release() is run to free it (a writer opened and closed on the FIFO it waits on) and the call is waited
// for once more, so the test ends either way. Returns the milliseconds the call took, or -1 past the bound.
inline long long boundedCall(const std::function<void()>& call, long long boundMs,
                             const std::function<void()>& release = {})
{
    const auto start = std::chrono::steady_clock::now();
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread worker([call, done] {
        call();
        done->set_value();
    });
    const bool inTime = ended.wait_for(std::chrono::milliseconds(boundMs)) == std::future_status::ready;
    const long long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (!inTime && release)
        release();
    if (inTime || ended.wait_for(std::chrono::seconds(5)) == std::future_status::ready) {
        worker.join();
    } else {
        worker.detach(); // still held: left behind rather than hanging the test
    }
    return inTime ? ms : -1;
}

// Frees a reader blocked in the open of a FIFO that has no writer: a writer comes and goes.
inline void releaseFifo(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
}

// For a call that must run on the test's own thread (a window's): should it still wait on the FIFO after
// afterMs, a writer comes and goes so the test goes on (and fails on the time the call took).
class FifoReleaseLater {
public:
    FifoReleaseLater(std::string path, long long afterMs)
        : m_thread([this, path = std::move(path), afterMs] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::milliseconds(afterMs), [this] { return m_cancelled; }))
                  releaseFifo(path);
          })
    {
    }
    ~FifoReleaseLater()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_cancelled = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    FifoReleaseLater(const FifoReleaseLater&) = delete;
    FifoReleaseLater& operator=(const FifoReleaseLater&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_cancelled = false;
    std::thread m_thread; // last: started once the members it uses are made
};

} // namespace jvztest
