#include "RuntimeConnectHost.h"

#include "core/AppSettings.h"
#include "session/SessionRuntime.h"
#include "session/SessionTransport.h"
#include "session/SessionWindow.h"

namespace jvz {

RuntimeConnectHost::RuntimeConnectHost(SessionWindow& window, SessionRuntime& runtime, ConnectWindowHooks parts,
                                       const AppSettings& settings)
    : m_window(window), m_runtime(runtime), m_parts(std::move(parts)), m_settings(settings)
{
}

void RuntimeConnectHost::setTerminalFolder(const QString& folder)
{
    m_window.CurrentTerminalDir() = folder;
}

void RuntimeConnectHost::clearTrace()
{
    if (m_parts.clearTrace)
        m_parts.clearTrace();
}

void RuntimeConnectHost::trace(const QString& line)
{
    m_window.AddTrace(line);
}

void RuntimeConnectHost::setStatus(const QString& text)
{
    m_window.SetLinkStatus(text);
}

void RuntimeConnectHost::progressComment(const QString& text)
{
    m_window.ProgressComment(text);
}

void RuntimeConnectHost::reportConnectionState(ConnectionState state)
{
    m_runtime.reportConnectionState(state);
}

void RuntimeConnectHost::setBusyCursor(bool busy)
{
    if (m_parts.setBusyCursor)
        m_parts.setBusyCursor(busy);
    else if (!busy)
        m_window.ResetMousePointer();
}

QString RuntimeConnectHost::entryName() const
{
    return m_parts.entryName ? m_parts.entryName() : QString();
}

QString RuntimeConnectHost::listenAddressText() const
{
    return m_parts.listenAddress ? m_parts.listenAddress() : m_window.credentials().address;
}

QString RuntimeConnectHost::listenPortText() const
{
    return m_parts.listenPort ? m_parts.listenPort() : m_settings.gIpPort;
}

void RuntimeConnectHost::showWarning(const QString& text)
{
    m_window.ShowWarningMessage(text);
}

void RuntimeConnectHost::closeWarning()
{
    m_window.UnloadWarningMessage();
}

QString RuntimeConnectHost::selectUsbPort(int count, const QString& portList, const QString& current)
{
    return m_parts.selectUsbPort ? m_parts.selectUsbPort(count, portList, current) : QString();
}

bool RuntimeConnectHost::installPort(const QString& port, QString& failure)
{
    return m_parts.installPort && m_parts.installPort(port, failure);
}

void RuntimeConnectHost::resetSession()
{
    m_runtime.protocol().ResetSession(m_window.language());
}

void RuntimeConnectHost::setSocketInUse(bool inUse)
{
    m_runtime.vars.SocketActive = inUse;
}

void RuntimeConnectHost::setLastSocketState(int16_t state)
{
    m_runtime.vars.LastSocketState = state;
}

bool RuntimeConnectHost::listen(const QString& address, quint16 port, QString& error)
{
    if (m_runtime.tcpclient().listen(address, QString::number(port)))
        return true;
    error = m_runtime.tcpclient().errorString();
    return false;
}

void RuntimeConnectHost::setLinkUp(bool up)
{
    m_runtime.vars.LinkUp = up;
}

void RuntimeConnectHost::armFirstAnswerTimer()
{
    m_runtime.protocol().ArmFirstAnswerTimer();
}

void RuntimeConnectHost::afterConnectCommands()
{
    m_runtime.AfterConnectCommands();
}

// A batch run is ended once, by start-up, after the sequence's final outcome: a retried dial may still bring
// the link up.
void RuntimeConnectHost::closeLink()
{
    m_runtime.CloseConnexion(true, SessionRuntime::RunEnd::LeaveToCaller);
    m_runtime.vars.LinkUp = false;
}

} // namespace jvz
