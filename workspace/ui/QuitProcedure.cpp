#include "QuitProcedure.h"

#include "core/MBApplications.h"
#include "core/MBLanguages.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace jvz {

QString QuitProcedure::label(const char* key) const
{
    return m_parts.language.GetFormLabel(QLatin1String(key));
}

bool QuitProcedure::linkDown() const
{
    return !m_parts.linkState || m_parts.linkState() == kLinkStateDown;
}

bool QuitProcedure::run()
{
    const bool busy = m_parts.busy && m_parts.busy();
    if (busy || m_quitting) {
        QApplication::beep();
        if (busy)
            m_parts.trace(label("MSG_BusyNoQuit"));
        return false;
    }
    if (m_parts.notifier.message(label("Sur"), label("Quitter"), MessageIcon::Information, MessageButtons::YesNo,
                                 m_parts.owner) != MessageAnswer::Yes)
        return false;
    m_quitting = true;
    m_parts.saveEnvironment();
    if (!linkDown()) {
        m_parts.takeLinkDown();
        waitForLinkDown();
    }
    if (MBApplications* child = m_parts.childProgram ? m_parts.childProgram() : nullptr; child && child->AppIsRunning())
        child->AppTerminate(0);
    return true;
}

// The window's events go on meanwhile; the wait ends when the link is down or the time is up.
void QuitProcedure::waitForLinkDown()
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (linkDown() || clock.elapsed() >= m_parts.linkDownWaitMs)
            loop.quit();
    });
    poll.start();
    if (!linkDown() && m_parts.linkDownWaitMs > 0)
        loop.exec();
    if (!linkDown())
        m_parts.trace(label("MSG_LinkStillUp"));
}

} // namespace jvz
