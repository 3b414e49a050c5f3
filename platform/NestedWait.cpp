#include "platform/NestedWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace jvz {

void serveEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitServingSlices(std::chrono::milliseconds slice, bool serve,
                       const std::function<bool(std::chrono::milliseconds)>& sleepSlice,
                       const std::function<void()>& eachSlice)
{
    serve = serve && QCoreApplication::instance() && QThread::currentThread()->eventDispatcher();
    while (!sleepSlice(slice)) {
        if (serve)
            serveEvents();
        if (eachSlice)
            eachSlice();
    }
}

NestedWait::NestedWait(WaitKind kind, int boundMs) : m_kind(kind), m_boundMs(boundMs)
{
    m_bound.setSingleShot(true);
    QObject::connect(&m_bound, &QTimer::timeout, &m_context, [this] {
        m_timedOut = true;
        end();
    });
    QObject::connect(&m_poll, &QTimer::timeout, &m_context, [this] {
        if (m_done && m_done())
            end();
    });
}

NestedWait::~NestedWait() = default;

NestedWait& NestedWait::precise()
{
    m_bound.setTimerType(Qt::PreciseTimer);
    return *this;
}

NestedWait& NestedWait::until(std::function<bool()> done, int pollMs)
{
    m_done = std::move(done);
    m_poll.setInterval(pollMs);
    return *this;
}

bool NestedWait::run()
{
    if (m_ended || (m_done && m_done()))
        return true;
    if (m_boundMs == 0)
        return false; // spent already: not one pass
    if (m_boundMs >= 0)
        m_bound.start(m_boundMs);
    if (m_done)
        m_poll.start();
    if (m_kind == WaitKind::NestedLoop) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    } else {
        while (!m_ended)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_bound.stop();
    m_poll.stop();
    return !m_timedOut;
}

void NestedWait::end()
{
    m_ended = true;
    if (m_loop)
        m_loop->quit();
}

} // namespace jvz
