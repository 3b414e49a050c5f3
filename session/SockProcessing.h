#pragma once

#include "core/BatchErrorCode.h"
#include "core/MBLanguages.h"
#include "core/RuntimeTimings.h"
#include "core/TerminalSession.h"
#include "platform/Notifier.h"

#include <QString>
#include <cstdint>

namespace jvz {

class Notifier;
class SessionHost;

// Answer-timer intervals, taken from the program's timing table.
struct SessionTimings {
    int firstAnswerMs = RuntimeTimings{}.firstAnswerMs;
    int answerMs = RuntimeTimings{}.answerMs;
};

// What the data-arrival handler does after one received frame.
struct FrameOutcome {
    SessionFrame reply;          // send at once when not empty
    bool closeRequested = false; // close the connection
    bool authorised = false;     // the activity is authorised (open FTP when not yet open)
    // The reply is the session end: once sent, the terminal's close ends the session, so the caller marks
    // the end frame as sent (after the step that clears that mark), as for a session end sent on its own.
    bool replyEndsSession = false;
};

// The session protocol: frame builders, the terminal frames' parser, the state machine and the trace texts.
// Pure logic: sockets, timers and windows are reached through the host.
class SockProcessing {
public:
    SockProcessing(SessionHost& host, Notifier& notifier, TerminalSession& session, TerminalIdentity& identity,
                   BatchErrorCode& result, SessionTimings timings = {});

    // The socket starts listening: a fresh session, texts from the given language.
    void ResetSession(const MBLanguages& language);
    // Right after the dial: the terminal has a limited time to call in.
    void ArmFirstAnswerTimer();
    // The terminal's connection is accepted.
    void BeginSession();

    FrameOutcome ProcessTerminalFrame(const SessionFrame& frame);
    void ParseTerminalFrame(const SessionFrame& frame);
    QString FormatFrameTrace(const SessionFrame& frame) const;

    SessionFrame BuildIdentificationFrame();
    SessionFrame BuildActivityRequest(uint8_t code);
    SessionFrame BuildEndOfActivityFrame(uint8_t code);
    SessionFrame BuildNextActivityFrame(uint8_t code);
    // Whether the last activity request sent asked for this activity (wire code).
    bool RequestedActivityIs(uint8_t code) const;

    // JVZ's identification for a program version (two digits each for major and minor).
    static SessionFrame identificationFrame(int major, int minor);
    // One byte per character, as the frame texts are shown and stored.
    static QString frameText(const QByteArray& bytes);

    SessionState state() const { return m_session.sessionState; }

private:
    void setState(SessionState state);
    void armAnswerTimer(int intervalMs);
    void stopAnswerTimer();
    QString label(const char* key) const;
    void recordFailure(BatchCode code, const QString& text);
    enum class BatchRuns { Silent, Shown };
    void showMessage(MessageIcon icon, const QString& text, BatchRuns inBatch);

    FrameOutcome onWaitingIdentification(const SessionFrame& frame);
    FrameOutcome onIdentified(const SessionFrame& frame);
    void onWaitingEndReport(const SessionFrame& frame);

    QString traceIdentification(const SessionFrame& frame) const;
    QString traceActivityAnswer(const SessionFrame& frame) const;
    QString traceEndOfActivity(const SessionFrame& frame) const;

    SessionHost& m_host;
    Notifier& m_notifier;
    TerminalSession& m_session;
    TerminalIdentity& m_identity;
    BatchErrorCode& m_result;
    SessionTimings m_timings;
    MBLanguages m_sockLanguage; // every message and trace text of the protocol
};

} // namespace jvz
