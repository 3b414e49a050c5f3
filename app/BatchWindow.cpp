#include "BatchWindow.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/PerUserFolder.h"
#include "core/ProgramInfo.h"
#include "platform/Notifier.h"
#include "session/ConnectionList.h"
#include "session/SessionRuntime.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcBatchTrace, "jvz.trace", QtInfoMsg)

namespace jvz {

BatchWindow::BatchWindow(AppSettings& settings, BatchRun& batch, Notifier& notifier, RasFunctions& ras, Hooks hooks)
    : m_settings(settings), m_batch(batch), m_notifier(notifier), m_ras(ras), m_hooks(std::move(hooks))
{
}

BatchWindow::~BatchWindow()
{
    delete m_timer4;
}

// What loading and initialising the main window leave behind for a run: the window's texts, the folders the
// link and the transfers use, the entry the run dials and the activity asked.
void BatchWindow::init(const MBLanguages& language)
{
    m_language.Copy(language);
    m_language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
    makeFolders();
    m_entryName = unattendedConnectionEntry(m_ras, m_language, m_settings.gConnectionName, m_batch);
    m_activity = m_batch.gActivity == 2 || m_batch.gActivity == 3 ? m_batch.gActivity : 1;
}

void BatchWindow::makeFolders()
{
    QStringList notCreated;
    const auto make = [&notCreated](const QString& path) {
        if (!QFileInfo(path).isDir() && !QDir().mkpath(path))
            notCreated.append(QDir::toNativeSeparators(path));
    };
    if (!m_settings.gProgramFolder.isEmpty())
        make(m_settings.gProgramFolder + QStringLiteral("/ras"));
    make(GetAppTempDir());
    if (notCreated.isEmpty())
        return;
    const QString text = m_language.GetFormLabel(QStringLiteral("MSG_FolderNotCreated")) + QStringLiteral(": ") +
                         notCreated.join(QStringLiteral(", "));
    AddTrace(text);
    m_notifier.message(text, QLatin1String(kProgramTitle), MessageIcon::Exclamation, MessageButtons::Ok);
}

void BatchWindow::TerminalConnect(bool modemSetupDone)
{
    if (m_hooks.connect)
        m_hooks.connect(modemSetupDone);
}

void BatchWindow::armTimer4(int intervalMs)
{
    if (!m_timer4) {
        m_timer4 = new QTimer;
        m_timer4->setSingleShot(true);
        QObject::connect(m_timer4, &QTimer::timeout, [this] {
            if (m_hooks.endProgram)
                m_hooks.endProgram();
        });
    }
    m_timer4->start(intervalMs);
}

void BatchWindow::AddTrace(const QString& line)
{
    qCDebug(lcBatchTrace).noquote() << line;
}

void BatchWindow::ShowWarningMessage(const QString& text, int32_t, int32_t)
{
    AddTrace(text);
}

FtpCredentials BatchWindow::credentials() const
{
    return {m_settings.gIpLocalAddress, m_settings.gFtpUserName, m_settings.gFtpPassword};
}

QString BatchWindow::PhonebookPort() const
{
    return m_hooks.phonebookPort ? m_hooks.phonebookPort() : QString();
}

void BatchWindow::ReportFtpError(uint32_t error, const QString& operation)
{
    if (m_runtime)
        m_runtime->wininet().ReportFtpError(error, operation, m_language);
}

} // namespace jvz
