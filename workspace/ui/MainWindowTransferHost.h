#pragma once

#include "terminal_files/TransferContext.h"

#include <QPointer>
#include <memory>

class QWidget;

namespace jvz {

struct AppSettings;
struct MainWindowControls;
class AnimCopieProgress;
class MBLanguages;
class Notifier;
class TraceBox;
class Wininet;
class frmAnimCopie;

// The main window's parts the catalogue transfers report to: its link panel, its trace box, and the window that
// owns the copy progress window.
struct TransferHostControls {
    QWidget& owner;
    const MainWindowControls& controls;
    TraceBox& trace;
    const MBLanguages& language;
};

// The main window as the catalogue transfers report to it: its status panel and trace box, the session's FTP
// error report and the copy progress window.
class MainWindowTransferHost : public TransferHost {
public:
    MainWindowTransferHost(TransferHostControls view, Wininet& wininet, Notifier& notifier, const AppSettings& settings,
                           const BatchRun& batch);
    ~MainWindowTransferHost() override;

    void setTransferStatus(const QString& text) override;
    void trace(const QString& line) override;
    void ReportFtpError(uint32_t error, const QString& operation) override;
    TransferProgress* progressWindow() override;

private:
    TransferHostControls m_view;
    Wininet& m_wininet;
    Notifier& m_notifier;
    const AppSettings& m_settings;
    const BatchRun& m_batch;
    QPointer<frmAnimCopie> m_copyWindow; // owned by the main window
    std::unique_ptr<AnimCopieProgress> m_progress;
};

} // namespace jvz
