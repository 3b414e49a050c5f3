#pragma once

#include "session/ConnectAdapters.h"
#include "session/ConnectSequence.h"
#include "session/PortCheck.h"
#include "session/PrivatePhonebook.h"
#include "session/RuntimeConnectHost.h"

#include <QPointer>
#include <memory>

namespace jvz {

struct AppState;
class FrmConfigComModem;
class Notifier;
class RasFunctions;
class SerialPortInventory;
class frmMainJVZ;
class frmUsbSelection;

// The main window's connect sequence with the program's real neighbours: the USB library beside the program,
// the private phonebook, the port checks, the dial-up functions and the window's session.
class ProgramConnect {
public:
    ProgramConnect(AppState& state, frmMainJVZ& window, Notifier& notifier, RasFunctions& ras,
                   SerialPortInventory& ports);
    ~ProgramConnect();

    void TerminalConnect(bool modemSetupDone);
    // The port checks of the port installer window; the Connection menu runs them too.
    bool installPort(const QString& port);

private:
    ConnectWindowParts windowParts();
    QString selectUsbPort(int count, const QString& list, const QString& current);

    AppState& m_state;
    frmMainJVZ& m_window;
    PrivatePhonebook m_phonebook;
    PrivatePhonebookConnect m_phonebookConnect;
    YeldrinUsbTerminalPorts m_usb;
    LinuxPortCheckSystem m_portCheck;
    std::unique_ptr<RuntimeConnectHost> m_host;
    std::unique_ptr<ConnectSequence> m_sequence;
    // Created on first use, owned by the main window.
    QPointer<frmUsbSelection> m_usbSelection;
    QPointer<FrmConfigComModem> m_portInstaller;
};

} // namespace jvz
