#include "session/SessionRuntime.h"

#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/BatchRun.h"
#include "core/HexText.h"
#include "platform/Clock.h"
#include "platform/NestedWait.h"
#include "platform/Notifier.h"
#include "session/BatchActions.h"
#include "session/SessionLog.h"
#include "session/SessionTransport.h"
#include "session/SessionWindow.h"

#include <QTimer>
#include <exception>

namespace jvz {

SessionRuntime::SessionRuntime(SessionWindow& window, SessionRuntimeState state, SessionServices services,
                               RuntimeTimings timings, QObject* parent)
    : QObject(parent), m_window(window), m_state(state), m_services(std::move(services)),
      m_transport(m_services.transport), m_timings(timings),
      m_protocol(*this, m_services.notifier, state.session, state.identity, state.batch,
                 SessionTimings{timings.firstAnswerMs, timings.answerMs}),
      m_wininet(state.link, m_services.ftp, m_services.notifier, state.batch, m_services.ftpPort)
{
    setObjectName(QStringLiteral("SessionRuntime"));
    m_timSockResp = makeTimer("TIM_SockResp", &SessionRuntime::TIM_SockResp_Timer);
    m_timConnexion = makeTimer("TIM_Connexion", &SessionRuntime::TIM_Connexion_Timer);
    m_timer3 = makeTimer("Timer3", &SessionRuntime::Timer3_Timer);
    m_timer5 = makeTimer("Timer5", &SessionRuntime::Timer5_Timer);
    m_timEndCloseWait = makeTimer("TIM_EndCloseWait", &SessionRuntime::TIM_EndCloseWait_Timer);

    connect(&m_transport, &SessionTransport::connectionRequested, this, &SessionRuntime::tcpclient_ConnectionRequest);
    connect(&m_transport, &SessionTransport::dataArrived, this, &SessionRuntime::tcpclient_DataArrival);
    connect(&m_transport, &SessionTransport::peerClosed, this, &SessionRuntime::tcpclient_Close);
    connect(&m_transport, &SessionTransport::errorOccurred, this, &SessionRuntime::tcpclient_Error);
}

SessionRuntime::~SessionRuntime() = default;

QTimer* SessionRuntime::makeTimer(const char* name, void (SessionRuntime::*handler)())
{
    auto* timer = new QTimer(this);
    timer->setObjectName(QLatin1String(name));
    timer->setSingleShot(true); // every handler decides itself whether its timer runs again
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, handler);
    return timer;
}

// --- texts, trace and status

QString SessionRuntime::label(const char* key) const
{
    return m_window.language().GetFormLabel(QString::fromLatin1(key));
}

QString SessionRuntime::general(const char* key) const
{
    return m_window.language().GetGeneralLabel(QString::fromLatin1(key));
}

void SessionRuntime::showStatus(const QString& text, Progress progress)
{
    m_window.SetLinkStatus(text);
    m_window.AddTrace(text);
    if (progress == Progress::Copy && m_state.batch.gShowProgress)
        m_window.ProgressComment(text);
}

void SessionRuntime::trace(const QString& line)
{
    m_window.AddTrace(line);
}

void SessionRuntime::activityAuthorised()
{
    reportConnectionState(ConnectionState::Authorised);
}

void SessionRuntime::reportConnectionState(ConnectionState state)
{
    m_connectionState = state;
    emit connectionStateChanged(state);
}

void SessionRuntime::SeeProductCode(const QString& productCode)
{
    // The window may ask about the code in a box: it opens once the handler has sent the identification's
    // reply, so the terminal never waits on the user.
    QMetaObject::invokeMethod(
        this, [this, productCode] { emit productCodeSeen(productCode); }, Qt::QueuedConnection);
}

TerminalInfoFields& SessionRuntime::terminalInfo()
{
    return m_state.terminalInfo;
}

void SessionRuntime::showProductFilter(const QString& productCode)
{
    emit productCodeSeen(productCode);
}

uint8_t SessionRuntime::activityAsked() const
{
    return m_window.ActivityAsked();
}

bool SessionRuntime::batchMode() const
{
    return m_state.batch.gBatchMode;
}

// --- frames

void SessionRuntime::sendFrame(const SessionFrame& frame)
{
    m_transport.send(frame.bytes);
    trace(label("SocketSent") + m_protocol.FormatFrameTrace(frame));
}

void SessionRuntime::ActivTempoRespSocket(bool active, int intervalMs)
{
    m_timSockResp->stop();
    if (active)
        m_timSockResp->start(intervalMs);
}

void SessionRuntime::SendTerminalMessage(uint8_t endCode, uint8_t activity)
{
    SendEndOfActivity(endCode);
    SendActivityFrame(activity);
}

void SessionRuntime::SendEndOfActivity(uint8_t code)
{
    const SessionFrame frame = m_protocol.BuildEndOfActivityFrame(code);
    if (!frame.isEmpty())
        sendFrame(frame);
}

void SessionRuntime::SendActivityFrame(uint8_t code)
{
    const SessionFrame frame = m_protocol.BuildNextActivityFrame(code);
    if (frame.isEmpty()) {
        // Not now: the frame goes once the terminal's report lets the session choose again.
        vars.PendingActivityCode = code;
        vars.PendingActivitySet = true;
        return;
    }
    if (code != 0) {
        vars.EndFrameSent = false;
        ActivTempoRespSocket(true, m_timings.answerMs);
    } else {
        ActivTempoRespSocket(false, m_timings.answerMs);
        markEndFrameSent();
    }
    vars.PendingActivitySet = false;
    sendFrame(frame);
}

void SessionRuntime::SendPendingFrame()
{
    if (vars.PendingActivitySet)
        SendActivityFrame(vars.PendingActivityCode);
}

void SessionRuntime::FollowActivityChoice(uint8_t activity)
{
    if (activity < 1 || activity > 3)
        return;
    if (vars.PendingActivitySet) {
        // A waiting session end (code 0) is a disconnect under way: the choice does not undo it.
        if (vars.PendingActivityCode != 0)
            vars.PendingActivityCode = activity;
        return;
    }
    if (vars.SocketActive && m_state.session.sessionState == SessionState::Identified &&
        !m_protocol.RequestedActivityIs(0))
        vars.ActivityChangeOwed = true;
}

// The terminal closes after the session end; one that never does must not hold the run forever.
void SessionRuntime::markEndFrameSent()
{
    vars.EndFrameSent = true;
    m_timEndCloseWait->start(m_timings.endCloseWaitMs);
}

// --- socket events

void SessionRuntime::tcpclient_ConnectionRequest()
{
    vars.SocketActive = true;
    vars.PeerDropped = false;
    vars.ActivityChangeOwed = false;
    showStatus(label("SocketState") + label("SocketConnectionRequest"), Progress::NoCopy);
    vars.TerminalAddress = m_transport.remoteHostAddress();
    m_transport.accept();
    // The watchdog measures the whole connection from the accepted call.
    vars.WatchdogTicks = 0;
    StartConnexionTimer();
    m_protocol.BeginSession();
}

bool SessionRuntime::refuseOversizedChunk(const QByteArray& chunk)
{
    if (chunk.size() <= kMaxFrameBytes)
        return false;
    // Traced in a bounded form: its length and the hex of its first bytes, never the whole chunk.
    trace(label("SocketReceived") + label("TRC_FrameTooLong") + QString::number(chunk.size()) +
          label("TRC_FrameBytes") + BytesToHex(chunk.first(kTracedFrameBytes), kTracedFrameBytes) +
          QStringLiteral("..."));
    qCWarning(lcSession) << "chunk of" << chunk.size() << "bytes refused in state"
                         << static_cast<int>(m_state.session.sessionState);
    if (m_state.batch.gErrorCode == 0) {
        // Before the terminal is known its identification cannot be accepted; after, the activity failed.
        const bool identified = m_state.session.sessionState >= SessionState::Identified;
        m_state.batch.set(identified ? BatchCode::EndOfActivityProblem : BatchCode::IdentificationRefused,
                          label("MSG_FrameTooLong"));
    }
    CloseConnexion(true);
    return true;
}

void SessionRuntime::tcpclient_DataArrival(const QByteArray& chunk)
{
    if (refuseOversizedChunk(chunk))
        return;
    try {
        const SessionFrame frame{chunk};
        const FrameOutcome outcome = m_protocol.ProcessTerminalFrame(frame);
        m_protocol.ParseTerminalFrame(frame);
        trace(label("SocketReceived") + m_protocol.FormatFrameTrace(frame));
        vars.EndFrameSent = false;
        if (!outcome.reply.isEmpty())
            sendFrame(outcome.reply);
        if (outcome.replyEndsSession)
            markEndFrameSent();

        if (outcome.closeRequested)
            CloseConnexion(true);
        else if (outcome.authorised && !vars.FtpSessionOpen)
            onActivityAuthorised();
        else if (outcome.reply.isEmpty())
            SendPendingFrame();
    } catch (const std::exception& e) {
        qCWarning(lcSession) << "failure while handling a received frame:" << e.what();
        trace(label("SocketError") + QString::fromLocal8Bit(e.what()));
        CloseConnexion(true);
    }
}

void SessionRuntime::onActivityAuthorised()
{
    const bool changeOwed = vars.ActivityChangeOwed;
    vars.ActivityChangeOwed = false;
    if (changeOwed && !m_protocol.RequestedActivityIs(m_window.ActivityAsked())) {
        // Authorised for what was asked before the menu changed: end it and ask for the menu's activity.
        SendTerminalMessage(0, m_window.ActivityAsked());
        return;
    }
    OpenFtpSession();
    if (!vars.FtpSessionOpen) {
        // Tell the terminal; the session end follows its report.
        SendTerminalMessage(2, 0);
        return;
    }
    // The window's commands follow the activity its menu asks now.
    reportConnectionState(ConnectionState::ActivityRunning);
    if (m_state.batch.gBatchMode) {
        // Out of the socket's event: the action and the disconnect wait on events of their own.
        QTimer::singleShot(0, this, [this] { runBatchAction(ActionPath::AfterAuthorisation); });
    }
}

void SessionRuntime::runBatchAction(ActionPath path)
{
    BatchRun& batch = m_state.batch;
    const auto download = [this, &batch] {
        if (m_services.batchActions)
            m_services.batchActions->DownloadCatalogFile(batch.gBatchFile);
    };
    m_inAction = true;
    try {
        if (!m_services.batchActions)
            qCWarning(lcSession) << "no batch actions: the unattended action is left out";
        switch (batch.gBatchAction) {
        case BatchAction::Download:
            if (path == ActionPath::AfterAuthorisation && batch.gActivity == 2)
                batch.set(BatchCode::DownloadForbidden, label("MSG_DownloadingForbiden"));
            else
                download();
            break;
        case BatchAction::Delete:
            if (m_services.batchActions)
                m_services.batchActions->DeleteCatalogFile(batch.gBatchFile);
            break;
        case BatchAction::Upload:
            if (m_services.batchActions)
                m_services.batchActions->UploadCatalogFile(batch.gBatchFile);
            break;
        }
    } catch (const std::exception& e) {
        m_inAction = false;
        qCWarning(lcSession) << "failure in the unattended action:" << e.what();
        CloseConnexion(true);
        return;
    }
    m_inAction = false;
    MNU_Terminal_Disconnect_Click();
}

void SessionRuntime::tcpclient_Close()
{
    if (vars.EndFrameSent) {
        trace(label("TRC_EndCommunication"));
        m_timEndCloseWait->stop();
        m_timer3->start(m_timings.closeDelayMs);
        return;
    }
    // Dropped in the middle of the session: unless an answer is awaited already, the answer timer is what
    // ends it, within the time armed now: no later frame can reach the terminal, so no round is added.
    vars.PeerDropped = true;
    vars.AnswerRetries = 0;
    if (!m_timSockResp->isActive())
        ActivTempoRespSocket(true, m_timings.answerMs);
}

void SessionRuntime::tcpclient_Error(const QString& description)
{
    trace(label("SocketError") + description);
    const SocketStateNumber state = m_transport.state();
    if (state == SocketStateNumber::ClosingByPeer || state == SocketStateNumber::Error ||
        state == SocketStateNumber::Closed) {
        CloseFtpSession();
        CloseConnexion(true);
    }
}

// --- timers

void SessionRuntime::TIM_SockResp_Timer()
{
    m_timSockResp->stop();
    if (vars.SocketActive && vars.AnswerRetries > 0) {
        --vars.AnswerRetries;
        ActivTempoRespSocket(true, m_timings.answerMs);
        return;
    }
    const QString text = label("SocketState") + label("MSG_NoAnswer");
    showStatus(text, Progress::NoCopy);
    m_state.batch.set(BatchCode::NoAnswer, text);
    if (!m_state.batch.gBatchMode)
        m_services.notifier.message(label("MSG_NoAnswer"), QString(), MessageIcon::Exclamation, MessageButtons::Ok);
    // A terminal gone in the middle of its activity leaves no FTP session behind.
    CloseFtpSession();
    CloseConnexion(true);
}

void SessionRuntime::StartConnexionTimer()
{
    ++vars.WatchdogTicks;
    m_timConnexion->start(m_timings.watchdogTickMs);
}

void SessionRuntime::StopConnexionTimer()
{
    m_timConnexion->stop();
}

void SessionRuntime::TIM_Connexion_Timer()
{
    m_timConnexion->stop();
    if (vars.WatchdogTicks < m_timings.watchdogTicks) {
        StartConnexionTimer();
        return;
    }
    showStatus(label("SocketState") + label("MSG_TimeoutConnection"), Progress::NoCopy);
    // Shown in an unattended run too, where the notifier only writes it out and never waits.
    m_services.notifier.message(label("MSG_TimeoutConnection"), QString(), MessageIcon::Exclamation,
                                MessageButtons::Ok);
    CloseFtpSession();
    if (m_state.settings.gNTProtocol)
        SendTerminalMessage(0, 0);
    else
        CloseConnexion(true);
}

void SessionRuntime::Timer3_Timer()
{
    m_timer3->stop();
    CloseConnexion(true);
}

void SessionRuntime::Timer5_Timer()
{
    vars.DcxWaitDone = true;
}

void SessionRuntime::TIM_EndCloseWait_Timer()
{
    m_timEndCloseWait->stop();
    trace(label("TRC_NoCloseFromTerminal"));
    CloseConnexion(true);
}

QString SessionRuntime::GetSockState(int16_t& state) const
{
    const SocketStateNumber number = m_transport.state();
    state = static_cast<int16_t>(number);
    switch (number) {
    case SocketStateNumber::Closed:
        return QStringLiteral("Socket Fermée");
    case SocketStateNumber::Open:
        return QStringLiteral("Socket Ouverte");
    case SocketStateNumber::Listening:
        return QStringLiteral("À l'écoute");
    case SocketStateNumber::ConnectionPending:
        return QStringLiteral("Connexion en attente");
    case SocketStateNumber::ResolvingHost:
        return QStringLiteral("Hôte en cours de résolution");
    case SocketStateNumber::HostResolved:
        return QStringLiteral("Hôte résolu");
    case SocketStateNumber::Connecting:
        return QStringLiteral("Connexion en cours ...");
    case SocketStateNumber::Connected:
        return QStringLiteral("Socket Connectée");
    case SocketStateNumber::ClosingByPeer:
        return QStringLiteral("Socket en cours de fermeture par le pair distant");
    case SocketStateNumber::Error:
        return QStringLiteral("Erreur socket");
    }
    return QString();
}

// --- waits

void SessionRuntime::waitHandlingEvents(int boundMs, QTimer* endsEarly, WaitEnd end)
{
    // A nested loop: the application's exit ends it as it ends the main loop. The bound is promised in full
    // (the terminal's time to finish).
    NestedWait wait(WaitKind::NestedLoop, boundMs);
    wait.precise();
    if (endsEarly)
        wait.endsOn(endsEarly, &QTimer::timeout);
    NestedWait* const outer = m_waitEndedByClose;
    if (end == WaitEnd::EndsOnClose)
        m_waitEndedByClose = &wait;
    wait.run();
    m_waitEndedByClose = outer;
}

void SessionRuntime::quitOnce()
{
    if (m_quitDone)
        return;
    m_quitDone = true;
    if (m_stop.asked) {
        // What the broken-off calls reported after the signal is its consequence, not the run's result.
        BatchRun& batch = m_state.batch;
        batch.gErrorCode = m_stop.code != 0 ? m_stop.code : static_cast<int16_t>(BatchCode::TransferCancelled);
        batch.gErrorText = m_stop.text.isEmpty() ? m_stop.message : m_stop.text + kCrLf + m_stop.message;
    }
    if (m_services.quitApplication)
        m_services.quitApplication();
}

} // namespace jvz
