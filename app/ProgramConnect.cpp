#include "ProgramConnect.h"

#include "core/AppState.h"
#include "session/SessionRuntime.h"
#include "session/SessionWindow.h"
#include "session/ui/FrmConfigComModem.h"
#include "session/ui/frmUsbSelection.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>

namespace jvz {

ProgramConnect::ProgramConnect(AppState& state, frmMainJVZ& window, SessionWindow& sessionWindow,
                               SessionRuntime& session, Notifier& notifier, RasFunctions& ras,
                               SerialPortInventory& ports)
    : m_window(window), m_sessionWindow(sessionWindow)
{
    m_link = std::make_unique<LinkConnect>(state, sessionWindow, session, windowParts(), window.language(), notifier,
                                           ras, ports);
}

ProgramConnect::~ProgramConnect() = default;

void ProgramConnect::TerminalConnect(bool modemSetupDone)
{
    m_link->TerminalConnect(modemSetupDone);
}

ConnectWindowHooks ProgramConnect::windowParts()
{
    ConnectWindowHooks parts;
    parts.clearTrace = [this] { m_window.traceBox().clear(); };
    parts.entryName = [this] { return m_window.controls().comboDefaultConnection->currentText(); };
    parts.setBusyCursor = [this](bool busy) {
        if (busy && !QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (!busy)
            m_sessionWindow.ResetMousePointer();
    };
    parts.selectUsbPort = [this](int count, const QString& list, const QString& current) {
        return selectUsbPort(count, list, current);
    };
    parts.installPort = [this](const QString& port) { return installPort(port); };
    return parts;
}

QString ProgramConnect::selectUsbPort(int count, const QString& list, const QString& current)
{
    if (!m_usbSelection)
        m_usbSelection = new frmUsbSelection(&m_window);
    m_usbSelection->init(count, list, current);
    m_usbSelection->exec();
    return m_usbSelection->SelectedPort;
}

bool ProgramConnect::installPort(const QString& port)
{
    if (!m_portInstaller) {
        // Its first use gives it the main window as owner.
        m_portInstaller = new FrmConfigComModem(m_link->portCheckSystem());
        m_portInstaller->setTrace([this](const QString& line) { m_window.traceBox().add(line); });
    }
    m_portInstaller->InitLanguage(m_window.language());
    return m_portInstaller->InstallPort(port, &m_window);
}

} // namespace jvz
