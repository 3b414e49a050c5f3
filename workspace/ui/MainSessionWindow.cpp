#include "MainSessionWindow.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "core/ui/FrmWarningMsg.h"
#include "workspace/ui/MainWindowCommands.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/StatusPanels.h"
#include "workspace/ui/TraceBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QStatusBar>

namespace jvz {

MainSessionWindow::MainSessionWindow(MainSessionWindowControls view, AppSettings& settings, BatchRun& batch,
                                     TerminalSession& session, MainSessionWindowHooks parts)
    : m_view(view), m_settings(settings), m_batch(batch), m_session(session), m_parts(std::move(parts))
{
}

MainSessionWindow::~MainSessionWindow()
{
    delete m_warning.data();
}

const MBLanguages& MainSessionWindow::language() const
{
    return m_view.language;
}

void MainSessionWindow::AddTrace(const QString& line)
{
    m_view.trace.add(line);
}

void MainSessionWindow::SetLinkStatus(const QString& text)
{
    m_view.statusBars.SetStatusPanel(StatusPanel::LinkState, text);
}

void MainSessionWindow::ProgressComment(const QString& text)
{
    if (m_parts.progressComment)
        m_parts.progressComment(text);
}

QString& MainSessionWindow::CurrentTerminalDir()
{
    return m_session.currentTerminalDir;
}

void MainSessionWindow::HideStatusBar1()
{
    if (QWidget* bar = m_view.controls.statusBar1)
        bar->hide();
}

void MainSessionWindow::SetStatusBar4(const QString& text)
{
    m_view.statusBars.SetStatusBar4(text);
}

void MainSessionWindow::ResetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void MainSessionWindow::ShowWarningMessage(const QString& text, int32_t flashingMs, int32_t displayingMs)
{
    if (!m_warning)
        m_warning = new FrmWarningMsg([this] { return m_batch.gBatchMode; });
    m_warning->init(m_view.language, text, flashingMs, displayingMs);
    m_warning->show();
    m_warning->repaint();
}

void MainSessionWindow::UnloadWarningMessage()
{
    if (m_warning && m_warning->isVisible())
        m_warning->frmUnload();
}

QString MainSessionWindow::lineText(const QLineEdit* box, const QString& fallback)
{
    return box ? box->text() : fallback;
}

FtpCredentials MainSessionWindow::credentials() const
{
    const MainWindowControls& ui = m_view.controls;
    return {lineText(ui.txtIp, m_settings.gIpLocalAddress), lineText(ui.txtLogin, m_settings.gFtpUserName),
            lineText(ui.txtPassword, m_settings.gFtpPassword)};
}

QString MainSessionWindow::PhonebookPort() const
{
    return m_parts.phonebookPort ? m_parts.phonebookPort() : QString();
}

uint8_t MainSessionWindow::ActivityAsked() const
{
    return m_view.commands.activityAsked();
}

} // namespace jvz
