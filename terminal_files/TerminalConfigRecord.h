#pragma once

// The terminal's hardware configuration file (TERMINAL.CNF): one fixed 97-byte record, no header, no checksum,
// multi-byte numbers little-endian. One table gives every member's offset, width, encoding and the boxes of the
// configuration window that show it; the window and the tests read the same table.

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>
#include <array>
#include <span>

namespace jvz {

class FileWriter;

enum class ConfigEncoding {
    Text,     // n bytes of Windows-1252 text, padded with blanks or cut
    Hex,      // n raw bytes shown as hex digits, high nibble first
    Size32,   // signed 32-bit byte count shown in megabytes
    Bits16,   // 16 option bits, one check box each
    Bits8,    // 8 option bits
    Number16, // unsigned 16-bit number shown in decimal
    TidZone,  // 20 raw bytes, one hex box per byte
};

// One option bit: its check box and the caption above it (both control arrays of the window).
struct ConfigBit {
    int check;           // index in Check1
    int label;           // index in Label1
    const char* caption; // design caption
};

struct ConfigMember {
    const char* name;
    int offset;
    int width;
    ConfigEncoding encoding;
    int textBox;           // index in Text1; -1 for the bit words and the TID zone
    const char* labelName; // label control (or frame) naming the member in the window
    int labelIndex;        // its index when it is a member of a control array, else -1
    const char* caption;   // the label's (or frame's) design caption
    std::span<const ConfigBit> bits;
};

inline constexpr int kTerminalConfigSize = 97;
inline constexpr int kTextBoxCount = 35;  // Text1 0-34 (there is no 12)
inline constexpr int kCheckBoxCount = 64; // Check1 0-63
inline constexpr int kTidZoneBoxCount = 20;

std::span<const ConfigMember> terminalConfigMembers();
const ConfigMember& terminalConfigMember(const char* name);

// The TID zone's boxes: Text1 index and Label1 index of TZ1 to TZ20.
struct TidZoneBox {
    int textBox;
    int label;
};
std::span<const TidZoneBox> tidZoneBoxes();

// The window's working copy of a record: the texts of the Text1 boxes and the states of the Check1 boxes.
struct TerminalConfigForm {
    std::array<QString, kTextBoxCount> text;
    std::array<bool, kCheckBoxCount> check{};
};

// Every member into its boxes. The record must hold at least 97 bytes; numbers are shown in the locale's format.
TerminalConfigForm decodeTerminalConfig(QByteArrayView record, const QLocale& locale = QLocale());
QString decodeMemberText(const ConfigMember& member, QByteArrayView record, const QLocale& locale = QLocale());

enum class ConfigEncodeProblem {
    None,
    NotHex,           // a hex member that is not whole bytes of hex digits
    NotNumber,        // a number member that is empty or not a number
    SizeOutOfRange,   // megabytes that do not round to -2048..2047
    NumberOutOfRange, // a number that does not round to 0..32767
    BadTidByte,       // a TID zone box that is neither empty nor exactly two hex digits
};

struct ConfigEncodeResult {
    QByteArray record; // 97 bytes when problem is None
    ConfigEncodeProblem problem = ConfigEncodeProblem::None;
    const ConfigMember* member = nullptr; // the member refused
    int box = -1;                         // the Text1 box refused
    int tidZoneIndex = 0;                 // 1-20 for a TID zone box
};

// Builds the record from the boxes. A number member whose box still shows what the loaded record gave keeps its
// stored bytes: the sizes may hold bytes that are no whole megabyte and the country code values the box cannot
// take back (above 32767).
ConfigEncodeResult encodeTerminalConfig(const TerminalConfigForm& form, const QLocale& locale = QLocale(),
                                        QByteArrayView loaded = {});

enum class ConfigReadStatus { Ok, CannotOpen, TooShort };
struct ConfigReadResult {
    ConfigReadStatus status = ConfigReadStatus::CannotOpen;
    QByteArray record; // the first 97 bytes when Ok
    qint64 fileSize = 0;
};
ConfigReadResult readTerminalConfigFile(const QString& path);

enum class ConfigSaveStatus { Ok, ReadOnly, CannotReadExisting, WriteFailed };
struct ConfigSaveResult {
    ConfigSaveStatus status = ConfigSaveStatus::Ok;
    QString errorText;
};
// Writes the record over the first 97 bytes of the file through a temporary file and a rename, keeping whatever
// a longer file holds after them; a missing file is created.
ConfigSaveResult saveTerminalConfigFile(const QString& path, QByteArrayView record, FileWriter& writer);

} // namespace jvz
