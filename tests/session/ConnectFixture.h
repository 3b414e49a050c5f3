#pragma once

// Doubles around the connect sequence: the window and runtime it drives, the phonebook, the USB library and
// the link under the real dial-up functions. Each records what it was asked, in one shared event list.

#include "FakeNotifier.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "platform/PppDialer.h"
#include "session/ConnectSequence.h"
#include "session/RasFunctions.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <memory>
#include <optional>

namespace jvztest {

class ConnectFixture;

class RecordingConnectHost : public jvz::ConnectHost {
public:
    explicit RecordingConnectHost(QStringList& events) : m_events(events) {}

    void setTerminalFolder(const QString& folder) override { terminalFolder = folder; }
    void clearTrace() override { traceLines.clear(); }
    void trace(const QString& line) override { traceLines.prepend(line); }
    void setStatus(const QString& text) override { status = text; }
    void progressComment(const QString& text) override { progress << text; }
    void reportConnectionState(jvz::ConnectionState state) override { states << state; }
    void setBusyCursor(bool b) override { busy = b; }
    QString entryName() const override { return entry; }
    QString listenAddressText() const override { return address; }
    QString listenPortText() const override { return port; }
    void showWarning(const QString& text) override
    {
        warningShown = true;
        m_events << QStringLiteral("warning ") + text;
        if (onShowWarning)
            onShowWarning();
    }
    void closeWarning() override { warningShown = false; }
    QString selectUsbPort(int count, const QString& list, const QString& current) override
    {
        m_events << QStringLiteral("select %1 %2 %3").arg(count).arg(list, current);
        return selection;
    }
    bool installPort(const QString& p, QString& failure) override
    {
        m_events << QStringLiteral("install ") + p;
        failure = installFailure;
        const bool ok = installAnswers.empty() ? false : installAnswers.front();
        if (!installAnswers.empty())
            installAnswers.pop_front();
        return ok;
    }
    void resetSession() override { m_events << QStringLiteral("reset session"); }
    void setSocketInUse(bool inUse) override { socketInUse = inUse; }
    void setLastSocketState(int16_t state) override { lastSocketState = state; }
    bool listen(const QString& a, quint16 p, QString& error) override
    {
        m_events << QStringLiteral("listen %1:%2").arg(a).arg(p);
        if (!listenError.isEmpty()) {
            error = listenError;
            return false;
        }
        return true;
    }
    void setLinkUp(bool up) override { linkUp = up; }
    void armFirstAnswerTimer() override { m_events << QStringLiteral("arm answer timer"); }
    void afterConnectCommands() override { m_events << QStringLiteral("after connect"); }
    void closeLink() override
    {
        m_events << QStringLiteral("close link");
        if (onCloseLink)
            onCloseLink();
    }

    QString terminalFolder;
    QStringList traceLines; // newest first, as the trace box shows them
    QString status;
    QStringList progress;
    QList<jvz::ConnectionState> states; // the phases reported, in order
    bool busy = false;
    QString entry = QStringLiteral("JVZ Connection");
    QString address = QStringLiteral("127.0.0.1");
    QString port = QStringLiteral("6000");
    bool warningShown = false;
    QString selection;
    std::deque<bool> installAnswers;
    QString installFailure; // what a failed install says
    bool socketInUse = false;
    int16_t lastSocketState = -1;
    QString listenError;
    bool linkUp = false;
    std::function<void()> onCloseLink;
    std::function<void()> onShowWarning; // the events the warning window lets through

private:
    QStringList& m_events;
};

class FakeConnectPhonebook : public jvz::ConnectPhonebook {
public:
    explicit FakeConnectPhonebook(QStringList& events) : m_events(events) {}

    QString GetPhonebookPort() override { return port; }
    void SetPhonebookPort(const QString& p, bool, jvz::BatchErrorCode& error) override
    {
        m_events << QStringLiteral("phonebook ") + p;
        if (setFails)
            error.set(jvz::BatchCode::PortUnknown, QLatin1String(jvz::BatchText::PortUnknown));
        else
            port = p;
    }
    void FindModemPorts() override
    {
        m_events << QStringLiteral("find modem ports");
        if (modemPortsAfterFind)
            modems = *modemPortsAfterFind;
    }
    QString modemPorts() const override { return modems; }

    QString port;
    QString modems;
    std::optional<QString> modemPortsAfterFind;
    bool setFails = false;

private:
    QStringList& m_events;
};

class FakeUsbTerminalPorts : public jvz::UsbTerminalPorts {
public:
    explicit FakeUsbTerminalPorts(QStringList& events) : m_events(events) {}

    std::optional<Found> enumerate(const QString& prefix, QString& error) override
    {
        m_events << QStringLiteral("enum ") + prefix;
        if (!loadError.isEmpty()) {
            error = loadError;
            return std::nullopt;
        }
        const auto it = byPrefix.find(prefix);
        return it == byPrefix.end() ? Found{} : it->second;
    }
    void restart(const QString& port) override { m_events << QStringLiteral("restart ") + port; }

    std::map<QString, Found> byPrefix;
    QString loadError;

private:
    QStringList& m_events;
};

// The link under the real dial-up functions: answers dials from a queue (up when the queue is empty).
class ScriptedDialUpLink : public jvz::DialUpLink {
public:
    explicit ScriptedDialUpLink(QStringList& events) : m_events(events) {}

    jvz::PppLinkResult dial(const jvz::PppLinkRequest& request) override
    {
        m_events << QStringLiteral("dial ") + request.deviceNode;
        jvz::PppLinkResult r;
        if (!results.empty()) {
            r.error = results.front();
            results.pop_front();
        }
        if (r.error == 0) {
            r.localAddress = QStringLiteral("10.64.64.1");
            r.remoteAddress = QStringLiteral("10.64.64.2");
            m_up = true;
            m_entry = request.entryName;
        }
        return r;
    }
    int32_t hangUp() override
    {
        m_up = false;
        m_entry.clear();
        return 0;
    }
    int32_t state() override { return m_up ? jvz::kLinkStateUp : jvz::kLinkStateDown; }
    QString activeEntry() const override { return m_entry; }

    std::deque<int32_t> results; // error numbers of the next dials; 0 is up

private:
    QStringList& m_events;
    bool m_up = false;
    QString m_entry;
};

// Language keys the sequence reads; each text is the key in brackets so tests read which text went where.
inline const char* const kConnectKeys[] = {
    "TRC_SerialLink",         "TRC_NetworkLink",         "TRC_ProtocolEFT",    "TRC_NotProtocolEFT",
    "MSG_ConnectionNotFound", "MSG_CheckConnection",     "PPPState",           "PPP_Connected",
    "PPP_Disconnected",       "MSG_ConfiguringAndRetry", "SocketState",        "TRC_ListeningSocket",
    "TRC_ShellNotSuccess",    "TRC_ShellSuccess",        "MSG_WarningConnect", "MSG_NoPortSelection",
    "MSG_PortUnknown",        "TerminalState",           "NoConnected",
};

// A program folder with a phonebook holding the program's entry, the settings of a batch or interactive run,
// and the sequence over the doubles.
class ConnectFixture {
public:
    explicit ConnectFixture(const QString& phonebookPort = QStringLiteral("ttyJVZ0"))
        : folder(QString::fromStdString(makeScratchDir("connect"))), host(events), phonebook(events), usb(events),
          link(events)
    {
        QString lng = QStringLiteral("[General]\r\n");
        for (const char* key : kConnectKeys)
            lng += QStringLiteral("%1=[%1],[%1]\r\n").arg(QLatin1String(key));
        // The key ends in a blank, so it is written as the language file writes such keys.
        lng += QStringLiteral("PPP_Pending =[PPP_Pending],[PPP_Pending]\r\n[frmMainJVZ]\r\n");
        writeFileBytes((folder + QStringLiteral("/JVZ.lng")).toStdString(), lng.toStdString());
        language.init(folder + QStringLiteral("/JVZ.lng"), 1);
        language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        writePhonebook(QStringLiteral("[JVZ Connection]\r\nPort=%1\r\n").arg(phonebookPort));
        phonebook.port = phonebookPort;
        settings.gProgramFolder = folder;
        settings.gUsbVidList = QStringLiteral("USB\\VID_0B00,USB\\VID_079B,");
        settings.gEnumUsb = false;
        settings.gPppUserName = QStringLiteral("pppuser");
        settings.gPppPassword = QStringLiteral("secret");
        settings.gIpPort = QStringLiteral("6000");
        ras = std::make_unique<jvz::RasFunctions>(link, notifier, folder, int16_t(10));
        sequence = std::make_unique<jvz::ConnectSequence>(jvz::ConnectSequenceServices{
            .settings = settings,
            .batch = batch,
            .language = language,
            .notifier = notifier,
            .host = host,
            .phonebook = phonebook,
            .usb = usb,
            .ras = *ras,
            .launchRoute = [this](const QString& program, const QStringList& args,
                                  const QString&) -> std::optional<int64_t> {
                events << QStringLiteral("route ") + program + QLatin1Char(' ') + args.join(QLatin1Char(' '));
                return routeId;
            }});
    }

    void writePhonebook(const QString& text)
    {
        writeFileBytes((folder + QStringLiteral("/ras/rasphone2000.pbk")).toStdString(), text.toStdString());
    }

    QStringList eventsStartingWith(const QString& prefix) const
    {
        QStringList found;
        for (const QString& e : events)
            if (e.startsWith(prefix))
                found << e;
        return found;
    }

    QString folder;
    QStringList events;
    RecordingConnectHost host;
    FakeConnectPhonebook phonebook;
    FakeUsbTerminalPorts usb;
    ScriptedDialUpLink link;
    FakeNotifier notifier;
    jvz::MBLanguages language;
    jvz::AppSettings settings;
    jvz::BatchRun batch;
    std::optional<int64_t> routeId = 4242;
    std::unique_ptr<jvz::RasFunctions> ras;
    std::unique_ptr<jvz::ConnectSequence> sequence;
};

} // namespace jvztest
