#pragma once

#include <QObject>

class QSocketNotifier;

namespace jvz {

// SIGINT, SIGTERM and SIGHUP, as the thread that owns this object learns of them: the first is reported once,
// by stopAsked, from that thread's event loop (or from any wait that serves its sockets), so the program ends
// its run in order; a second one ends the process at once, its temporary files removed. Gone, the signals end
// the process again (as they do a program that never made one).
class StopSignals final : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // The signal reported, or 0 before any.
    int received() const { return m_received; }

signals:
    void stopAsked(int signal);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
    int m_fd = -1;
    int m_received = 0;
};

} // namespace jvz
