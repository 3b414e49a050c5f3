#include "session/ui/LinkMenus.h"

#include "core/MBLanguages.h"
#include "platform/Notifier.h"
#include "session/PrivatePhonebook.h"
#include "session/RasFunctions.h"

#include <QComboBox>
#include <QWidget>

namespace jvz {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString LinkMenus::text(const char* key) const
{
    return m_context.language.GetFormLabel(QLatin1String(key));
}

bool LinkMenus::ask(const QString& question)
{
    const QString title = m_context.owner ? m_context.owner->windowTitle() : QString();
    return m_context.notifier.message(question, title, MessageIcon::Information, MessageButtons::YesNo,
                                      m_context.owner) == MessageAnswer::Yes;
}

// A cancelled dialog is the user's choice, not a failure: it shows nothing.
void LinkMenus::create(const QString& path, const QString& failure)
{
    const int32_t r = m_context.createEntry ? m_context.createEntry(m_context.owner, path) : kCreateCancelled;
    if (r == 0) {
        if (m_context.refillConnections)
            m_context.refillConnections();
        return;
    }
    if (r == kCreateCancelled)
        return;
    const QString title = m_context.owner ? m_context.owner->windowTitle() : QString();
    m_context.notifier.message(failure, title, MessageIcon::Exclamation, MessageButtons::Ok, m_context.owner);
}

void LinkMenus::MNU_Connection_Config_Click(QComboBox& connectionCombo)
{
    const QString name = QLatin1String(kProgramEntryName);
    if (connectionCombo.isEditable())
        connectionCombo.setEditText(name);
    else
        connectionCombo.setCurrentIndex(connectionCombo.findText(name));
    QString path;
    const QString notFound = text("MSG_ConnectionNotFound");
    const QString askCreate = text("MSG_AskCreateConnection");
    if (m_context.ras.GetPhonebookPath(path)) {
        if (m_context.ras.RasEntryExists(name, path)) {
            if (!m_context.editEntry || !m_context.editEntry(m_context.owner, path, name)) {
                const QString title = m_context.owner ? m_context.owner->windowTitle() : QString();
                m_context.notifier.message(text("MSG_EntryEditFailed") + kCrLf + path + kCrLf + name, title,
                                           MessageIcon::Exclamation, MessageButtons::Ok, m_context.owner);
            }
            return;
        }
        if (ask(notFound + QLatin1Char('\'') + name + QStringLiteral("' ") + path + kCrLf + askCreate))
            create(path, text("MSG_EntryCreateFailed") + kCrLf + path);
        return;
    }
    if (ask(notFound + path + kCrLf + askCreate))
        create(path, text("MSG_EntryCreateFailed") + QStringLiteral(": ") + path);
}

bool LinkMenus::MNU_Connection_Modem_Click()
{
    const QString port = m_context.phonebookPort ? m_context.phonebookPort() : QString();
    if (port.isEmpty()) {
        const QString title = m_context.owner ? m_context.owner->windowTitle() : QString();
        m_context.notifier.message(text("MSG_PortCheckNoPort"), title, MessageIcon::Exclamation, MessageButtons::Ok,
                                   m_context.owner);
        return false;
    }
    return m_context.checkPort && m_context.checkPort(port);
}

} // namespace jvz
