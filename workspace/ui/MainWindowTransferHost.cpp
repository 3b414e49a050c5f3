#include "MainWindowTransferHost.h"

#include "core/AppSettings.h"
#include "core/ui/frmAnimCopie.h"
#include "session/Wininet.h"
#include "terminal_files/ui/AnimCopieProgress.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/StatusPanels.h"
#include "workspace/ui/TraceBox.h"

#include <QLabel>

namespace jvz {

MainWindowTransferHost::MainWindowTransferHost(TransferHostControls view, Wininet& wininet, Notifier& notifier,
                                               const AppSettings& settings, const BatchRun& batch)
    : m_view(view), m_wininet(wininet), m_notifier(notifier), m_settings(settings), m_batch(batch)
{
}

MainWindowTransferHost::~MainWindowTransferHost() = default;

void MainWindowTransferHost::setTransferStatus(const QString& text)
{
    m_view.controls.bar2Panels.at(static_cast<size_t>(StatusPanel::LinkState) - 1)->setText(text);
}

void MainWindowTransferHost::trace(const QString& line)
{
    m_view.trace.add(line);
}

void MainWindowTransferHost::ReportFtpError(uint32_t error, const QString& operation)
{
    m_wininet.ReportFtpError(error, operation, m_view.language);
}

TransferProgress* MainWindowTransferHost::progressWindow()
{
    if (!m_copyWindow) {
        m_copyWindow = new frmAnimCopie(m_notifier, m_settings.gProgramFolder, &m_view.owner);
        m_copyWindow->setWindowFlag(Qt::Window);
        m_progress = std::make_unique<AnimCopieProgress>(*m_copyWindow, m_batch.gBatchMode
                                                                            ? AnimCopieProgress::CancelMode::Immediate
                                                                            : AnimCopieProgress::CancelMode::Confirm);
    }
    return m_progress.get();
}

} // namespace jvz
