#include "session/SockProcessing.h"

#include "core/Cp1252.h"
#include "core/HexText.h"
#include "core/ProgramInfo.h"
#include "session/SessionHost.h"
#include "session/SessionLog.h"

namespace jvz {

namespace {

// Fixed parts of JVZ's identification.
constexpr char kOwnProductCode[] = "JVZ";
constexpr char kProtocolVersion[] = "0101";
constexpr char kConstructorCode[] = "QUORB PA"; // the blank belongs to the code

// Terminal identification layout: 1-based position and width of each field.
struct FieldSpan {
    int position;
    int width;
};
constexpr FieldSpan kProductCode{3, 3};
constexpr FieldSpan kProtocol{6, 4};
constexpr FieldSpan kConstructor{10, 8};
constexpr FieldSpan kBootVersion{18, 4};
constexpr FieldSpan kContractKind{22, 1};
constexpr FieldSpan kContractNumber{23, 9};
constexpr FieldSpan kSerialNumber{32, 8};
constexpr FieldSpan kAuthorizedActivities{40, 2};
// Authorising activity answer.
constexpr FieldSpan kActivityInfo{4, 11};
constexpr FieldSpan kSwapDisk{15, 15};
// Detail lines of a terminal's end-of-activity report, as traced.
constexpr FieldSpan kDetail1{4, 15};
constexpr FieldSpan kDetail2{19, 15};

constexpr int kStatusByte = 3;
constexpr int kSerialDigitsKept = 8;

// Codes of an end-of-activity report; every unknown code is a generic activity problem.
enum class EndReport { Normal, DuringActivity, FtpConnect, MaxDuration, BadSignature, BadStorage, Other };

EndReport endReportOf(int code)
{
    switch (code) {
    case 0:
        return EndReport::Normal;
    case 1:
        return EndReport::DuringActivity;
    case 2:
        return EndReport::FtpConnect;
    case 3:
        return EndReport::MaxDuration;
    case 4:
        return EndReport::BadSignature;
    case 5:
        return EndReport::BadStorage;
    }
    return EndReport::Other;
}

// Language key of the result text of a report (empty for a normal end).
const char* errorKeyOf(EndReport report)
{
    switch (report) {
    case EndReport::Normal:
        return "";
    case EndReport::DuringActivity:
        return "MSG_SOCKET_PB_DURING_ACTIVITY";
    case EndReport::FtpConnect:
        return "MSG_SOCKET_PB_FTP_CONNECT";
    case EndReport::MaxDuration:
        return "MSG_SOCKET_DUREE_MAX_COM_ATTEINT";
    case EndReport::BadSignature:
        return "MSG_SOCKET_BAD_SIGNATURE";
    case EndReport::BadStorage:
        return "MSG_SOCKET_BAD_STORAGE";
    case EndReport::Other:
        return "MSG_SOCKET_ActivityProblem";
    }
    return "";
}

// Language key of the trace text of a report (empty for a normal end).
const char* traceKeyOf(EndReport report)
{
    switch (report) {
    case EndReport::Normal:
        return "";
    case EndReport::DuringActivity:
        return "TRC_ProblemDuringActivity";
    case EndReport::FtpConnect:
        return "TRC_BadFTPConnection";
    case EndReport::MaxDuration:
        return "TRC_ConnectionTimeout";
    case EndReport::BadSignature:
        return "TRC_WrongSignature";
    case EndReport::BadStorage:
        return "TRC_BadStorage";
    case EndReport::Other:
        return "TRC_ProblemDuringActivity";
    }
    return "";
}

// Internal code of a requested activity: maintenance (wire 3) is recorded as 4.
int16_t internalActivityOf(uint8_t wireCode)
{
    switch (wireCode) {
    case 1:
        return 1;
    case 2:
        return 2;
    case 3:
        return 4;
    }
    return 0;
}

QString hex(const QByteArray& bytes)
{
    return BytesToHex(bytes, static_cast<int>(bytes.size()));
}

QString rightTrimmed(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QByteArray frameOf(SessionFrameType type, uint8_t value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(type));
    bytes.append(char(1));
    bytes.append(static_cast<char>(value));
    return bytes;
}

const char* stateName(SessionState state)
{
    switch (state) {
    case SessionState::Idle:
        return "idle";
    case SessionState::WaitingIdentification:
        return "waiting for identification";
    case SessionState::Identified:
        return "identified";
    case SessionState::ActivityRunning:
        return "activity running";
    case SessionState::WaitingEndReport:
        return "waiting for end report";
    }
    return "?";
}

} // namespace

SockProcessing::SockProcessing(SessionHost& host, Notifier& notifier, TerminalSession& session,
                               TerminalIdentity& identity, BatchErrorCode& result, SessionTimings timings)
    : m_host(host), m_notifier(notifier), m_session(session), m_identity(identity), m_result(result), m_timings(timings)
{
}

QString SockProcessing::frameText(const QByteArray& bytes)
{
    return Cp1252::decode(bytes);
}

SessionFrame SockProcessing::identificationFrame(int major, int minor)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(SessionFrameType::Identification));
    bytes.append(char(19));
    bytes.append(kOwnProductCode);
    bytes.append(kProtocolVersion);
    bytes.append(kConstructorCode);
    // Two digits each, so the frame keeps its 21 bytes whatever the version.
    bytes.append(QByteArray::number(major % 100).rightJustified(2, '0'));
    bytes.append(QByteArray::number(minor % 100).rightJustified(2, '0'));
    return {bytes};
}

void SockProcessing::setState(SessionState state)
{
    if (state != m_session.sessionState)
        qCDebug(lcSession) << "session state" << stateName(m_session.sessionState) << "->" << stateName(state);
    m_session.sessionState = state;
}

void SockProcessing::armAnswerTimer(int intervalMs)
{
    m_host.ActivTempoRespSocket(true, intervalMs);
}

void SockProcessing::stopAnswerTimer()
{
    m_host.ActivTempoRespSocket(false, m_timings.answerMs);
}

QString SockProcessing::label(const char* key) const
{
    return m_sockLanguage.GetFormLabel(QString::fromLatin1(key));
}

void SockProcessing::recordFailure(BatchCode code, const QString& text)
{
    qCInfo(lcSession) << "session failure" << static_cast<int>(code) << text;
    m_result.set(code, text);
}

void SockProcessing::showMessage(MessageIcon icon, const QString& text, BatchRuns inBatch)
{
    if (!m_host.batchMode()) {
        m_notifier.message(text, QString(), icon, MessageButtons::Ok);
        return;
    }
    if (inBatch == BatchRuns::Silent)
        return;
    // Nobody is there to close a box: the notifier only writes it out, and the trace keeps it.
    m_host.trace(text);
    m_notifier.message(text, QString(), icon, MessageButtons::Ok);
}

void SockProcessing::ResetSession(const MBLanguages& language)
{
    m_sockLanguage.Copy(language);
    m_session.activityAuthorized = false;
    m_session.requestedActivity = 0;
    setState(SessionState::Idle);
}

void SockProcessing::ArmFirstAnswerTimer()
{
    if (m_session.sessionState == SessionState::Idle)
        armAnswerTimer(m_timings.firstAnswerMs);
}

void SockProcessing::BeginSession()
{
    setState(SessionState::WaitingIdentification);
    armAnswerTimer(m_timings.answerMs);
}

SessionFrame SockProcessing::BuildIdentificationFrame()
{
    if (m_session.sessionState != SessionState::WaitingIdentification)
        return {};
    armAnswerTimer(m_timings.answerMs);
    return identificationFrame(programVersionMajor(), programVersionMinor());
}

SessionFrame SockProcessing::BuildActivityRequest(uint8_t code)
{
    m_session.requestedActivity = internalActivityOf(code);
    setState(SessionState::Identified);
    armAnswerTimer(m_timings.answerMs);
    return {frameOf(SessionFrameType::ActivityRequest, code)};
}

SessionFrame SockProcessing::BuildEndOfActivityFrame(uint8_t code)
{
    if (m_session.sessionState != SessionState::ActivityRunning)
        return {};
    m_session.activityAuthorized = false;
    m_session.endOfActivityCode = code;
    setState(SessionState::WaitingEndReport);
    armAnswerTimer(m_timings.answerMs);
    return {frameOf(SessionFrameType::EndOfActivity, code)};
}

SessionFrame SockProcessing::BuildNextActivityFrame(uint8_t code)
{
    if (m_session.sessionState != SessionState::Identified || code > 3)
        return {};
    m_session.requestedActivity = internalActivityOf(code);
    if (code == 0)
        return {frameOf(SessionFrameType::SessionEnd, 0)};
    return {frameOf(SessionFrameType::ActivityRequest, code)};
}

bool SockProcessing::RequestedActivityIs(uint8_t code) const
{
    return m_session.requestedActivity == internalActivityOf(code);
}

FrameOutcome SockProcessing::ProcessTerminalFrame(const SessionFrame& frame)
{
    FrameOutcome outcome;
    // An empty chunk carries no frame at all.
    if (!frame.isEmpty()) {
        switch (m_session.sessionState) {
        case SessionState::WaitingIdentification:
            outcome = onWaitingIdentification(frame);
            break;
        case SessionState::Identified:
            outcome = onIdentified(frame);
            break;
        case SessionState::WaitingEndReport:
            onWaitingEndReport(frame);
            break;
        case SessionState::Idle:
        case SessionState::ActivityRunning:
            break;
        }
    }
    outcome.authorised = m_session.activityAuthorized;
    return outcome;
}

FrameOutcome SockProcessing::onWaitingIdentification(const SessionFrame& frame)
{
    FrameOutcome outcome;
    if (frame.type() == int(SessionFrameType::Identification)) {
        if (frame.byteAt(3) == 'M') {
            outcome.reply = BuildIdentificationFrame();
            return outcome;
        }
        // Not a terminal of ours: refuse, and let the run say why it failed. No box here: the window is handed
        // the code of every identification (ParseTerminalFrame) and names an unknown one in its own box.
        stopAnswerTimer();
        outcome.reply = {frameOf(SessionFrameType::IdentificationAck, 1)};
        setState(SessionState::Idle);
        outcome.closeRequested = true;
        recordFailure(BatchCode::IdentificationRefused, label("MSG_WrongIdent"));
        return outcome;
    }
    if (frame.type() == int(SessionFrameType::IdentificationAck)) {
        if (frame.byteAt(kStatusByte) == 0) {
            outcome.reply = BuildActivityRequest(m_host.activityAsked());
            return outcome;
        }
        // Refused, or no status at all.
        const QString text = label("MSG_WrongIdent");
        showMessage(MessageIcon::Critical, text, BatchRuns::Silent);
        recordFailure(BatchCode::IdentificationRefused, text);
        setState(SessionState::Idle);
        outcome.closeRequested = true;
        stopAnswerTimer();
    }
    return outcome;
}

FrameOutcome SockProcessing::onIdentified(const SessionFrame& frame)
{
    FrameOutcome outcome;
    if (frame.type() != int(SessionFrameType::ActivityAnswer))
        return outcome;
    if (frame.byteAt(kStatusByte) == 0) {
        m_session.activityAuthorized = true;
        m_host.activityAuthorised();
        setState(SessionState::ActivityRunning);
        stopAnswerTimer();
        return outcome;
    }
    // Refused (or no status). This box is meant for batch runs too.
    const QString text = label("MSG_UnauthorizedActivity");
    showMessage(MessageIcon::Exclamation, text, BatchRuns::Shown);
    recordFailure(BatchCode::ActivityNotAuthorised, text);
    outcome.reply = BuildNextActivityFrame(0);
    m_session.activityAuthorized = false;
    // The reply ends the session: the terminal's close must end it, not a later answer timeout.
    outcome.replyEndsSession = !outcome.reply.isEmpty();
    stopAnswerTimer();
    return outcome;
}

void SockProcessing::onWaitingEndReport(const SessionFrame& frame)
{
    if (frame.type() != int(SessionFrameType::EndOfActivity))
        return;
    stopAnswerTimer();
    if (m_session.endOfActivityCode == 2) {
        // JVZ's own FTP failure: keep the first cause of a failed run.
        if (!m_result.failed())
            recordFailure(BatchCode::EndOfActivityProblem, label("MSG_SOCKET_PB_FTP_CONNECT"));
    } else if (m_session.endOfActivityCode == 0) {
        // A report without its code is a problem report too.
        const int code = frame.byteAt(kStatusByte);
        if (code != 0) {
            const QString detail = rightTrimmed(frameText(frame.tail(4)));
            const QString text = label(errorKeyOf(endReportOf(code))) + kCrLf + detail;
            recordFailure(BatchCode::EndOfActivityProblem, text);
            showMessage(MessageIcon::Exclamation, text, BatchRuns::Silent);
        }
    }
    setState(SessionState::Identified);
}

void SockProcessing::ParseTerminalFrame(const SessionFrame& frame)
{
    const auto text = [&frame](FieldSpan span) { return frameText(frame.field(span.position, span.width)); };

    if (frame.type() == int(SessionFrameType::Identification)) {
        TerminalIdentity& id = m_identity;
        id.productCode = text(kProductCode);
        id.protocolVersion = text(kProtocol);
        id.constructorCode = text(kConstructor);
        id.bootVersion = text(kBootVersion);
        id.contractKind = text(kContractKind);
        id.contractNumber = id.contractKind == QLatin1String("8") ? text(kContractNumber) : QStringLiteral("undefined");
        id.serialNumber = hex(frame.field(kSerialNumber.position, kSerialNumber.width)).right(kSerialDigitsKept);
        id.authorizedActivities = frame.field(kAuthorizedActivities.position, kAuthorizedActivities.width);

        if (!m_host.batchMode())
            m_host.SeeProductCode(id.productCode);
        TerminalInfoFields& info = m_host.terminalInfo();
        info.SetProductCode(id.productCode);
        info.SetProtocolVersion(id.protocolVersion);
        info.SetConstructorCode(id.constructorCode);
        info.SetBootVersion(id.bootVersion);
        info.SetContractNumber(id.contractNumber);
        info.SetTerminalNumber(id.serialNumber);
        info.SetRamSize(QStringLiteral("?"));
        info.SetFlashSize(QStringLiteral("?"));
        return;
    }
    if (frame.type() == int(SessionFrameType::ActivityAnswer) && frame.byteAt(kStatusByte) == 0) {
        m_identity.activityInfo = rightTrimmed(text(kActivityInfo));
        m_identity.swapDisk = rightTrimmed(text(kSwapDisk));
    }
}

QString SockProcessing::FormatFrameTrace(const SessionFrame& frame) const
{
    switch (frame.type()) {
    case int(SessionFrameType::SessionEnd):
    case int(SessionFrameType::IdentificationAck):
    case int(SessionFrameType::ActivityRequest):
        return hex(frame.bytes);
    case int(SessionFrameType::Identification):
        return traceIdentification(frame);
    case int(SessionFrameType::ActivityAnswer):
        return traceActivityAnswer(frame);
    case int(SessionFrameType::EndOfActivity):
        return traceEndOfActivity(frame);
    }
    return frameText(frame.bytes);
}

QString SockProcessing::traceIdentification(const SessionFrame& frame) const
{
    const TerminalIdentity& id = m_identity;
    return hex(frame.field(1, 3)) + QStringLiteral("... ") + kCrLf + label("TRC_RemoteProductCode") + id.productCode +
           kCrLf + label("TRC_ProtocolVersionUsed") + id.protocolVersion + kCrLf + label("TRC_ConstructorCode") +
           id.constructorCode + kCrLf + label("TRC_BootTerminalVersion") + id.bootVersion + kCrLf +
           label("TRC_ContractNumber") + id.contractNumber + kCrLf + label("TRC_TerminalSerialNumber") +
           id.serialNumber + kCrLf + label("TRC_AuthorizedActivities") + hex(id.authorizedActivities);
}

QString SockProcessing::traceActivityAnswer(const SessionFrame& frame) const
{
    const int status = frame.byteAt(kStatusByte);
    if (status == 0) {
        QString activity;
        switch (m_session.requestedActivity) {
        case 1:
            activity = label("TRC_Downloading");
            break;
        case 2:
            activity = label("TRC_Diagnostic");
            break;
        case 4:
            activity = label("TRC_Maintenance");
            break;
        }
        return hex(frame.field(1, 3)) + QStringLiteral("... ") + kCrLf + label("TRC_ActivityAuthorized") + activity +
               kCrLf + label("TRC_SwapDisk") + m_identity.swapDisk;
    }
    const char* key = status == 1   ? "TRC_ActivityUnauthorized"
                      : status == 2 ? "TRC_ActivityUnknown"
                                    : "TRC_ActivityRefused";
    return hex(frame.bytes) + QLatin1Char(' ') + label(key);
}

QString SockProcessing::traceEndOfActivity(const SessionFrame& frame) const
{
    QString trace = hex(frame.field(1, 3));
    const EndReport report = endReportOf(frame.byteAt(kStatusByte));
    if (report != EndReport::Normal)
        trace += QLatin1Char(' ') + label(traceKeyOf(report));
    const QString detail1 = rightTrimmed(frameText(frame.field(kDetail1.position, kDetail1.width)));
    if (!detail1.isEmpty())
        trace += kCrLf + detail1 + kCrLf + rightTrimmed(frameText(frame.field(kDetail2.position, kDetail2.width)));
    return trace;
}

} // namespace jvz
