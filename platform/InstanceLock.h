#pragma once

#include <QString>

namespace jvz {

// Tells whether another process of the program runs, through an advisory lock that the system frees when
// its holder dies, so a crashed instance never blocks the next start.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result {
        Acquired,      // this process now holds the lock
        HeldElsewhere, // another live process holds it
        Unavailable,   // the lock file cannot be opened: nothing can be told
    };
    // Takes the lock on the file (created when missing). Calling again while held answers Acquired.
    Result acquire(const QString& path);
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace jvz
