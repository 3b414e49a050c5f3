#pragma once

// The program's own dial-up phonebook: an INI file in ras/ beside the program, one section per entry. The
// program keeps its entry "JVZ Connection" pointed at the terminal's port.

#include "platform/FileWriter.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace jvz {

struct BatchErrorCode;
class SerialPortInventory;

inline constexpr const char* kProgramEntryName = "JVZ Connection";

// One entry as the dialer uses it: the port keys the entry dialogs write plus the pppd ones ("PppPeerName",
// "PppOptions").
struct PhonebookEntry {
    QString name;
    QString port; // kernel device name: ttyACM0
    int speed = 115200;
    bool hardwareFlowControl = false;
    QString peerName;     // the administrator's /etc/ppp/peers/NAME
    QString extraOptions; // further pppd options, separated by blanks
};

// The phonebook's file name for a version code (GetWindowsVersion); empty for a code that has no phonebook.
QString phonebookFileName(int16_t versionCode);

// The device name of a port text ("ttyACM0" or "/dev/ttyACM0"); empty when it names no tty device.
QString portDeviceName(const QString& port);

// Entries: read whole, written key by key (each write read back).
std::optional<PhonebookEntry> readPhonebookEntry(const QString& phonebookPath, const QString& name);
// Creates the file (and its folder) when missing. False with the reason when a write did not take.
bool writePhonebookEntry(const QString& phonebookPath, const PhonebookEntry& entry, FileWriter* writer, QString* error);

class PrivatePhonebook {
public:
    // programFolder: the folder of the running program; writer: the real atomic writer when null.
    PrivatePhonebook(QString programFolder, SerialPortInventory& inventory, FileWriter* writer = nullptr,
                     int16_t versionCode = -1);

    QString folder() const { return m_programFolder + QStringLiteral("/ras"); }
    // The phonebook's full path; empty when this platform version has none.
    QString path() const;

    // Rebuilds gModemPorts: the ports this user can use for PPP, each followed by ",".
    void FindModemPorts();
    // Points the program's entry at the port. Results only in error (unchanged on success).
    void SetPhonebookPort(const QString& port, bool batchMode, BatchErrorCode& error);
    void WritePhonebookEntry(const QString& fileName, const QString& port, bool batchMode, BatchErrorCode& error);
    bool PhonebookFileExists(const QString& fileName) const;
    // The entry's "Port", "" when the phonebook or the key is missing.
    QString GetPhonebookPort() const;

    // UTF-8 bytes of the text, for the device name keys (written byte for byte).
    static QByteArray ToUtf8(const QString& text);

    QString modemPorts() const { return gModemPorts; }
    QString gModemPorts;

private:
    QString m_programFolder;
    SerialPortInventory& m_inventory;
    FileWriter* m_writer;
    int16_t m_versionCode;
};

} // namespace jvz
