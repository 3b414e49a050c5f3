#include "ConnectSequence.h"

#include "RasFunctions.h"
#include "SessionLog.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "core/MbStringTokenizer.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>

namespace jvz {

namespace {

const QString kTerminalFolder = QStringLiteral("\\SWAP\\");
const QString kDashes = QString(33, QLatin1Char('-'));
const QString kPppProblem = QStringLiteral("PPP connection problem ");

// Port names of a comma list up to its first entry that is not a port.
QStringList portEntries(const QString& list)
{
    QStringList ports;
    for (const QString& piece : list.split(QLatin1Char(','))) {
        if (!isPortToken(piece))
            break;
        ports << piece;
    }
    return ports;
}

QString joinedList(const QStringList& ports)
{
    QString list;
    for (const QString& p : ports)
        list += p + QLatin1Char(',');
    return list;
}

} // namespace

RouteLauncher detachedRouteLauncher()
{
    return [](const QString& program, const QStringList& arguments,
              const QString& workingFolder) -> std::optional<int64_t> {
        qint64 pid = 0;
        if (!QProcess::startDetached(program, arguments, workingFolder, &pid) || pid <= 0)
            return std::nullopt;
        return pid;
    };
}

// A pseudo-terminal (pts/N) carries PPP as a serial port does, as the phonebook's port names allow.
bool isPortToken(const QString& token)
{
    return token.startsWith(QLatin1String("tty")) || token.startsWith(QLatin1String("pts/"));
}

bool IsComPortListed(const QString& port, const QString& list)
{
    if (port.isEmpty())
        return false;
    MbStringTokenizer tokens(list, QStringLiteral(","));
    for (QString token = tokens.Iterator(); isPortToken(token); token = tokens.Iterator()) {
        if (token == port)
            return true;
    }
    return false;
}

PortChoice choosePort(const PortChoiceInput& in)
{
    PortChoice out;
    out.port = in.phonebookPort;
    const auto fromCommandLine = [&] {
        out.port = in.comPort;
        out.chosen = true;
    };
    const auto unknownCommandLinePort = [&] {
        out.port = in.comPort;
        out.portUnknown = true;
    };
    // The stored port must be a usable one; an empty one is left to the caller (no port).
    const auto checkStoredPort = [&] {
        out.portUnknown = !out.port.isEmpty() && !IsComPortListed(out.port, in.modemPorts);
    };
    const qsizetype usbCount = in.usbPorts.size();

    if (in.batchMode) {
        if (!in.enumUsb) {
            if (in.comPort.isEmpty())
                return out; // the stored port, without a check
            if (IsComPortListed(in.comPort, in.modemPorts))
                fromCommandLine();
            else
                unknownCommandLinePort();
            return out;
        }
        if (!in.comPort.isEmpty() && IsComPortListed(in.comPort, in.modemPorts) && in.usbPorts.contains(in.comPort)) {
            fromCommandLine();
            return out;
        }
        if (usbCount == 0 && IsComPortListed(in.comPort, in.modemPorts)) {
            fromCommandLine();
        } else if (usbCount == 1) {
            out.port = in.usbPorts.first();
            out.chosen = true;
        } else {
            // Several terminals need the command line to name one of them.
            unknownCommandLinePort();
        }
        return out;
    }

    if (!in.enumUsb || usbCount == 0) {
        checkStoredPort();
        return out;
    }
    // The port already stored wins when its terminal is present.
    out.candidate = in.usbPorts.contains(in.phonebookPort) ? in.phonebookPort : in.usbPorts.first();
    out.chosen = true;
    if (usbCount == 1)
        out.port = out.candidate;
    else
        out.askUser = true;
    return out;
}

ConnectSequence::ConnectSequence(ConnectSequenceServices parts) : m_parts(std::move(parts))
{
    if (!m_parts.launchRoute)
        m_parts.launchRoute = detachedRouteLauncher();
}

QString ConnectSequence::form(const char* key) const
{
    return m_parts.language.GetFormLabel(QLatin1String(key));
}

QString ConnectSequence::general(const char* key) const
{
    return m_parts.language.GetGeneralLabel(QLatin1String(key));
}

void ConnectSequence::status(const QString& text, bool toProgress)
{
    m_parts.host.setStatus(text);
    m_parts.host.trace(text);
    if (toProgress && m_parts.batch.gShowProgress)
        m_parts.host.progressComment(text);
}

bool ConnectSequence::enumerateUsbTerminals(QString& error)
{
    m_usbPorts.clear();
    MbStringTokenizer prefixes(m_parts.settings.gUsbVidList, QStringLiteral(","));
    for (QString prefix = prefixes.Iterator(); prefix.contains(QLatin1String("VID")); prefix = prefixes.Iterator()) {
        const std::optional<UsbTerminalPorts::Found> found = m_parts.usb.enumerate(prefix, error);
        if (!found)
            return false;
        if (found->count == 0)
            continue;
        for (const QString& port : portEntries(found->names)) {
            // One terminal matched by two prefixes is still one terminal.
            if (!m_usbPorts.contains(port))
                m_usbPorts << port;
        }
    }
    return true;
}

void ConnectSequence::TerminalConnect(bool modemSetupDone)
{
    // Windows shown during a run handle events: a Connect clicked meanwhile must not start a second run.
    if (m_depth > 0 && !m_rerunning) {
        qCInfo(lcSession) << "connect ignored: a connection is being set up";
        return;
    }
    m_rerunning = false;
    if (m_depth == 0)
        m_portRetryUsed = false;
    ++m_depth;
    const struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_depth};

    BatchRun& batch = m_parts.batch;
    ConnectHost& host = m_parts.host;
    host.setTerminalFolder(kTerminalFolder);
    // A rerun starts clean: a text left by the failed attempt would be read as this attempt's reason.
    batch.reset();
    m_listening = false;
    if (!batch.gSerialLink) {
        // A network link has no port to choose: nothing is dialled.
        DialAndOpenSession();
        return;
    }
    const QString phonebookPort = m_parts.phonebook.GetPhonebookPort();

    QString usbError;
    if (!enumerateUsbTerminals(usbError)) {
        fail(BatchCode::ConnectionSetup, QStringLiteral("USB port library: ") + usbError);
        return;
    }
    qCDebug(lcSession) << "USB terminals" << m_usbPorts << "phonebook port" << phonebookPort;

    PortChoiceInput input;
    input.batchMode = batch.gBatchMode;
    input.enumUsb = m_parts.settings.gEnumUsb;
    input.comPort = batch.gComPort;
    input.phonebookPort = phonebookPort;
    input.modemPorts = m_parts.phonebook.modemPorts();
    input.usbPorts = m_usbPorts;
    PortChoice choice = choosePort(input);
    if (choice.askUser)
        choice.port = host.selectUsbPort(int(m_usbPorts.size()), joinedList(m_usbPorts), choice.candidate);
    if (choice.portUnknown)
        batch.gErrorCode = static_cast<int16_t>(BatchCode::PortUnknown);

    QString port = choice.port;
    if (!port.isEmpty() && batch.gErrorCode == 0 && choice.chosen)
        m_parts.phonebook.SetPhonebookPort(port, batch.gBatchMode, batch);

    if (!port.isEmpty() && batch.gErrorCode == 0) {
        if (!batch.gBatchMode && m_parts.settings.gDisplayMsg)
            host.showWarning(form("MSG_WarningConnect"));
        if (!m_usbPorts.isEmpty() && m_usbPorts.contains(port))
            m_parts.usb.restart(port);
        DialAndOpenSession();
        return;
    }

    if (port.isEmpty() && batch.gErrorCode == 0) {
        if (batch.gBatchMode) {
            // A batch run without a port would otherwise end with nothing done and nothing said.
            fail(BatchCode::PortUnknown, QLatin1String(BatchText::PortUnknown) + QStringLiteral(": "));
            return;
        }
        if (m_parts.settings.gDisplayMsg) {
            if (m_usbPorts.size() <= 1)
                m_parts.notifier.message(form("MSG_NoPortSelection"), QString(), MessageIcon::Critical,
                                         MessageButtons::Ok);
            host.reportConnectionState(ConnectionState::ConnectAbandoned);
            host.closeWarning();
        }
        return;
    }

    if (batch.code() == BatchCode::PortUnknown)
        portUnknown(port, modemSetupDone);
}

void ConnectSequence::portUnknown(const QString& port, bool modemSetupDone)
{
    BatchRun& batch = m_parts.batch;
    ConnectHost& host = m_parts.host;
    // Scripts read which port it was: the bare text gets the device name.
    if (batch.gErrorText.isEmpty() || batch.gErrorText == QLatin1String(BatchText::PortUnknown))
        batch.gErrorText = QLatin1String(BatchText::PortUnknown) + QStringLiteral(": ") + port;
    host.trace(batch.gErrorText);
    // No device behind the name: there is nothing the port check could set up.
    QString failure;
    if (!modemSetupDone && !port.isEmpty()) {
        host.setStatus(form("MSG_ConfiguringAndRetry"));
        if (host.installPort(port, failure)) {
            m_parts.phonebook.FindModemPorts();
            host.reportConnectionState(ConnectionState::ConnectAbandoned);
            m_rerunning = true;
            TerminalConnect(true);
            return;
        }
    }
    // The failed check tells the technician, and a script's log, what to mend.
    const QString cause = failure.isEmpty() ? QString() : kCrLf + failure;
    batch.gErrorText += cause;
    if (!batch.gBatchMode && m_parts.settings.gDisplayMsg)
        m_parts.notifier.message(QLatin1Char('\'') + port + QStringLiteral("' ") + form("MSG_PortUnknown") + cause,
                                 QString(), MessageIcon::Critical, MessageButtons::Ok);
    else if (batch.gBatchMode)
        m_parts.notifier.message(batch.gErrorText, QString(), MessageIcon::Critical, MessageButtons::Ok);
    endWithoutLink();
}

void ConnectSequence::endWithoutLink()
{
    ConnectHost& host = m_parts.host;
    // A link left up by an earlier run or this one is not left behind by a sequence that gave up.
    if (m_listening || m_parts.ras.GetRasConnectionState() == kLinkStateUp)
        host.closeLink();
    m_listening = false;
    host.setStatus(form("TerminalState") + form("NoConnected"));
    host.reportConnectionState(ConnectionState::ConnectFailed);
    host.setBusyCursor(false);
    host.closeWarning();
}

void ConnectSequence::fail(BatchCode code, const QString& reason)
{
    BatchRun& batch = m_parts.batch;
    qCWarning(lcSession) << "connect sequence ended:" << reason;
    m_parts.host.trace(reason);
    if (batch.gErrorCode == 0)
        batch.set(code, reason);
    else if (batch.gErrorText.isEmpty())
        batch.gErrorText = reason;
    // In a batch run the notifier writes this to standard error instead of showing a box.
    m_parts.notifier.message(reason, QString(), MessageIcon::Critical, MessageButtons::Ok);
    endWithoutLink();
}

void ConnectSequence::DialAndOpenSession()
{
    AppSettings& settings = m_parts.settings;
    BatchRun& batch = m_parts.batch;
    ConnectHost& host = m_parts.host;

    host.clearTrace();
    host.trace(kDashes);
    host.trace(general(batch.gSerialLink ? "TRC_SerialLink" : "TRC_NetworkLink"));
    host.trace(general(settings.gNTProtocol ? "TRC_ProtocolEFT" : "TRC_NotProtocolEFT"));
    host.trace(kDashes);

    host.setBusyCursor(true);
    host.reportConnectionState(ConnectionState::Connecting);
    const QString entry = host.entryName();

    if (!batch.gSerialLink) {
        host.afterConnectCommands();
        return;
    }

    QString phonebookPath;
    if (!m_parts.ras.GetPhonebookPath(phonebookPath) || !m_parts.ras.RasEntryExists(entry, phonebookPath)) {
        const QString message = form("MSG_ConnectionNotFound") + QLatin1Char('\'') + entry + QLatin1Char('\'') + kCrLf +
                                form("MSG_CheckConnection");
        if (!batch.gBatchMode)
            m_parts.notifier.message(message, QString(), MessageIcon::Critical, MessageButtons::Ok);
        batch.set(BatchCode::ConnectionSetup, message);
        host.reportConnectionState(ConnectionState::ConnectAbandoned);
        host.setBusyCursor(false);
        host.closeWarning(); // nothing will connect now
        return;
    }

    if (settings.gNTProtocol && !StartListeningSocket())
        return;
    host.setLinkUp(false);

    status(form("PPP_Pending ") + QStringLiteral(" (") + m_parts.phonebook.GetPhonebookPort() + QLatin1Char(')'), true);
    int32_t rasError = 0;
    const bool up = m_parts.ras.RasConnect(entry, settings.gPppUserName, settings.gPppPassword, batch.gBatchMode, batch,
                                           QString(), rasError);
    if (!up) {
        dialFailed(rasError);
        return;
    }

    if (settings.gJVZroute)
        runRouteScript();
    host.setLinkUp(true);
    status(form("PPPState") + form("PPP_Connected"), true);
    if (settings.gNTProtocol)
        host.armFirstAnswerTimer();
    else
        host.afterConnectCommands();
}

void ConnectSequence::dialFailed(int32_t rasError)
{
    BatchRun& batch = m_parts.batch;
    ConnectHost& host = m_parts.host;
    host.closeLink();
    m_listening = false;
    if (rasError == static_cast<int32_t>(DialError::Stopped)) {
        // The stop signal ends the run, or quits the window, from the event loop: no retry, no code of its own.
        host.setStatus(form("PPPState") + form("PPP_Disconnected"));
        return;
    }
    const auto pppProblem = [&] {
        if (batch.gErrorText.isEmpty())
            batch.gErrorText = kPppProblem;
        batch.gErrorCode = static_cast<int16_t>(BatchCode::PppLinkFailed);
    };
    if (isPortUnavailable(rasError) && !m_portRetryUsed) {
        // The port itself was in the way: look at the ports again and run the whole sequence once more.
        m_portRetryUsed = true;
        host.setStatus(form("MSG_ConfiguringAndRetry"));
        m_parts.phonebook.FindModemPorts();
        m_rerunning = true;
        TerminalConnect(false);
        // A retried dial that a stop signal broke off is no failure either.
        const bool stopped = m_parts.ras.lastDial().error == static_cast<int32_t>(DialError::Stopped);
        if (m_parts.ras.GetRasConnectionState() == kLinkStateDown) {
            host.closeLink();
            m_listening = false;
            if (batch.gErrorCode == 0 && !stopped)
                pppProblem(); // the nested run's own, more precise code stands
        }
        return;
    }
    host.setStatus(form("PPPState") + form("PPP_Disconnected"));
    pppProblem();
}

bool ConnectSequence::StartListeningSocket()
{
    ConnectHost& host = m_parts.host;
    host.resetSession();
    host.setSocketInUse(false);
    const QString addressText = host.listenAddressText();
    const QString portText = host.listenPortText();
    bool portOk = false;
    const uint port = portText.trimmed().toUInt(&portOk);
    QString error;
    if (QHostAddress(addressText.trimmed()).isNull())
        error = QStringLiteral("not an IP address: '%1'").arg(addressText);
    else if (!portOk || port == 0 || port > 65535)
        error = QStringLiteral("not a TCP port: '%1'").arg(portText);
    else if (host.listen(addressText.trimmed(), quint16(port), error))
        error.clear();
    else if (error.isEmpty())
        error = QStringLiteral("cannot listen");
    if (!error.isEmpty()) {
        fail(BatchCode::ConnectionSetup, QStringLiteral("session socket %1:%2: %3").arg(addressText, portText, error));
        return false;
    }
    m_listening = true;
    host.setSocketInUse(true);
    status(form("SocketState") + general("TRC_ListeningSocket"), false);
    host.setLastSocketState(0);
    return true;
}

void ConnectSequence::runRouteScript()
{
    const QString folder = m_parts.settings.gProgramFolder;
    const QString script = folder + QLatin1Char('/') + QLatin1String(kRouteScript);
    std::optional<int64_t> id;
    // A missing script is not started at all: the shell would start and only then fail.
    if (QFileInfo(script).isFile())
        id = m_parts.launchRoute(QLatin1String(kShell), {script}, folder);
    if (!id || *id == 0)
        m_parts.host.trace(general("TRC_ShellNotSuccess"));
    else
        m_parts.host.trace(general("TRC_ShellSuccess") + QStringLiteral(", ID: ") + QString::number(*id));
}

} // namespace jvz
