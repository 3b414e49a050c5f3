#pragma once

#include "core/RuntimeTimings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace jvztest {

// The program's waits cut to what a test on loopback needs: a terminal that never calls, a closing message and
// the unattended run's wait before its disconnect all end in well under a second.
jvz::RuntimeTimings shortProgramTimings();

struct InProcessOutcome {
    bool ended = false; // the run ended by itself within the bound
    int exitCode = -1;
    qint64 ms = 0;
    QByteArray log;   // what the run wrote through Qt's logging, its diagnostics enabled
    QByteArray shown; // of it, what an ordinary run shows on standard error (Info and above)
};

// Runs an unattended batch (the command line as given) in this process, through the program's own batch host
// with a fresh program state, as if the program in programFolder had been started. whileRunning is called on
// every turn of the run's event loop, for a test that plays the terminal once the program dials.
InProcessOutcome runBatchInProcess(const QString& programFolder, const QStringList& arguments,
                                   const jvz::RuntimeTimings& timings = shortProgramTimings(), int boundMs = 20000,
                                   const std::function<void()>& whileRunning = {});

} // namespace jvztest
