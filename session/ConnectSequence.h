#pragma once

// The connect sequence: choose the terminal's port, point the private phonebook at it, open the session
// socket, dial the PPP link and hand over to the session (or straight to FTP without the session protocol).

#include "core/BatchErrorCode.h"
#include "session/SessionStates.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace jvz {

struct AppSettings;
struct BatchRun;
class MBLanguages;
class Notifier;
class RasFunctions;

// The ports of USB-attached terminals, and the restart of one (the USB enumeration library in production).
class UsbTerminalPorts {
public:
    struct Found {
        int count = 0;
        QString names; // "ttyACM0,ttyACM1,"
    };
    virtual ~UsbTerminalPorts() = default;
    // Nothing when the library cannot be used; error then says why.
    virtual std::optional<Found> enumerate(const QString& prefix, QString& error) = 0;
    virtual void restart(const QString& port) = 0;
};

// The private phonebook as the sequence uses it.
class ConnectPhonebook {
public:
    virtual ~ConnectPhonebook() = default;
    virtual QString GetPhonebookPort() = 0;
    virtual void SetPhonebookPort(const QString& port, bool batchMode, BatchErrorCode& error) = 0;
    // Rebuilds the list of ports usable for PPP.
    virtual void FindModemPorts() = 0;
    // That list, each port followed by ",".
    virtual QString modemPorts() const = 0;
};

// What the sequence needs of the main window and of the session runtime behind it.
class ConnectHost {
public:
    virtual ~ConnectHost() = default;

    virtual void setTerminalFolder(const QString& folder) = 0;
    virtual void clearTrace() = 0;
    // A new top line of the trace box.
    virtual void trace(const QString& line) = 0;
    // Panel 4 of the status bar: the link state.
    virtual void setStatus(const QString& text) = 0;
    // A line for the progress window (shown only while it is wanted: the caller checks).
    virtual void progressComment(const QString& text) = 0;
    // The phase the sequence begins (Connecting, ConnectAbandoned, ConnectFailed): the window's connect and
    // disconnect commands follow it.
    virtual void reportConnectionState(ConnectionState state) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // The dial-up entry to dial (the connection combo box's text).
    virtual QString entryName() const = 0;
    // The session socket's local address and port texts.
    virtual QString listenAddressText() const = 0;
    virtual QString listenPortText() const = 0;

    // The connection warning: shown modeless, events processed once; closed by the session or a failure.
    virtual void showWarning(const QString& text) = 0;
    virtual void closeWarning() = 0;
    // The selection window for several USB terminals, modal; empty when the user cancelled.
    virtual QString selectUsbPort(int count, const QString& portList, const QString& current) = 0;
    // The port check; true when the port is ready and the sequence may run again. On false, failure tells the
    // failed check, what it found and its remedy (empty when nothing was checked).
    virtual bool installPort(const QString& port, QString& failure) = 0;

    // Session runtime.
    virtual void resetSession() = 0;
    virtual void setSocketInUse(bool inUse) = 0;
    virtual void setLastSocketState(int16_t state) = 0;
    // Binds and listens; false with the reason when the socket cannot.
    virtual bool listen(const QString& address, quint16 port, QString& error) = 0;
    virtual void setLinkUp(bool up) = 0;
    virtual void armFirstAnswerTimer() = 0;
    // Opens the FTP session at once and runs a batch action (no session protocol, or a network link).
    virtual void afterConnectCommands() = 0;
    // Closes the socket and hangs the link up, resetting the window, without ending a batch run: the
    // sequence decides the run's outcome and start-up ends it once.
    virtual void closeLink() = 0;
};

// Starts the route script without waiting; the task id, or nothing when it could not be started.
using RouteLauncher = std::function<std::optional<int64_t>(const QString& program, const QStringList& arguments,
                                                           const QString& workingFolder)>;
// The real launcher: a detached child.
RouteLauncher detachedRouteLauncher();

// True when the list ("ttyACM0,ttyUSB1,") names the port; the walk stops at the first entry that is not a port.
bool IsComPortListed(const QString& port, const QString& list);
// A port entry of the lists is a kernel tty name.
bool isPortToken(const QString& token);

// What the port choice reads.
struct PortChoiceInput {
    bool batchMode = false;
    bool enumUsb = true;
    QString comPort;       // the command line's port, empty when none was given
    QString phonebookPort; // empty when the phonebook or its port is missing
    QString modemPorts;    // "ttyACM0,ttyS1,"
    QStringList usbPorts;  // ports of USB terminals, in the order found, each once
};

struct PortChoice {
    QString port;             // the port to dial; empty when none
    bool chosen = false;      // from a USB terminal or the command line: written into the phonebook
    bool portUnknown = false; // the port cannot carry the link (-19)
    bool askUser = false;     // several USB terminals in an interactive run: the selection window decides
    QString candidate;        // what that window preselects
};

// The rules that pick the port, before any window or phonebook write.
PortChoice choosePort(const PortChoiceInput& input);

struct ConnectSequenceServices {
    AppSettings& settings;
    BatchRun& batch;
    MBLanguages& language; // the main window's own
    Notifier& notifier;
    ConnectHost& host;
    ConnectPhonebook& phonebook;
    UsbTerminalPorts& usb;
    RasFunctions& ras;
    RouteLauncher launchRoute;
};

class ConnectSequence {
public:
    explicit ConnectSequence(ConnectSequenceServices parts);

    // The whole sequence; its outcome is in the batch result, the status bar, the trace and the link state.
    void TerminalConnect(bool modemSetupDone);
    void DialAndOpenSession();
    // False when the socket could not listen (the sequence is then ended).
    bool StartListeningSocket();

    // The USB terminals' ports found by the last run, each once.
    const QStringList& usbPorts() const { return m_usbPorts; }

    static constexpr const char* kRouteScript = "JVZroute.bat";
    static constexpr const char* kShell = "/bin/sh";

private:
    bool enumerateUsbTerminals(QString& error);
    void portUnknown(const QString& port, bool modemSetupDone);
    void endWithoutLink();
    void fail(BatchCode code, const QString& reason);
    void runRouteScript();
    void dialFailed(int32_t rasError);
    void status(const QString& text, bool toProgress);
    QString form(const char* key) const;
    QString general(const char* key) const;

    ConnectSequenceServices m_parts;
    QStringList m_usbPorts;
    int m_depth = 0;
    bool m_portRetryUsed = false;
    bool m_rerunning = false; // the next call is the sequence's own rerun
    bool m_listening = false;
};

} // namespace jvz
