#pragma once

#include "core/RuntimeTimings.h"
#include "session/SessionHost.h"
#include "session/SessionStates.h"
#include "session/SockProcessing.h"
#include "session/TerminalListSession.h"
#include "session/Wininet.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QTimer;

namespace jvz {

struct AppSettings;
struct BatchRun;
struct LinkState;
class BatchActions;
class Clock;
class DialUpLink;
class NestedWait;
class FtpClient;
class Notifier;
class SessionTransport;
class SessionWindow;
enum class SocketStateNumber : int16_t;

// The longest frame: a type byte, a length byte and the 255 payload bytes a length byte can announce. One
// received chunk is one frame, so a longer chunk is no frame of this protocol.
inline constexpr qsizetype kMaxFrameBytes = 2 + 255;
// How much of a refused chunk the trace shows.
inline constexpr qsizetype kTracedFrameBytes = 16;

// The session variables of the main window.
struct SessionVariables {
    bool FtpSessionOpen = false;
    bool SocketActive = false;   // listening or connected
    int16_t LastSocketState = 0; // last socket state shown
    bool EndFrameSent = false;   // the session end went out: the terminal's close ends the connection
    bool PeerDropped = false;    // the terminal closed in the middle of the session: nothing more is sent
    bool PendingActivitySet = false;
    uint8_t PendingActivityCode = 0; // 0 the session end, 1-3 an activity request
    bool ActivityChangeOwed = false; // another activity was chosen while the terminal answered a request
    int16_t WatchdogTicks = 0;
    int16_t AnswerRetries = 0; // extra answer rounds still allowed; set by the disconnect only
    bool LinkUp = false;       // the dial succeeded
    bool DcxWaitDone = false;
    QString TerminalAddress; // address of the accepted call
};

// The program-wide state the session reads and writes.
struct SessionRuntimeState {
    AppSettings& settings;
    BatchRun& batch;
    TerminalSession& session;
    TerminalIdentity& identity;
    TerminalInfoFields& terminalInfo;
    LinkState& link;
};

// What the session reaches outside the program's state.
struct SessionServices {
    Notifier& notifier;
    FtpClient& ftp;
    const Clock& clock;
    SessionTransport& transport;
    DialUpLink* dialUp = nullptr;          // the link to hang up; none on a network link
    BatchActions* batchActions = nullptr;  // the unattended actions
    std::function<void()> quitApplication; // writes the run's result and ends the program
    uint16_t ftpPort = Wininet::kFtpPort;
};

// The main window's session: the socket events, the answer, watchdog and close timers, the FTP session and
// the disconnect. Everything runs on the GUI thread, one event at a time. It reads and writes the window through
// SessionWindow and reports its states by signals, which the window's commands follow.
class SessionRuntime : public QObject, public TerminalListSession, private SessionHost {
    Q_OBJECT
public:
    SessionRuntime(SessionWindow& window, SessionRuntimeState state, SessionServices services,
                   RuntimeTimings timings = {}, QObject* parent = nullptr);
    ~SessionRuntime() override;

    SessionVariables vars;

    SockProcessing& protocol() { return m_protocol; }
    SessionTransport& tcpclient() { return m_transport; }
    Wininet& wininet() { return m_wininet; }
    const RuntimeTimings& timings() const { return m_timings; }
    // The unattended actions, when they are built after the session.
    void setBatchActions(BatchActions* actions) { m_services.batchActions = actions; }

    // Socket events.
    void tcpclient_ConnectionRequest();
    void tcpclient_DataArrival(const QByteArray& chunk);
    void tcpclient_Close();
    void tcpclient_Error(const QString& description);

    // Stops the answer timer; when active, starts it with the interval.
    void ActivTempoRespSocket(bool active, int intervalMs) override;
    // Ends the running activity with the code, then asks for the activity (0: the session end), now or once
    // the session allows it.
    void SendTerminalMessage(uint8_t endCode, uint8_t activity) override;
    void SendEndOfActivity(uint8_t code);
    void SendActivityFrame(uint8_t code);
    void SendPendingFrame();
    // An activity chosen while the FTP session is closed: a request still waiting for the terminal's report asks
    // for it instead; a request the terminal is already answering is followed, once authorised, by a change to it.
    void FollowActivityChoice(uint8_t activity);
    void StartConnexionTimer();
    void StopConnexionTimer();
    // The socket's state number and its fixed text.
    QString GetSockState(int16_t& state) const;

    // Timer handlers.
    void TIM_SockResp_Timer();
    void TIM_Connexion_Timer();
    void Timer3_Timer();
    void Timer5_Timer();
    void TIM_EndCloseWait_Timer();

    // FTP session.
    void OpenFtpSession();
    void CloseFtpSession() override;
    bool FtpSessionOpen() const override { return vars.FtpSessionOpen; }
    void showProductFilter(const QString& productCode) override;
    bool SetWorkOnline();
    uint32_t ConnectFtpAndList(const QString& address, const QString& user, const QString& password,
                               const MBLanguages& language);

    // Disconnect and close.
    void MNU_Terminal_Disconnect_Click();
    void DisconnectTerminal();
    // What a close does to an unattended run: end it (the normal case), or leave its end to the caller, as
    // the connect sequence does when its dial fails.
    enum class RunEnd { Quit, LeaveToCaller };
    void CloseConnexion(bool hangUp, RunEnd runEnd = RunEnd::Quit);
    void CloseSocket();
    void HangUpPpp(bool hangUp);
    void AfterConnectCommands();
    // A stop signal in an unattended run (batch.stopSignal set): the run ends as cancelled, without the
    // disconnect's waits. The action under way ends its file (the caller broke off its FTP call) and its clean-up
    // runs first; the result keeps a failure met before the signal and ends with the stop's text and signalName.
    void StopRun(const QString& signalName);

    // The connection's phase as last reported; the connect sequence reports the phases it begins here too.
    ConnectionState connectionState() const { return m_connectionState; }
    void reportConnectionState(ConnectionState state);

signals:
    // vars.FtpSessionOpen changed: the window keeps it as its own state.
    void ftpSessionOpenChanged(bool open);
    // Reported where a phase begins, each time it begins, in its place among the SessionWindow steps.
    void connectionStateChanged(jvz::ConnectionState state);
    void ftpSessionChanged(jvz::FtpSessionState state);
    // The terminal list: emptied as the FTP session closes, filled with the folder the session entered (outside
    // unattended runs).
    void terminalListCleared();
    void terminalFolderEntered(const QString& folder);
    // The identified terminal's product code, once the identification's reply has gone (outside unattended runs).
    void productCodeSeen(const QString& productCode);

private:
    // SessionHost
    void trace(const QString& line) override;
    void activityAuthorised() override;
    void SeeProductCode(const QString& productCode) override;
    TerminalInfoFields& terminalInfo() override;
    uint8_t activityAsked() const override;
    bool batchMode() const override;

    enum class Progress { Copy, NoCopy };
    enum class ActionPath { AfterAuthorisation, AfterDial };

    QString label(const char* key) const;
    QString general(const char* key) const;
    void showStatus(const QString& text, Progress progress);
    void sendFrame(const SessionFrame& frame);
    // A chunk longer than any frame: traced (length and first bytes), the run's code set, the connection
    // closed. True when it was refused.
    bool refuseOversizedChunk(const QByteArray& chunk);
    void onActivityAuthorised();
    void runBatchAction(ActionPath path);
    void markEndFrameSent();
    void ftpOpenFailed(const QString& port);
    // Handles events until boundMs passed or endsEarly fired; with EndsOnClose, also once the connection closes.
    enum class WaitEnd { Bound, EndsOnClose };
    void waitHandlingEvents(int boundMs, QTimer* endsEarly = nullptr, WaitEnd end = WaitEnd::Bound);
    void quitOnce();
    void stopNow();
    QTimer* makeTimer(const char* name, void (SessionRuntime::*handler)());

    SessionWindow& m_window;
    SessionRuntimeState m_state;
    SessionServices m_services;
    SessionTransport& m_transport;
    RuntimeTimings m_timings;
    SockProcessing m_protocol;
    Wininet m_wininet;

    QTimer* m_timSockResp;
    QTimer* m_timConnexion;
    QTimer* m_timer3;
    QTimer* m_timer5;
    QTimer* m_timEndCloseWait;

    ConnectionState m_connectionState = ConnectionState::Closed;
    bool m_disconnecting = false;
    bool m_closing = false;
    bool m_quitDone = false;
    bool m_inAction = false; // the unattended action runs: its end leads to the disconnect
    struct StopResult {
        bool asked = false;
        int16_t code = 0; // the run's result when the signal came
        QString text;
        QString message;
    } m_stop;
    int m_closeCount = 0; // connections closed so far; a wait learns from it that its connection ended
    NestedWait* m_waitEndedByClose = nullptr; // the running wait that a close ends
};

} // namespace jvz
