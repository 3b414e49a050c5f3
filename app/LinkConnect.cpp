#include "LinkConnect.h"

#include "core/AppState.h"

namespace jvz {

QString phonebookPort(const AppState& state, SerialPortInventory& ports)
{
    return PrivatePhonebook(state.settings.gProgramFolder, ports).GetPhonebookPort();
}

LinkConnect::LinkConnect(AppState& state, SessionWindow& window, SessionRuntime& session, ConnectWindowHooks parts,
                         MBLanguages& language, Notifier& notifier, RasFunctions& ras, SerialPortInventory& ports,
                         PortCheckSystem& portCheck)
    : m_phonebook(state.settings.gProgramFolder, ports), m_phonebookConnect(m_phonebook, &state.link.gModemPorts),
      m_usb(state.settings.gProgramFolder), m_portCheck(portCheck)
{
    m_host = std::make_unique<RuntimeConnectHost>(window, session, std::move(parts), state.settings);
    m_sequence = std::make_unique<ConnectSequence>(ConnectSequenceServices{.settings = state.settings,
                                                                           .batch = state.batch,
                                                                           .language = language,
                                                                           .notifier = notifier,
                                                                           .host = *m_host,
                                                                           .phonebook = m_phonebookConnect,
                                                                           .usb = m_usb,
                                                                           .ras = ras,
                                                                           .launchRoute = detachedRouteLauncher()});
}

LinkConnect::~LinkConnect() = default;

} // namespace jvz
