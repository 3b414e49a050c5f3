#include "MainWindowTransferHost.h"

#include "core/AppSettings.h"
#include "core/ui/frmAnimCopie.h"
#include "frmMainJVZ.h"
#include "session/SessionRuntime.h"
#include "session/SessionWindow.h"
#include "terminal_files/ui/AnimCopieProgress.h"

namespace jvz {

MainWindowTransferHost::MainWindowTransferHost(frmMainJVZ& window, Notifier& notifier, const AppSettings& settings,
                                               const BatchRun& batch)
    : m_window(window), m_notifier(notifier), m_settings(settings), m_batch(batch)
{
}

MainWindowTransferHost::~MainWindowTransferHost() = default;

void MainWindowTransferHost::setTransferStatus(const QString& text)
{
    if (SessionWindow* w = m_window.sessionWindow())
        w->SetLinkStatus(text);
}

void MainWindowTransferHost::trace(const QString& line)
{
    m_window.traceBox().add(line);
}

void MainWindowTransferHost::ReportFtpError(uint32_t error, const QString& operation)
{
    if (SessionRuntime* session = m_window.session())
        session->wininet().ReportFtpError(error, operation, m_window.language());
}

TransferProgress* MainWindowTransferHost::progressWindow()
{
    if (!m_copyWindow) {
        m_copyWindow = new frmAnimCopie(m_notifier, m_settings.gProgramFolder, &m_window);
        m_copyWindow->setWindowFlag(Qt::Window);
        m_progress = std::make_unique<AnimCopieProgress>(*m_copyWindow, m_batch.gBatchMode
                                                                            ? AnimCopieProgress::CancelMode::Immediate
                                                                            : AnimCopieProgress::CancelMode::Confirm);
    }
    return m_progress.get();
}

} // namespace jvz
