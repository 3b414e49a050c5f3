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
                               SerialPortInventory& ports, PortCheckSystem& portCheck)
    : m_window(window), m_sessionWindow(sessionWindow)
{
    m_link = std::make_unique<LinkConnect>(state, sessionWindow, session, windowParts(), window.language(), notifier,
                                           ras, ports, portCheck);
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
    parts.installPort = [this](const QString& port, QString& failure) { return installPort(port, failure); };
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

FrmConfigComModem& ProgramConnect::portInstaller()
{
    if (!m_portInstaller) {
        // Its first use gives it the main window as owner.
        m_portInstaller = new FrmConfigComModem(m_link->portCheckSystem());
        m_portInstaller->setTrace([this](const QString& line) { m_window.traceBox().add(line); });
    }
    m_portInstaller->InitLanguage(m_window.language());
    return *m_portInstaller;
}

bool ProgramConnect::installPort(const QString& port, QString& failure)
{
    FrmConfigComModem& w = portInstaller();
    const bool ready = w.InstallPort(port, &m_window);
    failure = w.failureText();
    return ready;
}

bool ProgramConnect::checkPort(const QString& port)
{
    return portInstaller().CheckPort(port, &m_window);
}

} // namespace jvz
