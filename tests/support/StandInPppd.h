#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace jvztest {

// Puts the stand-in pppd (tests/support/standin/pppd) first on PATH for the life of the object, with
// /usr/sbin left out so the machine's real pppd can never be found, and records what the stand-in saw.
class StandInPppd {
public:
    StandInPppd();
    ~StandInPppd();
    StandInPppd(const StandInPppd&) = delete;
    StandInPppd& operator=(const StandInPppd&) = delete;

    // "up", "up-ignore-term", "hang" or "fail:N" (see the script).
    void setMode(const QString& mode);
    QString recordFolder() const { return m_record; }

    // What the last started stand-in recorded; empty before any start.
    QStringList arguments() const;
    QByteArray optionsFile() const;
    QString optionsMode() const;
    long long pid() const;
    bool receivedTerm() const;
    // Clears the record, so the next start's is the only one.
    void clearRecord();

    // True when neither the last stand-in nor anything in its process group is left (zombies included).
    bool nothingLeft() const;

private:
    QString m_record;
    QByteArray m_savedPath;
};

} // namespace jvztest
