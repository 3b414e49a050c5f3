#pragma once

#include "session/ConnectAdapters.h"
#include "session/ConnectSequence.h"
#include "session/PortCheck.h"
#include "session/PrivatePhonebook.h"
#include "session/RuntimeConnectHost.h"

#include <memory>

namespace jvz {

struct AppState;
class MBLanguages;
class Notifier;
class RasFunctions;
class SerialPortInventory;
class SessionRuntime;
class SessionWindow;

// The port of the program's dial-up entry; empty when the phonebook or its port is missing.
QString phonebookPort(const AppState& state, SerialPortInventory& ports);

// The connect sequence with the program's real neighbours: the USB library beside the program, the private
// phonebook, the port checks, the dial-up functions and the session. What it needs of a window comes in parts.
class LinkConnect {
public:
    LinkConnect(AppState& state, SessionWindow& window, SessionRuntime& session, ConnectWindowHooks parts,
                MBLanguages& language, Notifier& notifier, RasFunctions& ras, SerialPortInventory& ports,
                PortCheckSystem& portCheck);
    ~LinkConnect();

    void TerminalConnect(bool modemSetupDone) { m_sequence->TerminalConnect(modemSetupDone); }
    PortCheckSystem& portCheckSystem() { return m_portCheck; }

private:
    PrivatePhonebook m_phonebook;
    PrivatePhonebookConnect m_phonebookConnect;
    YeldrinUsbTerminalPorts m_usb;
    PortCheckSystem& m_portCheck;
    std::unique_ptr<RuntimeConnectHost> m_host;
    std::unique_ptr<ConnectSequence> m_sequence;
};

} // namespace jvz
