#pragma once

#include "terminal_files/CatalogBatchActions.h"
#include "terminal_files/TransferContext.h"

#include <QPointer>
#include <memory>

namespace jvz {

struct AppState;
class AnimCopieProgress;
class FtpClient;
class Notifier;
class frmAnimCopie;
class frmMainJVZ;

// The main window as the catalogue transfers report to it: its status panel and trace box, the session's FTP
// error report and the copy progress window.
class MainWindowTransferHost : public TransferHost {
public:
    MainWindowTransferHost(frmMainJVZ& window, Notifier& notifier, const AppState& state);
    ~MainWindowTransferHost() override;

    void setTransferStatus(const QString& text) override;
    void trace(const QString& line) override;
    void ReportFtpError(uint32_t error, const QString& operation) override;
    TransferProgress* progressWindow() override;

private:
    frmMainJVZ& m_window;
    Notifier& m_notifier;
    const AppState& m_state;
    QPointer<frmAnimCopie> m_copyWindow; // owned by the main window
    std::unique_ptr<AnimCopieProgress> m_progress;
};

// The unattended actions of the session, over the program's FTP client and state.
class ProgramTransfers {
public:
    ProgramTransfers(AppState& state, frmMainJVZ& window, Notifier& notifier, FtpClient& ftp);

    BatchActions& batchActions() { return m_actions; }
    // The program's transfer context, for the interactive commands on the open FTP session.
    TransferContext& context() { return m_actions.context(); }

private:
    MainWindowTransferHost m_host;
    CatalogBatchActions m_actions;
};

} // namespace jvz
