#pragma once

// Doubles for the session runtime's tests: the main window, the FTP client, the dial-up link, the clock,
// the batch actions and a socket whose events the test raises itself.

#include "core/MBLanguages.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "platform/PppDialer.h"
#include "session/BatchActions.h"
#include "session/SessionRuntime.h"
#include "session/SessionTransport.h"
#include "session/SessionWindow.h"

#include <QByteArrayList>
#include <QMap>
#include <QStringList>
#include <chrono>
#include <functional>
#include <stdexcept>

namespace jvztest {

// Records what the session does to the main window.
class RecordingSessionWindow : public jvz::SessionWindow {
public:
    explicit RecordingSessionWindow(jvz::MBLanguages language) : m_language(std::move(language)) {}

    const jvz::MBLanguages& language() const override { return m_language; }
    void AddTrace(const QString& line) override { trace.prepend(line + QStringLiteral("\r\n")); }
    void SetLinkStatus(const QString& text) override { linkStatus = text; }
    void ProgressComment(const QString& text) override { progress << text; }
    QString& CurrentTerminalDir() override { return terminalDir; }
    void HideStatusBar1() override
    {
        statusBar1Hidden = true;
        steps << QStringLiteral("hide status bar 1");
    }
    void SetStatusBar4(const QString& text) override
    {
        statusBar4 = text;
        steps << QStringLiteral("status bar 4 ") + text;
    }
    void ResetMousePointer() override
    {
        ++pointerResets;
        steps << QStringLiteral("reset pointer");
    }
    void ShowWarningMessage(const QString& text, int32_t, int32_t) override
    {
        warning = text;
        warningShown = true;
        steps << QStringLiteral("show warning");
    }
    void UnloadWarningMessage() override
    {
        warningShown = false;
        steps << QStringLiteral("unload warning");
    }
    jvz::FtpCredentials credentials() const override { return {ipText, login, password}; }
    QString PhonebookPort() const override { return port; }
    uint8_t ActivityAsked() const override { return activity; }

    // What the session reports by its signals (RuntimeWorld connects them), in order.
    void listenTo(jvz::SessionRuntime& runtime)
    {
        QObject::connect(&runtime, &jvz::SessionRuntime::connectionStateChanged, [this](jvz::ConnectionState state) {
            connectionStates << state;
            steps << QStringLiteral("connection %1").arg(int(state));
        });
        QObject::connect(&runtime, &jvz::SessionRuntime::ftpSessionChanged, [this](jvz::FtpSessionState state) {
            ftpStates << state;
            steps << QStringLiteral("ftp %1").arg(int(state));
        });
        QObject::connect(&runtime, &jvz::SessionRuntime::terminalListCleared, [this] {
            ++terminalListCleared;
            steps << QStringLiteral("clear list");
        });
        QObject::connect(&runtime, &jvz::SessionRuntime::terminalFolderEntered, [this](const QString& folder) {
            listed << folder;
            steps << QStringLiteral("list ") + folder;
        });
        QObject::connect(&runtime, &jvz::SessionRuntime::productCodeSeen, [this](const QString& productCode) {
            productCodes << productCode;
            if (onProductCode)
                onProductCode(productCode);
        });
    }

    jvz::MBLanguages m_language;
    QString trace; // newest first, each line ending in CR LF
    QString linkStatus;
    QStringList progress;
    // The reports and the window steps among them, in order (not the trace and the link status).
    QStringList steps;
    QList<jvz::ConnectionState> connectionStates;
    QList<jvz::FtpSessionState> ftpStates;
    int terminalListCleared = 0;
    QStringList listed;
    QString terminalDir;
    bool statusBar1Hidden = false;
    QString statusBar4;
    int pointerResets = 0;
    QString warning;
    bool warningShown = false;
    QString ipText = QStringLiteral("127.0.0.1");
    QString login = QStringLiteral("jvz");
    QString password = QStringLiteral("terminal");
    QString port = QStringLiteral("ttyACM0");
    uint8_t activity = 1;
    QStringList productCodes;
    std::function<void(const QString&)> onProductCode; // where the window would show its box
};

// An FTP client that answers from set results and records every call.
class FakeFtpClient : public jvz::FtpClient {
public:
    uint32_t open(const QString& host, uint16_t port, const QByteArray& user, const QByteArray&) override
    {
        calls << QStringLiteral("open %1:%2 %3").arg(host).arg(port).arg(QString::fromLatin1(user));
        m_open = openResult == 0;
        return openResult;
    }
    bool isOpen() const override { return m_open; }
    void close() override
    {
        calls << QStringLiteral("close");
        m_open = false;
    }
    uint32_t setCurrentDirectory(const QByteArray& path) override
    {
        calls << QStringLiteral("cd ") + QString::fromLatin1(path);
        if (cdResult == 0)
            m_dir = path;
        return cdResult;
    }
    QByteArray currentDirectory() const override { return m_dir; }
    uint32_t getFile(const QByteArray&, const QString&, jvz::FetchBound) override { return 0; }
    uint32_t putFile(const QString&, const QByteArray&) override { return 0; }
    uint32_t deleteFile(const QByteArray&) override { return 0; }
    uint32_t renameFile(const QByteArray&, const QByteArray&) override { return 0; }
    uint32_t listDirectory(QByteArrayList* lines) override
    {
        lines->clear();
        return 0;
    }
    QByteArray lastResponse() const override { return response; }
    uint32_t lastError() const override { return 0; }

    uint32_t openResult = 0;
    uint32_t cdResult = 0;
    QByteArray response;
    QStringList calls;

private:
    bool m_open = false;
    QByteArray m_dir;
};

// The machine's monotonic clock, moved on by the test where a wait would be too long to sit through.
class ShiftableClock : public jvz::Clock {
public:
    uint64_t monotonicMs() const override { return m_steady.monotonicMs() + shiftMs; }
    uint64_t shiftMs = 0;

private:
    jvz::SteadyClock m_steady;
};

// A dial-up link whose hang-up takes a set time on the clock and answers a set result.
class FakeDialUpLink : public jvz::DialUpLink {
public:
    explicit FakeDialUpLink(ShiftableClock& clock) : m_clock(clock) {}
    jvz::PppLinkResult dial(const jvz::PppLinkRequest&) override { return {}; }
    int32_t hangUp() override
    {
        ++hangUps;
        m_clock.shiftMs += hangUpTakesMs;
        if (duringHangUp)
            duringHangUp();
        return hangUpResult;
    }
    int32_t state() override
    {
        ++stateQueries;
        return linkState;
    }
    QString activeEntry() const override { return {}; }

    int32_t linkState = jvz::kLinkStateDown;
    int stateQueries = 0;
    int hangUps = 0;
    uint64_t hangUpTakesMs = 0;
    int32_t hangUpResult = 0;
    std::function<void()> duringHangUp; // what the test reads while the link goes down

private:
    ShiftableClock& m_clock;
};

// Records the unattended actions; a set failure throws from inside the action.
class RecordingBatchActions : public jvz::BatchActions {
public:
    void DownloadCatalogFile(const QString& file) override { run(QStringLiteral("download ") + file); }
    void DeleteCatalogFile(const QString& file) override { run(QStringLiteral("delete ") + file); }
    void UploadCatalogFile(const QString& file) override { run(QStringLiteral("upload ") + file); }

    QStringList calls;
    std::function<void()> during; // runs inside the action
    bool fails = false;

private:
    void run(const QString& call)
    {
        calls << call;
        if (during)
            during();
        if (fails)
            throw std::runtime_error("action failed");
    }
};

// A session socket whose events the test raises; it records what was sent.
class ScriptedTransport : public jvz::SessionTransport {
public:
    bool listen(const QString&, const QString&) override
    {
        m_state = jvz::SocketStateNumber::Listening;
        return true;
    }
    bool accept() override
    {
        m_state = jvz::SocketStateNumber::Connected;
        ++accepts;
        return true;
    }
    void send(const QByteArray& bytes) override { sent += bytes; }
    void close() override
    {
        ++closes;
        m_state = jvz::SocketStateNumber::Closed;
    }
    jvz::SocketStateNumber state() const override { return m_state; }
    QString remoteHostAddress() const override { return QStringLiteral("127.0.0.2"); }
    QString localAddress() const override { return QStringLiteral("127.0.0.1"); }
    QString errorString() const override { return {}; }

    void setState(jvz::SocketStateNumber state) { m_state = state; }
    void raiseCall() { emit connectionRequested(); }
    void raiseData(const QByteArray& chunk) { emit dataArrived(chunk); }
    void raisePeerClose()
    {
        m_state = jvz::SocketStateNumber::ClosingByPeer;
        emit peerClosed();
    }
    void raiseError(jvz::SocketStateNumber state, const QString& description)
    {
        m_state = state;
        emit errorOccurred(description);
    }

    QByteArray sent;
    int accepts = 0;
    int closes = 0;

private:
    jvz::SocketStateNumber m_state = jvz::SocketStateNumber::Closed;
};

} // namespace jvztest
