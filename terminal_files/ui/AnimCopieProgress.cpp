#include "terminal_files/ui/AnimCopieProgress.h"

#include "core/ui/frmAnimCopie.h"

#include <QCoreApplication>

namespace jvz {

AnimCopieProgress::AnimCopieProgress(frmAnimCopie& window, CancelMode mode) : m_window(&window)
{
    // The window asks for a confirmation; an unattended run takes the click as the answer.
    window.setCancelConfirmed(mode != CancelMode::Immediate);
}

void AnimCopieProgress::init(const QString& fileName, const MBLanguages& language, const QString& from,
                             const QString& to, int totalFiles)
{
    if (!m_window)
        return;
    m_window->init(fileName, language, from, to, totalFiles);
    m_window->show();
    m_window->repaint();
}

void AnimCopieProgress::NewFile(const QString& fileName)
{
    if (!m_window)
        return;
    m_window->NewFile(fileName);
    m_window->repaint();
}

void AnimCopieProgress::LaunchTimer()
{
    if (m_window)
        m_window->LaunchTimer();
}

bool AnimCopieProgress::Running() const
{
    return m_window && m_window->Running;
}

bool AnimCopieProgress::Canceled() const
{
    return m_window && m_window->Canceled;
}

void AnimCopieProgress::unload()
{
    if (m_window)
        m_window->close();
}

} // namespace jvz
