// The FTP session of the main window and the end of a connection: disconnect, socket close, hang-up.

#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "platform/NestedWait.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"
#include "session/SessionLog.h"
#include "session/SessionRuntime.h"
#include "session/SessionTransport.h"
#include "session/SessionWindow.h"

#include <QTimer>

namespace jvz {

namespace {

QString rasErrorText(int32_t error)
{
    const std::optional<DialError> known = dialErrorFromNumber(error);
    return known ? QString::fromLatin1(describe(*known)) : QString();
}

} // namespace

// --- FTP session

bool SessionRuntime::SetWorkOnline()
{
    return true; // the client has no offline state to leave
}

void SessionRuntime::OpenFtpSession()
{
    // The exchange directory's free space is read again for every session, whatever command opened it.
    m_state.session.swapTotalSize = 0;
    m_state.session.swapUnchecked = true;
    emit ftpSessionChanged(FtpSessionState::Opening);
    const BatchRun& batch = m_state.batch;
    const FtpCredentials credentials = m_window.credentials();
    const QString address =
        m_state.settings.gNTProtocol && batch.gSerialLink ? vars.TerminalAddress : credentials.address;
    trace(general("TRC_RemoteAdd") + address + kCrLf + general("TRC_LocalAdd") + m_transport.localAddress());
    const QString port = m_window.PhonebookPort();
    if (!SetWorkOnline()) {
        ftpOpenFailed(port);
        return;
    }
    const QString& user = credentials.login;
    const QString& password = credentials.password;
    const uint32_t error = ConnectFtpAndList(address, user, password, m_window.language());
    if (error == FtpError::None) {
        m_state.settings.gFtpUserName = user;
        m_state.settings.gFtpPassword = password;
        vars.FtpSessionOpen = true;
        emit ftpSessionOpenChanged(true);
        showStatus(label("FTPState") + label("FTP_successful") + QStringLiteral(" (") + port + QLatin1Char(')'),
                   Progress::Copy);
        // An open session can always be ended from the icon bar, whatever link carries it.
        emit ftpSessionChanged(FtpSessionState::Open);
        m_window.ResetMousePointer();
    } else {
        ftpOpenFailed(port);
    }
    m_window.UnloadWarningMessage();
}

// The result text keeps the FTP messages already added to it.
void SessionRuntime::ftpOpenFailed(const QString& port)
{
    vars.FtpSessionOpen = false;
    emit ftpSessionOpenChanged(false);
    showStatus(label("FTPState") + label("FTP_Failled") + QStringLiteral(" (") + port + QLatin1Char(')'),
               Progress::Copy);
    m_state.batch.gErrorCode = static_cast<int16_t>(BatchCode::FtpOpenFailed);
}

uint32_t SessionRuntime::ConnectFtpAndList(const QString& address, const QString& user, const QString& password,
                                           const MBLanguages& language)
{
    const auto text = [&language](const char* key) { return language.GetFormLabel(QString::fromLatin1(key)); };
    trace(text("TRC_TemptingFTPConnexion") + address + kCrLf + text("TRC_UserName") + user);
    const uint32_t opened = m_wininet.FtpOpenConnection(address, user, password, language);
    if (opened != FtpError::None)
        return opened;
    QString& folder = m_window.CurrentTerminalDir();
    if (folder.isEmpty())
        folder = QStringLiteral("\\");
    if (m_state.settings.gNTProtocol && folder == QLatin1String("\\"))
        folder = QLatin1Char('\\') + m_state.identity.swapDisk + QLatin1Char('\\');
    m_window.SetStatusBar4(text("TerminalContent") + QLatin1Char('\'') + folder + QLatin1Char('\''));
    const uint32_t changed = m_wininet.FtpChangeDirectory(folder, language);
    if (changed == FtpError::None && !m_state.batch.gBatchMode)
        emit terminalFolderEntered(folder);
    return changed;
}

void SessionRuntime::CloseFtpSession()
{
    if (!vars.FtpSessionOpen)
        return;
    emit ftpSessionChanged(FtpSessionState::Closed);
    m_wininet.FtpCloseConnection();
    showStatus(label("FTPState") + label("FTP_Disconnected"), Progress::Copy);
    vars.FtpSessionOpen = false;
    emit ftpSessionOpenChanged(false);
    emit terminalListCleared();
}

// --- disconnect

void SessionRuntime::MNU_Terminal_Disconnect_Click()
{
    DisconnectTerminal();
}

void SessionRuntime::DisconnectTerminal()
{
    // The waits below handle events, so a second disconnect could start inside the first.
    if (m_disconnecting)
        return;
    m_disconnecting = true;
    const int closedBefore = m_closeCount;
    const AppSettings& settings = m_state.settings;
    const BatchRun& batch = m_state.batch;

    reportConnectionState(ConnectionState::Disconnecting);
    // A connection that ends meanwhile (a failure, the terminal's close) ends the run at once, not after it.
    if (batch.gBatchMode && !m_stop.asked)
        waitHandlingEvents(m_timings.batchWaitMs, nullptr, WaitEnd::EndsOnClose);
    if (m_closeCount != closedBefore) {
        // The connection ended while waiting (the terminal closed, an answer timed out): nothing is left.
        m_disconnecting = false;
        return;
    }
    if (m_stop.asked) {
        stopNow();
        m_disconnecting = false;
        return;
    }
    if (vars.PeerDropped) {
        // The terminal is gone: the end-of-activity frame would go into a closed socket and wait for a report
        // that cannot come. The answer timer armed at the drop ends the connection.
        CloseFtpSession();
        if (!m_timSockResp->isActive())
            ActivTempoRespSocket(true, m_timings.answerMs);
        m_disconnecting = false;
        return;
    }
    if (!batch.gBatchMode && settings.gDisplayMsg && vars.LinkUp)
        m_window.ShowWarningMessage(label("MSG_WarningRestart"));
    CloseFtpSession();
    serveEvents();

    // A stop that came meanwhile does not wait for the terminal's report.
    if (settings.gNTProtocol && vars.SocketActive && !m_stop.asked) {
        vars.AnswerRetries = static_cast<int16_t>(settings.gCptWaitEndOfActivity - 1);
        SendTerminalMessage(0, 0);
    } else {
        CloseConnexion(true);
        vars.LinkUp = false;
    }
    m_disconnecting = false;
}

void SessionRuntime::CloseConnexion(bool hangUp, RunEnd runEnd)
{
    // The hang-up wait handles events; a timer or socket event must not close the connection twice.
    if (m_closing)
        return;
    m_closing = true;
    ++m_closeCount;
    // Nothing that was waiting on this connection acts any more.
    m_timer3->stop();
    m_timEndCloseWait->stop();

    if (m_state.settings.gNTProtocol)
        CloseSocket();
    if (m_state.batch.gSerialLink)
        HangUpPpp(hangUp);
    StopConnexionTimer();

    reportConnectionState(ConnectionState::Closed);
    m_window.HideStatusBar1();
    m_window.SetStatusBar4(label("TerminalContent"));
    m_window.ResetMousePointer();
    showStatus(label("TerminalState") + label("Disconnected"), Progress::Copy);
    m_window.UnloadWarningMessage();
    m_closing = false;
    if (m_waitEndedByClose)
        m_waitEndedByClose->end();

    if (m_state.batch.gBatchMode && runEnd == RunEnd::Quit)
        quitOnce();
}

void SessionRuntime::CloseSocket()
{
    if (vars.SocketActive) {
        showStatus(label("SocketState") + general("TRC_ClosingSocket"), Progress::Copy);
        ActivTempoRespSocket(false, m_timings.answerMs);
        m_transport.close();
        vars.SocketActive = false;
    }
}

void SessionRuntime::HangUpPpp(bool hangUp)
{
    const Clock& clock = m_services.clock;
    uint64_t elapsed = 0;
    int32_t error = 0;
    if (hangUp) {
        const uint64_t t0 = clock.monotonicMs();
        error = m_services.dialUp ? m_services.dialUp->hangUp() : 0;
        elapsed = clock.monotonicMs() - t0;
        trace(label("TRC_HangUpTime") + QString::number(elapsed) + QStringLiteral(" ms"));
    }
    if (error != 0) {
        if (!m_state.batch.gBatchMode)
            m_services.notifier.message(QStringLiteral("HangUp: RAS error number %1").arg(error) + kCrLf +
                                            rasErrorText(error),
                                        QString(), MessageIcon::Critical, MessageButtons::Ok);
        return;
    }
    showStatus(label("PPPState") + label("PPP_Disconnected"), Progress::Copy);
    const int64_t minimum = m_state.settings.gWaitingDcxTime;
    if (static_cast<int64_t>(elapsed) >= minimum)
        return;
    // The line stays down for the minimum time, counting what the hang-up itself took.
    const uint64_t t1 = clock.monotonicMs();
    vars.DcxWaitDone = false;
    m_timer5->start(static_cast<int>(minimum - static_cast<int64_t>(elapsed)));
    if (!vars.DcxWaitDone)
        waitHandlingEvents(static_cast<int>(minimum), m_timer5);
    m_timer5->stop();
    trace(label("TRC_DcxTime") + QString::number(clock.monotonicMs() - t1) + QStringLiteral(" + ") +
          QString::number(elapsed) + QStringLiteral(" ms"));
}

void SessionRuntime::StopRun(const QString& signalName)
{
    if (m_stop.asked || m_quitDone || !m_state.batch.gBatchMode)
        return;
    const BatchRun& batch = m_state.batch;
    const QString message = label("MSG_RunStopped") + QLatin1Char(' ') + signalName;
    m_stop = {true, batch.gErrorCode, batch.gErrorText, message};
    trace(message);
    // The disconnect's wait before its close goes on at once.
    if (m_waitEndedByClose)
        m_waitEndedByClose->end();
    // The action's end and a close under way lead to the quit themselves; so does the disconnect.
    if (m_inAction || m_closing || m_disconnecting)
        return;
    stopNow();
}

// No end-of-activity exchange: the terminal learns of the end from the link going down.
void SessionRuntime::stopNow()
{
    CloseFtpSession();
    CloseConnexion(true);
}

void SessionRuntime::AfterConnectCommands()
{
    OpenFtpSession();
    if (!vars.FtpSessionOpen) {
        CloseConnexion(true);
        return;
    }
    reportConnectionState(ConnectionState::Connected);
    if (m_state.batch.gBatchMode)
        runBatchAction(ActionPath::AfterDial);
}

} // namespace jvz
