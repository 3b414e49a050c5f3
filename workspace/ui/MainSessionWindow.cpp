#include "MainSessionWindow.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "core/ui/FrmWarningMsg.h"
#include "frmMainJVZ.h"
#include "session/SessionRuntime.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>

namespace jvz {

MainSessionWindow::MainSessionWindow(frmMainJVZ& window, AppSettings& settings, BatchRun& batch,
                                     TerminalSession& session, MainSessionWindowParts parts)
    : m_window(window), m_settings(settings), m_batch(batch), m_session(session), m_parts(std::move(parts))
{
}

MainSessionWindow::~MainSessionWindow()
{
    delete m_warning.data();
}

const MBLanguages& MainSessionWindow::language() const
{
    return m_window.language();
}

void MainSessionWindow::AddTrace(const QString& line)
{
    m_window.traceBox().add(line);
}

void MainSessionWindow::SetLinkStatus(const QString& text)
{
    m_window.SetStatusPanel(StatusPanel::LinkState, text);
}

void MainSessionWindow::ProgressComment(const QString& text)
{
    if (m_parts.progressComment)
        m_parts.progressComment(text);
}

// Every switch goes through the window's command state, which also knows what this build has wired.
void MainSessionWindow::SetIconButtonEnabled(IconBarButton button, bool enabled)
{
    m_window.switchCommand(button == IconBarButton::Connect ? Command::IconConnect : Command::IconDisconnect, enabled);
}

void MainSessionWindow::SetIconButtonPressed(IconBarButton button, bool pressed)
{
    m_window.iconButton(button == IconBarButton::Connect ? IconButton::Connect : IconButton::Disconnect)
        ->setChecked(pressed);
}

void MainSessionWindow::SetMenuEnabled(SessionMenu menu, bool enabled)
{
    switch (menu) {
    case SessionMenu::TerminalConnect:
        m_window.switchCommand(Command::Connect, enabled);
        return;
    case SessionMenu::TerminalDisconnect:
        m_window.switchCommand(Command::Disconnect, enabled);
        return;
    case SessionMenu::TerminalApplicationList:
        m_window.switchCommand(Command::ApplicationList, enabled);
        return;
    case SessionMenu::TerminalConfig:
        m_window.switchCommand(Command::TerminalConfig, enabled);
        return;
    }
}

void MainSessionWindow::EnableTerminalInfoCommand()
{
    m_window.EnableTerminalInfoCommand();
}

void MainSessionWindow::DisableTerminalInfoCommand()
{
    m_window.DisableTerminalInfoCommand();
}

void MainSessionWindow::RefreshTransferCommands(bool enable)
{
    const bool open = m_runtime && m_runtime->vars.FtpSessionOpen;
    if (enable && open && m_parts.enableTransferCommands) {
        m_parts.enableTransferCommands();
        return;
    }
    m_window.RefreshTransferCommands(enable && open);
}

void MainSessionWindow::DisableUploadCommand()
{
    m_window.DisableUploadCommand();
}

void MainSessionWindow::EnableBackFolder()
{
    m_window.switchCommand(Command::TerminalBackFolder, true);
}

void MainSessionWindow::ClearTerminalList()
{
    if (m_parts.clearTerminalList)
        m_parts.clearTerminalList();
}

void MainSessionWindow::FtpEnumDirectory(const QString& directory)
{
    if (m_parts.enumTerminalDirectory)
        m_parts.enumTerminalDirectory(directory);
}

QString& MainSessionWindow::CurrentTerminalDir()
{
    return m_session.currentTerminalDir;
}

void MainSessionWindow::HideStatusBar1()
{
    if (QWidget* bar = m_window.controls().statusBar1)
        bar->hide();
}

void MainSessionWindow::SetStatusBar4(const QString& text)
{
    m_window.SetStatusBar4(text);
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
    m_warning->init(m_window.language(), text, flashingMs, displayingMs);
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

QString MainSessionWindow::TerminalAddressText() const
{
    return lineText(m_window.controls().txtIp, m_settings.gIpLocalAddress);
}

QString MainSessionWindow::LoginText() const
{
    return lineText(m_window.controls().txtLogin, m_settings.gFtpUserName);
}

QString MainSessionWindow::PasswordText() const
{
    return lineText(m_window.controls().txtPassword, m_settings.gFtpPassword);
}

QString MainSessionWindow::PhonebookPort() const
{
    return m_parts.phonebookPort ? m_parts.phonebookPort() : QString();
}

uint8_t MainSessionWindow::ActivityAsked() const
{
    return m_window.activityAsked();
}

void MainSessionWindow::SeeProductCode(const QString& productCode)
{
    if (m_parts.seeProductCode)
        m_parts.seeProductCode(productCode);
}

} // namespace jvz
