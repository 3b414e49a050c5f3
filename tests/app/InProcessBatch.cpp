#include "InProcessBatch.h"

#include "BatchHost.h"
#include "core/AppState.h"
#include "platform/FileWriter.h"
#include "platform/UserSettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutex>
#include <QTimer>
#include <memory>

namespace jvztest {

namespace {

QMutex g_logLock;
QByteArray* g_log = nullptr;
QByteArray* g_shown = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QMutexLocker lock(&g_logLock);
    if (!g_log)
        return;
    const QByteArray line = QByteArray(context.category ? context.category : "") + ": " + text.toLocal8Bit() + '\n';
    *g_log += line;
    // An ordinary run shows Info and above on standard error; the diagnostics enabled here do not count.
    if (type != QtDebugMsg)
        *g_shown += line;
}

} // namespace

jvz::RuntimeTimings shortProgramTimings()
{
    jvz::RuntimeTimings t;
    t.firstAnswerMs = 300;
    t.answerMs = 1000;
    t.closeDelayMs = 20;
    t.batchWaitMs = 50;
    t.endCloseWaitMs = 1000;
    t.quitMessageMs = 100;
    t.quitLinkDownWaitMs = 500;
    t.ppp.termWaitMs = 1000;
    t.ppp.killWaitMs = 1000;
    t.ftp.connectMs = 3000;
    t.ftp.stallSeconds = 3;
    return t;
}

InProcessOutcome runBatchInProcess(const QString& programFolder, const QStringList& arguments,
                                   const jvz::RuntimeTimings& timings, int boundMs,
                                   const std::function<void()>& whileRunning)
{
    InProcessOutcome o;
    QLoggingCategory::setFilterRules(QStringLiteral("jvz.*.info=true\njvz.link.debug=true"));
    {
        const QMutexLocker lock(&g_logLock);
        g_log = &o.log;
        g_shown = &o.shown;
    }
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);

    jvz::AppState state;
    jvz::QSettingsUserStore userStore;
    QElapsedTimer clock;
    clock.start();
    {
        jvz::BatchHost host(state, userStore, jvz::UserOutputWriter::standard(), programFolder + QStringLiteral("/JVZ"),
                            timings);
        // The run leaves the loop through the program's own end; the bound ends a run that would not.
        bool bounded = false;
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [&] {
            bounded = true;
            QCoreApplication::exit(-1);
        });
        bound.start(boundMs);
        QTimer turn;
        if (whileRunning) {
            QObject::connect(&turn, &QTimer::timeout, whileRunning);
            turn.start(10);
        }
        o.exitCode = host.run(arguments);
        o.ended = !bounded;
    }
    o.ms = clock.elapsed();

    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    const QMutexLocker lock(&g_logLock);
    g_log = nullptr;
    g_shown = nullptr;
    return o;
}

} // namespace jvztest
