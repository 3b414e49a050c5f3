#pragma once

#include "terminal_files/TransferContext.h"

#include <QPointer>
#include <memory>

namespace jvz {

struct AppSettings;
class AnimCopieProgress;
class Notifier;
class frmAnimCopie;
class frmMainJVZ;

// The main window as the catalogue transfers report to it: its status panel and trace box, the session's FTP
// error report and the copy progress window.
class MainWindowTransferHost : public TransferHost {
public:
    MainWindowTransferHost(frmMainJVZ& window, Notifier& notifier, const AppSettings& settings, const BatchRun& batch);
    ~MainWindowTransferHost() override;

    void setTransferStatus(const QString& text) override;
    void trace(const QString& line) override;
    void ReportFtpError(uint32_t error, const QString& operation) override;
    TransferProgress* progressWindow() override;

private:
    frmMainJVZ& m_window;
    Notifier& m_notifier;
    const AppSettings& m_settings;
    const BatchRun& m_batch;
    QPointer<frmAnimCopie> m_copyWindow; // owned by the main window
    std::unique_ptr<AnimCopieProgress> m_progress;
};

} // namespace jvz
