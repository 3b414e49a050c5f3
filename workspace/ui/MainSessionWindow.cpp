#include "MainSessionWindow.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "core/ui/FrmWarningMsg.h"
#include "workspace/ui/MainWindowCommands.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/StatusPanels.h"
#include "workspace/ui/TraceBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>

namespace jvz {

MainSessionWindow::MainSessionWindow(MainSessionWindowView view, AppSettings& settings, BatchRun& batch,
                                     TerminalSession& session, MainSessionWindowParts parts)
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
    m_view.controls.bar2Panels.at(static_cast<size_t>(StatusPanel::LinkState) - 1)->setText(text);
}

void MainSessionWindow::ProgressComment(const QString& text)
{
    if (m_parts.progressComment)
        m_parts.progressComment(text);
}

// Every switch goes through the window's command state, which also knows what this build has wired.
void MainSessionWindow::SetIconButtonEnabled(IconBarButton button, bool enabled)
{
    m_view.commands.switchCommand(button == IconBarButton::Connect ? Command::IconConnect : Command::IconDisconnect,
                                  enabled);
}

void MainSessionWindow::SetIconButtonPressed(IconBarButton button, bool pressed)
{
    m_view.controls.iconButton(button == IconBarButton::Connect ? IconButton::Connect : IconButton::Disconnect)
        ->setChecked(pressed);
}

void MainSessionWindow::SetMenuEnabled(SessionMenu menu, bool enabled)
{
    switch (menu) {
    case SessionMenu::TerminalConnect:
        m_view.commands.switchCommand(Command::Connect, enabled);
        return;
    case SessionMenu::TerminalDisconnect:
        m_view.commands.switchCommand(Command::Disconnect, enabled);
        return;
    case SessionMenu::TerminalApplicationList:
        m_view.commands.switchCommand(Command::ApplicationList, enabled);
        return;
    case SessionMenu::TerminalConfig:
        m_view.commands.switchCommand(Command::TerminalConfig, enabled);
        return;
    }
}

void MainSessionWindow::EnableTerminalInfoCommand()
{
    m_view.commands.EnableTerminalInfoCommand();
}

void MainSessionWindow::DisableTerminalInfoCommand()
{
    m_view.commands.DisableTerminalInfoCommand();
}

void MainSessionWindow::RefreshTransferCommands(bool enable)
{
    m_view.commands.RefreshTransferCommands(enable && m_view.commands.FtpSessionOpen());
}

void MainSessionWindow::DisableUploadCommand()
{
    m_view.commands.DisableUploadCommand();
}

void MainSessionWindow::EnableBackFolder()
{
    m_view.commands.switchCommand(Command::TerminalBackFolder, true);
}

void MainSessionWindow::ClearTerminalList()
{
    emit terminalListCleared();
}

void MainSessionWindow::FtpEnumDirectory(const QString& directory)
{
    emit terminalDirectoryListed(directory);
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
    m_view.controls.bar4Text->setText(text);
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

QString MainSessionWindow::TerminalAddressText() const
{
    return lineText(m_view.controls.txtIp, m_settings.gIpLocalAddress);
}

QString MainSessionWindow::LoginText() const
{
    return lineText(m_view.controls.txtLogin, m_settings.gFtpUserName);
}

QString MainSessionWindow::PasswordText() const
{
    return lineText(m_view.controls.txtPassword, m_settings.gFtpPassword);
}

QString MainSessionWindow::PhonebookPort() const
{
    return m_parts.phonebookPort ? m_parts.phonebookPort() : QString();
}

uint8_t MainSessionWindow::ActivityAsked() const
{
    return m_view.commands.activityAsked();
}

void MainSessionWindow::SeeProductCode(const QString& productCode)
{
    emit productCodeSeen(productCode);
}

} // namespace jvz
