#pragma once

#include "ProgramServices.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace jvz {

struct AppState;
class FileWriter;
class FrmComment;
class UserSettingsStore;
class MessageBoxNotifier;
class frmMainJVZ;
class WindowAssembly;

// The windowed program: the windows, created on first use, on the services it shares with the unattended run.
class ProgramHost : public StartupHost {
public:
    // timings: the program's waits; tests that run the program in their own process shorten them.
    ProgramHost(AppState& state, UserSettingsStore& userStore, FileWriter& writer, const QString& executablePath,
                const RuntimeTimings& timings = {});
    ~ProgramHost() override;

    // Start-up, then the event loop unless the run is already over. Returns the process exit status.
    int run(const QStringList& arguments);

    StartupMainWindow& mainWindow() override;
    void showProgressWindow(const QString& comment) override;
    void progressComment(const QString& text) override;
    void FindModemPorts() override;
    bool isAnotherInstanceRunning() override;
    void endProgram() override;

private:
    FrmComment& progressWindow();
    void unloadProgressWindow();

    AppState& m_state;
    UserSettingsStore& m_userStore;
    ProgramServices m_services; // the main window's session uses them: they outlive it
    Startup m_startup;
    std::unique_ptr<WindowAssembly> m_assembly;
    std::unique_ptr<FrmComment> m_progress; // the progress window, made on first use
};

} // namespace jvz
