#pragma once

#include "LinkConnect.h"

#include <QPointer>
#include <memory>

namespace jvz {

struct AppState;
class FrmConfigComModem;
class Notifier;
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
                   Notifier& notifier, RasFunctions& ras, SerialPortInventory& ports);
    ~ProgramConnect();

    void TerminalConnect(bool modemSetupDone);
    // The port checks of the port installer window; the Connection menu runs them too.
    bool installPort(const QString& port);

private:
    ConnectWindowHooks windowParts();
    QString selectUsbPort(int count, const QString& list, const QString& current);

    frmMainJVZ& m_window;
    SessionWindow& m_sessionWindow;
    std::unique_ptr<LinkConnect> m_link;
    // Created on first use, owned by the main window.
    QPointer<frmUsbSelection> m_usbSelection;
    QPointer<FrmConfigComModem> m_portInstaller;
};

} // namespace jvz
