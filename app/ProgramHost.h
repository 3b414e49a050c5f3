#pragma once

#include "ProgramCommon.h"

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
class PppDialer;
class CurlFtpClient;
class TcpSessionTransport;
class RasFunctions;
class WindowAssembly;

// The real adapters of a run: the windows, created on first use, the instance lock and the end of the process.
class ProgramHost : public ProgramHostBase {
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

private:
    FrmComment& progressWindow();
    void unloadProgressWindow();

    UserSettingsStore& m_userStore;
    // The main window's session uses these: they outlive it.
    std::unique_ptr<CurlFtpClient> m_ftp;
    std::unique_ptr<TcpSessionTransport> m_transport;
    std::unique_ptr<WindowAssembly> m_assembly;
    std::unique_ptr<FrmComment> m_progress; // the progress window, made on first use
};

} // namespace jvz
