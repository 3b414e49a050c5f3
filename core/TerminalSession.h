#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace jvz {

// Type byte of a session frame, as it travels on the wire.
enum class SessionFrameType : uint8_t {
    SessionEnd = 0,
    Identification = 16,
    IdentificationAck = 17,
    ActivityRequest = 32,
    ActivityAnswer = 33,
    EndOfActivity = 34,
};

// One message of the session protocol: a type byte, a payload-length byte, then the payload.
// Always raw bytes: one received chunk is one frame, never split, joined or re-encoded.
struct SessionFrame {
    QByteArray bytes;

    bool isEmpty() const { return bytes.isEmpty(); }
    int size() const { return static_cast<int>(bytes.size()); }
    // The type byte, or -1 for an empty chunk.
    int type() const { return bytes.isEmpty() ? -1 : static_cast<uint8_t>(bytes.at(0)); }
    // Byte at a 1-based position, or -1 when the frame is shorter.
    int byteAt(int position) const
    {
        return position >= 1 && position <= bytes.size() ? static_cast<uint8_t>(bytes.at(position - 1)) : -1;
    }
    // Bytes [position, position + width) cut by position only; whatever lies beyond the end is left out.
    QByteArray field(int position, int width) const
    {
        if (position < 1 || width <= 0 || position > bytes.size())
            return {};
        return bytes.mid(position - 1, width);
    }
    // Bytes from a 1-based position to the end (empty when the frame is shorter).
    QByteArray tail(int position) const { return position >= 1 ? bytes.mid(position - 1) : QByteArray(); }

    bool operator==(const SessionFrame&) const = default;
};

// Wire activity codes of the activity request.
enum class ActivityCode : uint8_t {
    Download = 1,
    Diagnostic = 2,
    Maintenance = 3,
};

enum class SessionState : int16_t {
    Idle = 0,
    WaitingIdentification = 1,
    Identified = 2, // an activity request or the session end may be sent
    ActivityRunning = 3,
    WaitingEndReport = 4, // JVZ sent its end of activity and waits for the terminal's report
};

// State of the session protocol. Written by the session, read by the transfers.
struct TerminalSession {
    SessionState sessionState = SessionState::Idle;
    // Last activity asked for, internal code: 1 download, 2 diagnostic, 4 maintenance, 0 after the session end.
    int16_t requestedActivity = 0;
    // Code of the last end-of-activity frame JVZ sent.
    int16_t endOfActivityCode = 0;
    // True from the terminal's authorisation until JVZ ends the activity.
    bool activityAuthorized = false;
    // Running total of the sizes of the files bound for the terminal's exchange directory.
    int64_t swapTotalSize = 0;
    bool swapUnchecked = true;
    // The terminal folder the FTP session is in and the terminal list shows ("\SWAP\").
    QString currentTerminalDir;
};

// What the terminal said of itself. Texts are decoded one byte per character; empty before the first frame.
struct TerminalIdentity {
    QString productCode;
    QString protocolVersion;
    QString constructorCode;
    QString bootVersion;
    QString contractKind;
    QString contractNumber;          // "undefined" unless the contract kind is "8"
    QString serialNumber;            // last 4 serial bytes as 8 upper-case hex digits
    QByteArray authorizedActivities; // 2 raw bytes as received
    QString activityInfo;            // from the authorising activity answer, right-trimmed
    QString swapDisk;                // the terminal's exchange directory, right-trimmed
};

// The identity as the terminal-information window keeps it: written field by field by the session at each
// identification, read by the transfers and the local file list through ProductCodeTerminal.
// Outlives the window: closing it clears nothing.
class TerminalInfoFields {
public:
    void SetConstructorCode(const QString& value) { m_constructorCode = value; }
    void SetProductCode(const QString& value) { m_productCode = value; }
    void SetBootVersion(const QString& value) { m_bootVersion = value; }
    void SetProtocolVersion(const QString& value) { m_protocolVersion = value; }
    void SetContractNumber(const QString& value) { m_contractNumber = value; }
    void SetTerminalNumber(const QString& value) { m_terminalNumber = value; }
    void SetRamSize(const QString& value) { m_ramSize = value; }
    void SetFlashSize(const QString& value) { m_flashSize = value; }

    // Exactly what the terminal sent: no case folding, trimming or padding.
    QString ProductCodeTerminal() const { return m_productCode; }

    QString constructorCode() const { return m_constructorCode; }
    QString bootVersion() const { return m_bootVersion; }
    QString protocolVersion() const { return m_protocolVersion; }
    QString contractNumber() const { return m_contractNumber; }
    QString terminalNumber() const { return m_terminalNumber; }
    QString ramSize() const { return m_ramSize; }
    QString flashSize() const { return m_flashSize; }

private:
    QString m_constructorCode;
    QString m_productCode;
    QString m_bootVersion;
    QString m_protocolVersion;
    QString m_contractNumber;
    QString m_terminalNumber;
    QString m_ramSize;
    QString m_flashSize;
};

} // namespace jvz
