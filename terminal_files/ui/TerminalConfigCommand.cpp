#include "terminal_files/ui/TerminalConfigCommand.h"

#include "core/AppSettings.h"
#include "platform/Notifier.h"
#include "terminal_files/TerminalFetch.h"
#include "terminal_files/TransferContext.h"
#include "terminal_files/ui/frmOutilsJVZ.h"

#include <QFile>

namespace jvz {

TerminalConfigCommand::TerminalConfigCommand(TransferContext& context, const AppSettings& settings, FileWriter& writer,
                                             QWidget* owner)
    : m_context(context), m_settings(settings), m_writer(writer), m_owner(owner),
      m_show([](frmOutilsJVZ& w) { w.exec(); })
{
}

TerminalConfigCommand::~TerminalConfigCommand()
{
    delete m_window.data();
}

frmOutilsJVZ& TerminalConfigCommand::window()
{
    if (!m_window) {
        m_window = new frmOutilsJVZ(m_settings, m_context.notifier, m_writer, m_owner);
        m_window->setWindowModality(Qt::ApplicationModal);
    }
    return *m_window;
}

void TerminalConfigCommand::MNU_Terminal_Info_Click()
{
    const QString directory = QString::fromLatin1(kTerminalDirectory);
    const QString file = QString::fromLatin1(kTerminalFile);
    const QString localCopy = m_context.tempDir() + QLatin1String(kLocalCopy);
    if (!FetchTerminalFileToTemp(m_context, directory, file, true, QString::fromLatin1(kLocalCopy))) {
        const QString text = directory + file + QStringLiteral(" : ") + m_context.label("MSG_TerminalConfigNotFetched");
        m_context.host.trace(text);
        m_context.notifier.message(text, m_context.label("TIT_TerminalConfig"), MessageIcon::Exclamation,
                                   MessageButtons::Ok, m_owner);
        QFile::remove(localCopy);
        return;
    }
    frmOutilsJVZ& w = window();
    // A record that cannot be read has been reported; there is nothing to show.
    if (w.Init_JVZ_Tool(m_context.language, localCopy) && m_show)
        m_show(w);
    QFile::remove(localCopy);
}

} // namespace jvz
