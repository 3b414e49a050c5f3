#include "QuitProcedure.h"

#include "core/MBApplications.h"
#include "core/MBLanguages.h"
#include "platform/NestedWait.h"
#include "platform/Notifier.h"
#include "platform/PppDialer.h"

#include <QApplication>
#include <QWidget>

namespace jvz {

QString QuitProcedure::label(const char* key) const
{
    return m_parts.language.GetFormLabel(QLatin1String(key));
}

bool QuitProcedure::linkDown() const
{
    return !m_parts.linkState || m_parts.linkState() == kLinkStateDown;
}

bool QuitProcedure::run(Question question)
{
    const bool busy = m_parts.busy && m_parts.busy();
    if (busy || m_quitting) {
        QApplication::beep();
        if (busy)
            m_parts.trace(label("MSG_BusyNoQuit"));
        return false;
    }
    if (question == Question::Asked &&
        m_parts.notifier.message(label("Sur"), label("Quitter"), MessageIcon::Information, MessageButtons::YesNo,
                                 m_parts.owner) != MessageAnswer::Yes)
        return false;
    m_quitting = true;
    m_parts.saveEnvironment();
    if (!linkDown()) {
        m_parts.takeLinkDown();
        waitForLinkDown();
    }
    if (MBApplications* child = m_parts.childProgram ? m_parts.childProgram() : nullptr; child && child->AppIsRunning())
        child->AppTerminate(0);
    return true;
}

// The window's events go on meanwhile; the wait ends when the link is down or the time is up.
void QuitProcedure::waitForLinkDown()
{
    constexpr int kPollMs = 20; // the link's state has no signal of its own
    if (!linkDown() && m_parts.linkDownWaitMs > 0)
        NestedWait(WaitKind::NestedLoop, m_parts.linkDownWaitMs).until([this] { return linkDown(); }, kPollMs).run();
    if (!linkDown())
        m_parts.trace(label("MSG_LinkStillUp"));
}

} // namespace jvz
