#pragma once

// One session runtime with its program state and doubles, timings shrunk to milliseconds.

#include "FakeNotifier.h"
#include "RuntimeDoubles.h"
#include "SessionLanguage.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "session/SessionRuntime.h"
#include "session/SessionTexts.h"
#include "session/TcpSessionTransport.h"

#include <QHostAddress>
#include <QTest>
#include <memory>
#include <string>

namespace jvztest {

// Every text the session reads is its key in angle brackets ("<MSG_NoAnswer>"), so expected texts name
// the keys they come from.
inline jvz::MBLanguages bracketedRuntimeTexts()
{
    std::string contents = "[General]\r\n";
    // The session's own list of the keys it reads, so a key the code reads and the list lacks shows as empty.
    for (const jvz::TextKey& k : jvz::kSessionTexts)
        contents += std::string(k.key) + "=<" + std::string(k.key) + ">\r\n";
    return languageFromFile(contents, 1);
}

// Every duration short, the watchdog out of the way unless a test wants it.
inline jvz::RuntimeTimings shrunkTimings()
{
    jvz::RuntimeTimings t;
    t.firstAnswerMs = 600;
    t.answerMs = 500;
    t.watchdogTickMs = 60000;
    t.closeDelayMs = 20;
    t.batchWaitMs = 40;
    t.endCloseWaitMs = 400;
    return t;
}

struct RuntimeWorld {
    // transport: the session socket; null for a real one on loopback. ftp: the FTP client; null for a double.
    explicit RuntimeWorld(jvz::RuntimeTimings timings = shrunkTimings(), jvz::SessionTransport* transport = nullptr,
                          jvz::FtpClient* ftpClient = nullptr, uint16_t ftpPort = 21)
        : window(bracketedRuntimeTexts()), dialUp(clock)
    {
        settings.gWaitingDcxTime = 0;
        batch.gBatchFile = QStringLiteral("/lists/LOAD.M40");
        if (!transport) {
            tcp = std::make_unique<jvz::TcpSessionTransport>();
            transport = tcp.get();
        }
        runtime = std::make_unique<jvz::SessionRuntime>(window,
                                                        jvz::SessionRuntimeState{.settings = settings,
                                                                                 .batch = batch,
                                                                                 .session = session,
                                                                                 .identity = identity,
                                                                                 .terminalInfo = terminalInfo,
                                                                                 .link = link},
                                                        jvz::SessionServices{.notifier = notifier,
                                                                             .ftp = ftpClient ? *ftpClient : ftp,
                                                                             .clock = clock,
                                                                             .transport = *transport,
                                                                             .dialUp = &dialUp,
                                                                             .batchActions = &actions,
                                                                             .quitApplication =
                                                                                 [this] {
                                                                                     ++quits;
                                                                                     codeAtQuit = batch.gErrorCode;
                                                                                 },
                                                                             .ftpPort = ftpPort},
                                                        timings);
        window.listenTo(*runtime);
    }

    // What the listening step does before the dial: a fresh session and the socket listening on loopback.
    quint16 listen()
    {
        runtime->protocol().ResetSession(window.language());
        if (!runtime->tcpclient().listen(QStringLiteral("127.0.0.1"), QStringLiteral("0")))
            return 0;
        runtime->vars.SocketActive = true;
        runtime->vars.LastSocketState = 0;
        runtime->protocol().ArmFirstAnswerTimer();
        return tcp ? tcp->listeningPort() : 0;
    }

    // Waits (bounded) until the connection is closed and the run ended.
    bool waitForQuit(int boundMs)
    {
        return QTest::qWaitFor([this] { return quits > 0; }, boundMs);
    }

    jvz::AppSettings settings;
    jvz::BatchRun batch;
    jvz::TerminalSession session;
    jvz::TerminalIdentity identity;
    jvz::TerminalInfoFields terminalInfo;
    jvz::LinkState link;
    FakeNotifier notifier;
    FakeFtpClient ftp;
    ShiftableClock clock;
    RecordingSessionWindow window;
    FakeDialUpLink dialUp;
    RecordingBatchActions actions;
    std::unique_ptr<jvz::TcpSessionTransport> tcp;
    int quits = 0;
    int16_t codeAtQuit = 0;
    std::unique_ptr<jvz::SessionRuntime> runtime;
};

} // namespace jvztest
