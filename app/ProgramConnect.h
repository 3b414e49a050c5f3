#pragma once

#include "LinkConnect.h"

#include <QPointer>
#include <memory>

namespace jvz {

struct AppState;
class FrmConfigComModem;
class Notifier;
class PortCheckSystem;
class RasFunctions;
class SerialPortInventory;
class SessionRuntime;
class SessionWindow;
class frmMainJVZ;
class frmUsbSelection;

// The main window's connect sequence: its trace box, connection combo and cursor, the USB selection window and
// the port installer window.
class ProgramConnect {
public:
    ProgramConnect(AppState& state, frmMainJVZ& window, SessionWindow& sessionWindow, SessionRuntime& session,
                   Notifier& notifier, RasFunctions& ras, SerialPortInventory& ports, PortCheckSystem& portCheck);
    ~ProgramConnect();

    void TerminalConnect(bool modemSetupDone);
    // The port checks of the port installer window in the connect sequence; failure tells why they failed.
    bool installPort(const QString& port, QString& failure);
    // The Connection menu's port check: the window stays with what each check found until it is closed.
    bool checkPort(const QString& port);

private:
    ConnectWindowHooks windowParts();
    QString selectUsbPort(int count, const QString& list, const QString& current);
    FrmConfigComModem& portInstaller();

    frmMainJVZ& m_window;
    SessionWindow& m_sessionWindow;
    std::unique_ptr<LinkConnect> m_link;
    // Created on first use, owned by the main window.
    QPointer<frmUsbSelection> m_usbSelection;
    QPointer<FrmConfigComModem> m_portInstaller;
};

} // namespace jvz
