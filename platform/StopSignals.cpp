#include "StopSignals.h"

#include "platform/posix/SignalCleanup.h"

#include <QSocketNotifier>
#include <unistd.h>

namespace jvz {

StopSignals::StopSignals(QObject* parent) : QObject(parent), m_fd(jvzio::armOrderlyStop())
{
    if (m_fd < 0)
        return; // without the pipe a signal ends the process, its temporary files removed
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
}

StopSignals::~StopSignals()
{
    delete m_notifier;
    if (m_fd >= 0)
        jvzio::disarmOrderlyStop();
}

void StopSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(m_fd, &byte, 1) != 1 || m_received != 0)
        return;
    m_received = byte;
    // Only one signal is ever written: the notifier has nothing more to say.
    m_notifier->setEnabled(false);
    emit stopAsked(m_received);
}

} // namespace jvz
