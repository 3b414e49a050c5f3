#include "WindowAssembly.h"

#include "LinkConnect.h"
#include "ProgramConnect.h"
#include "ProgramTransfers.h"
#include "core/AppState.h"
#include "platform/Notifier.h"
#include "session/RasFunctions.h"
#include "session/SessionRuntime.h"
#include "session/ui/ConnectionCombo.h"
#include "session/ui/LinkMenus.h"
#include "session/ui/frmPhonebookEntry.h"
#include "workspace/ui/MainSessionWindow.h"
#include "workspace/ui/TerminalPane.h"

#include <QComboBox>

namespace jvz {

WindowAssembly::WindowAssembly(AppState& state, WindowPlatform platform, WindowHooks hooks,
                               const RuntimeTimings& timings)
    : m_state(state), m_platform(std::move(platform))
{
    WindowPlatform& p = m_platform;
    frmMainJVZ::Services services{p.notifier,
                                  p.userStore,
                                  p.runner,
                                  hooks.window,
                                  [this](QComboBox& combo) { fillConnectionList(combo); },
                                  [ras = &p.ras] { return ras->GetRasConnectionState(); }};
    // The connect sequence needs the session, built after the window: bound here, built below.
    services.connectSequence = p.connectSequence ? p.connectSequence : [this](bool modemSetupDone) {
        m_connect->TerminalConnect(modemSetupDone);
    };
    services.linkDownWaitMs = timings.quitLinkDownWaitMs;
    services.statusMessageMs = timings.statusMessageMs;
    services.folderReadWaitMs = timings.folderReadWaitMs;
    services.volumes = p.volumes;
    services.openDocument = p.openDocument;
    services.makeFolder = p.makeFolder;
    services.folderReadHook = p.folderReadHook;
    m_window = std::make_unique<frmMainJVZ>(std::move(services), state.settings, state.batch);
    frmMainJVZ& w = *m_window;

    // session, with the terminal list's two calls and the unattended transfers
    MainSessionWindowParts parts;
    parts.progressComment = std::move(hooks.progressComment);
    parts.phonebookPort = [this] { return phonebookPort(m_state, m_platform.ports); };
    setTerminalListParts(parts, w);
    m_transfers = std::make_unique<ProgramTransfers>(state, w, p.notifier, p.ftp, timings);
    w.createSession(
        {state.settings, state.batch, state.session, state.identity, state.terminalInfo, state.link},
        {p.notifier, p.ftp, p.clock, p.transport, p.dialUp, &m_transfers->batchActions(), hooks.window.quitApplication},
        std::move(parts), timings);

    // link: the connect sequence and the Connection menu
    m_connect = std::make_unique<ProgramConnect>(state, w, p.notifier, p.ras, p.ports);
    w.attachLinkMenus(std::make_unique<LinkMenus>(
        LinkMenuContext{p.ras, p.notifier, w.language(), &w,
                        [this](QWidget* owner, const QString& path, const QString& entry) {
                            return EditRasEntry(owner, path, entry, m_platform.ports, &m_window->language());
                        },
                        [this](QWidget* owner, const QString& path) {
                            return RasCreatePhonebookEntry(owner, path, m_platform.ports, &m_window->language());
                        },
                        [this] { fillConnectionList(*m_window->controls().comboDefaultConnection); },
                        [this] { return phonebookPort(m_state, m_platform.ports); },
                        [this](const QString& port) { return m_connect->installPort(port); }}));

    // dialogs and companion runs: files opened by type, viewers, the terminal identity window
    w.attachFileCommands(p.runner, state.terminalInfo, [this] { return &m_transfers->context(); });
}

WindowAssembly::~WindowAssembly()
{
    // The connect sequence and the transfers use the window's session: they go first.
    m_connect.reset();
    m_transfers.reset();
    m_window.reset();
}

void WindowAssembly::fillConnectionList(QComboBox& combo)
{
    ConnectionListContext context{m_platform.ras,
                                  m_platform.notifier,
                                  m_window->language(),
                                  m_state.settings.gConnectionName,
                                  m_state.batch,
                                  m_window.get(),
                                  [this](QWidget* owner, const QString& path) {
                                      return RasCreatePhonebookEntry(owner, path, m_platform.ports,
                                                                     &m_window->language());
                                  }};
    FillDefaultConnectionCombo(combo, context);
}

} // namespace jvz
