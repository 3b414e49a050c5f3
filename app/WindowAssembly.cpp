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
    frmMainJVZ::Services services{.notifier = p.notifier,
                                  .userStore = p.userStore,
                                  .runner = p.runner,
                                  .hooks = hooks.window,
                                  .fillConnectionList = [this](QComboBox& combo) { fillConnectionList(combo); },
                                  .linkState = [ras = &p.ras] { return ras->GetRasConnectionState(); },
                                  // The connect sequence needs the session, built after the window: bound
                                  // here, built below.
                                  .connectSequence =
                                      p.connectSequence
                                          ? p.connectSequence
                                          : [this](bool modemSetupDone) { m_connect->TerminalConnect(modemSetupDone); },
                                  .linkDownWaitMs = timings.quitLinkDownWaitMs,
                                  .statusMessageMs = timings.statusMessageMs,
                                  .folderReadWaitMs = timings.folderReadWaitMs,
                                  .volumes = p.volumes,
                                  .openDocument = p.openDocument,
                                  .makeFolder = p.makeFolder,
                                  .folderReadHook = p.folderReadHook};
    m_window = std::make_unique<frmMainJVZ>(std::move(services), state.settings, state.batch);
    frmMainJVZ& w = *m_window;

    // session, with the terminal list's two calls and the unattended transfers
    MainSessionWindowParts parts;
    parts.progressComment = std::move(hooks.progressComment);
    parts.phonebookPort = [this] { return phonebookPort(m_state, m_platform.ports); };
    setTerminalListParts(parts, w);
    m_transfers = std::make_unique<ProgramTransfers>(state, w, p.notifier, p.ftp, timings);
    w.createSession(SessionRuntimeState{.settings = state.settings,
                                        .batch = state.batch,
                                        .session = state.session,
                                        .identity = state.identity,
                                        .terminalInfo = state.terminalInfo,
                                        .link = state.link},
                    SessionServices{.notifier = p.notifier,
                                    .ftp = p.ftp,
                                    .clock = p.clock,
                                    .transport = p.transport,
                                    .dialUp = p.dialUp,
                                    .batchActions = &m_transfers->batchActions(),
                                    .quitApplication = hooks.window.quitApplication},
                    std::move(parts), timings);

    // link: the connect sequence and the Connection menu
    m_connect = std::make_unique<ProgramConnect>(state, w, p.notifier, p.ras, p.ports);
    w.attachLinkMenus(std::make_unique<LinkMenus>(LinkMenuContext{
        .ras = p.ras,
        .notifier = p.notifier,
        .language = w.language(),
        .owner = &w,
        .editEntry =
            [this](QWidget* owner, const QString& path, const QString& entry) {
                return EditRasEntry(owner, path, entry, m_platform.ports, &m_window->language());
            },
        .createEntry =
            [this](QWidget* owner, const QString& path) {
                return RasCreatePhonebookEntry(owner, path, m_platform.ports, &m_window->language());
            },
        .refillConnections = [this] { fillConnectionList(*m_window->controls().comboDefaultConnection); },
        .phonebookPort = [this] { return phonebookPort(m_state, m_platform.ports); },
        .checkPort = [this](const QString& port) { return m_connect->installPort(port); }}));

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
    ConnectionListContext context{.ras = m_platform.ras,
                                  .notifier = m_platform.notifier,
                                  .language = m_window->language(),
                                  .connectionName = m_state.settings.gConnectionName,
                                  .batch = m_state.batch,
                                  .owner = m_window.get(),
                                  .createEntry = [this](QWidget* owner, const QString& path) {
                                      return RasCreatePhonebookEntry(owner, path, m_platform.ports,
                                                                     &m_window->language());
                                  }};
    FillDefaultConnectionCombo(combo, context);
}

} // namespace jvz
