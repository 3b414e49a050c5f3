#include "StatusPanels.h"

#include "MainWindowControls.h"

#include <QLabel>

namespace jvz {

void WindowStatusBars::SetStatusPanel(StatusPanel panel, const QString& text)
{
    m_ui.bar2Panels.at(static_cast<size_t>(panel) - 1)->setText(text);
}

QString WindowStatusBars::StatusPanelText(StatusPanel panel) const
{
    return m_ui.bar2Panels.at(static_cast<size_t>(panel) - 1)->text();
}

void WindowStatusBars::SetStatusBar3Panel(FolderBarPanel panel, const QString& text)
{
    m_ui.bar3Panels.at(static_cast<size_t>(panel) - 1)->setText(text);
}

QString WindowStatusBars::StatusBar3Text(FolderBarPanel panel) const
{
    return m_ui.bar3Panels.at(static_cast<size_t>(panel) - 1)->text();
}

void WindowStatusBars::SetStatusBar4(const QString& text)
{
    m_ui.bar4Text->setText(text);
}

QString WindowStatusBars::StatusBar4Text() const
{
    return m_ui.bar4Text->text();
}

} // namespace jvz
