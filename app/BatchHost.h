#pragma once

#include "core/Startup.h"
#include "platform/Clock.h"
#include "platform/ConsoleNotifier.h"
#include "platform/FtpClient.h"
#include "platform/InstanceLock.h"
#include "platform/ProcessRunner.h"
#include "platform/SerialPortInventory.h"
#include "session/TcpSessionTransport.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace jvz {

struct AppState;
class BatchWindow;
class CatalogBatchActions;
class FileWriter;
class LinkConnect;
class PppDialer;
class RasFunctions;
class SessionRuntime;
class UserSettingsStore;

// An unattended run without progress window: the same start-up, session, link and transfers as the windowed
// program, with the main window's part that such a run uses and no widget at all, so the run needs no display
// and none of the window libraries.
class BatchHost : public StartupHost {
public:
    BatchHost(AppState& state, const UserSettingsStore& userStore, FileWriter& writer, const QString& executablePath);
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
    QString m_executablePath;
    ConsoleNotifier m_notifier;
    std::unique_ptr<Startup> m_startup;
    SteadyClock m_clock;
    CurlFtpClient m_ftp;
    TcpSessionTransport m_transport;
    std::unique_ptr<BatchWindow> m_window;
    std::unique_ptr<SessionRuntime> m_session;
    std::unique_ptr<CatalogBatchActions> m_actions;
    std::unique_ptr<LinkConnect> m_connect;
    InstanceLock m_instanceLock;
    UdevSerialPortInventory m_ports;
    PosixProcessRunner m_runner;
    std::unique_ptr<PppDialer> m_dialer; // dropping it at the end of the run hangs up
    std::unique_ptr<RasFunctions> m_ras;
};

} // namespace jvz
