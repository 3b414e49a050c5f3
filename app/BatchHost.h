#pragma once

#include "ProgramServices.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace jvz {

struct AppState;
class BatchWindow;
class CatalogBatchActions;
class LinkConnect;
class SessionRuntime;

// An unattended run without progress window: the same start-up, session, link and transfers as the windowed
// program, with the main window's part that such a run uses and no widget at all, so the run needs no display
// and none of the window libraries.
class BatchHost : public StartupHost {
public:
    // timings: the program's waits; tests that run a batch in their own process shorten them.
    BatchHost(AppState& state, const UserSettingsStore& userStore, FileWriter& writer, const QString& executablePath,
              const RuntimeTimings& timings = {});
    ~BatchHost() override;

    // Start-up, then the event loop unless the run is already over. Returns the process exit status.
    int run(const QStringList& arguments);

    StartupMainWindow& mainWindow() override;
    void showProgressWindow(const QString&) override {}
    void progressComment(const QString&) override {}
    void FindModemPorts() override;
    bool isAnotherInstanceRunning() override;
    void endProgram() override;

private:
    AppState& m_state;
    ProgramServices m_services;
    Startup m_startup;
    // Each outlives what is built on it: the session reads the window and runs the actions.
    std::unique_ptr<BatchWindow> m_window;
    std::unique_ptr<CatalogBatchActions> m_actions;
    std::unique_ptr<SessionRuntime> m_session;
    std::unique_ptr<LinkConnect> m_connect;
};

} // namespace jvz
