#pragma once

// How live the window's thread stays: a 10 ms timer of that thread and the gaps between its ticks. A gap the
// machine caused (the processor did not run the thread at all, a loaded host) is not held against the window:
// a thread on the same processor wakes every 2 ms, and its silences are taken off.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <utility>
#include <vector>

namespace jvztest {

// A thread that only wakes every 2 ms, on the processor the calling thread is held to meanwhile: when it too
// stayed silent, that processor did not run. Times in ms of the given clock.
class MachineWakeups {
public:
    explicit MachineWakeups(const QElapsedTimer& clock) : m_clock(clock)
    {
        const int cpu = sched_getcpu();
        CPU_ZERO(&m_one);
        CPU_SET(cpu < 0 ? 0 : cpu, &m_one);
        pthread_getaffinity_np(pthread_self(), sizeof(m_before), &m_before);
        pthread_setaffinity_np(pthread_self(), sizeof(m_one), &m_one);
        m_thread = std::thread([this] {
            pthread_setaffinity_np(pthread_self(), sizeof(m_one), &m_one);
            while (!m_stop.load()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                const std::lock_guard lock(m_mutex);
                m_times.push_back(m_clock.elapsed());
            }
        });
    }
    ~MachineWakeups()
    {
        m_stop.store(true);
        m_thread.join();
        pthread_setaffinity_np(pthread_self(), sizeof(m_before), &m_before);
    }
    MachineWakeups(const MachineWakeups&) = delete;
    MachineWakeups& operator=(const MachineWakeups&) = delete;

    // The longest stretch inside [from, to] without a wake-up of this thread.
    qint64 longestSilence(qint64 from, qint64 to)
    {
        const std::lock_guard lock(m_mutex);
        qint64 previous = from;
        qint64 longest = 0;
        for (const qint64 t : m_times) {
            if (t <= from)
                continue;
            longest = std::max(longest, std::min(t, to) - previous);
            previous = t;
            if (t >= to)
                return longest;
        }
        return std::max(longest, to - previous);
    }

private:
    const QElapsedTimer& m_clock;
    cpu_set_t m_one;
    cpu_set_t m_before;
    std::mutex m_mutex;
    std::vector<qint64> m_times;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Ticks on the calling thread every 10 ms from construction until stop().
class WindowTicks {
public:
    WindowTicks()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            if (m_last >= 0)
                m_gaps.emplace_back(m_last, now);
            m_last = now;
        });
        m_timer.start(10);
    }

    // Ms since construction.
    qint64 elapsed() const { return m_clock.elapsed(); }
    // The wait up to the next tick is not the window's (a photograph, a box the test answers).
    void forgetLastTick() { m_last = -1; }
    void stop() { m_timer.stop(); }

    std::size_t ticks() const { return m_gaps.size(); }
    qint64 longestRawGap() const
    {
        qint64 longest = 0;
        for (const auto& [from, to] : m_gaps)
            longest = std::max(longest, to - from);
        return longest;
    }
    // The longest gap less what the machine took of it.
    qint64 longestGap()
    {
        qint64 longest = 0;
        for (const auto& [from, to] : m_gaps) {
            const qint64 gap = to - from - m_machine.longestSilence(from, to);
            if (gap > longest) {
                longest = gap;
                m_longestFrom = from;
            }
        }
        return longest;
    }
    // Where the longest gap began (ms since construction), once longestGap() has run.
    qint64 longestGapFrom() const { return m_longestFrom; }

private:
    static QElapsedTimer started()
    {
        QElapsedTimer t;
        t.start();
        return t;
    }

    QElapsedTimer m_clock = started();
    MachineWakeups m_machine{m_clock};
    QTimer m_timer;
    qint64 m_last = -1;
    qint64 m_longestFrom = -1;
    std::vector<std::pair<qint64, qint64>> m_gaps; // (from, to) between two ticks
};

} // namespace jvztest
