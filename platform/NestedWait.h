#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

class QEventLoop;

namespace jvz {

// The one way this program waits inside a call while the thread's events go on (the child program, the
// disconnection and hang-up waits, the copy window's animation, the served folder read, the quit, the FTP
// worker). A wait serves the thread's timers, sockets, input and posted events; it refuses nothing of its own,
// so code it can re-enter guards itself. Every wait has a bound, except a child program's wait, which the
// user's own program ends.
//
// Two kinds, named at the call:
// - Serving: what QCoreApplication::processEvents serves, never inside a nested QEventLoop. An object passed to
//   deleteLater before the wait stays until the caller returns to its loop. The FTP worker's wait and every
//   single pass use it.
// - NestedLoop: a QEventLoop::exec of its own. The application's exit ends it as it ends the main loop; run
//   before any loop (start-up, a test), it deletes what was released before it. An object a handler releases
//   inside the wait may go away meanwhile, in either kind.
enum class WaitKind { Serving, NestedLoop };

// One pass over this thread's pending events, of the serving kind.
void serveEvents();

// Waits for work another thread does: sleepSlice blocks at most one slice and says whether the work is done;
// between slices the thread's events are served (when serve is set and the thread has an event loop) and
// eachSlice runs. The work's own time-outs bound the wait.
void waitServingSlices(std::chrono::milliseconds slice, bool serve,
                       const std::function<bool(std::chrono::milliseconds)>& sleepSlice,
                       const std::function<void()>& eachSlice);

class NestedWait {
public:
    // boundMs < 0: no bound of its own (only a child program's wait); 0: run returns at once.
    NestedWait(WaitKind kind, int boundMs);
    ~NestedWait();
    NestedWait(const NestedWait&) = delete;
    NestedWait& operator=(const NestedWait&) = delete;

    // The bound to the millisecond: a coarse timer may end up to 5 % early.
    NestedWait& precise();
    // Ends once done() holds, asked every pollMs.
    NestedWait& until(std::function<bool()> done, int pollMs);
    template <typename Sender, typename Signal> NestedWait& endsOn(const Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_context, [this] { end(); });
        return *this;
    }

    // Returns true when it ended before its bound.
    bool run();
    // Ends the running wait (from a handler it serves); before run, run returns at once.
    void end();

private:
    WaitKind m_kind;
    int m_boundMs;
    bool m_ended = false;
    bool m_timedOut = false;
    QObject m_context; // owns the connections that end the wait
    QTimer m_bound;
    QTimer m_poll;
    std::function<bool()> m_done;
    QEventLoop* m_loop = nullptr;
};

} // namespace jvz
