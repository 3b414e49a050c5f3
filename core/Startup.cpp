#include "Startup.h"

#include "core/AppSettings.h"
#include "core/BatchResultFile.h"
#include "core/BatchRun.h"
#include "core/CaseLookup.h"
#include "core/CommandLine.h"
#include "core/CoreLog.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"
#include "core/Settings.h"
#include "core/TerminalSession.h"
#include "platform/Notifier.h"

#include <QFileInfo>

namespace jvz {

Startup::Startup(StartupState state, StartupHost& host, Notifier& notifier, const QString& executablePath,
                 int quitMessageMs)
    : m_state(state), m_host(host), m_notifier(notifier), m_quitMessageMs(quitMessageMs)
{
    const QFileInfo exe(executablePath);
    m_programFolder = exe.absolutePath();
    m_programName = exe.completeBaseName();
}

void Startup::setStartValues()
{
    AppSettings& s = m_state.settings;
    BatchRun& b = m_state.batch;
    s.gNTProtocol = true;
    s.gDebug = false;
    s.gRemoteDirectory = false;
    s.gProgramFolder = m_programFolder;
    b.gSerialLink = true;
    b.gBatchMode = false;
    b.gShowProgress = true;
    b.gBatchAction = BatchAction::Download;
    b.gResultFile.clear();
    b.gErrorCode = 0;
    b.gErrorText.clear();
}

Startup::Outcome Startup::Main(const QStringList& arguments)
{
    BatchRun& batch = m_state.batch;
    setStartValues();
    InitControlLibrary();
    ParseCommandLine(arguments, batch, m_state.settings);
    qCDebug(jvzCore) << "start-up, batch" << batch.gBatchMode << "code" << batch.gErrorCode;

    const bool reachedConnect = [&] {
        if (!OpenSettingsFile() || !CheckLanguageFile())
            return false;
        m_state.language.InitDefaultLanguage(m_programFolder + QLatin1Char('/') + m_state.settings.gLanguageFile,
                                             m_state.userStore);
        m_languageLoaded = true;
        LoadOptions(m_state.settings, *m_state.settings.gIniFile);
        LoadProtocolSettings(m_state.settings, batch, *m_state.settings.gIniFile);
        m_host.FindModemPorts();
        // Debug marks time the start-up by stage (QT_LOGGING_RULES="jvz.core.debug=true").
        qCDebug(jvzCore) << "stage settings read";
        m_host.mainWindow().init(m_state.language);
        qCDebug(jvzCore) << "stage window built";
        CheckBookmarkFile(); // a missing bookmark file only leaves its code
        if (!CheckCatalogExtensionFile())
            return false;
        const bool another = CheckPreviousInstance();
        if (!batch.gBatchMode) {
            if (another)
                return false;
            m_host.mainWindow().showWindow();
            return true;
        }
        if (batch.gShowProgress)
            m_host.showProgressWindow(QStringLiteral("JVZ Running..."));
        if (batch.gErrorCode != 0)
            return false;
        qCDebug(jvzCore) << "stage start-up checks done";
        m_host.mainWindow().TerminalConnect(false);
        m_state.session.swapTotalSize = 0;
        m_state.session.swapUnchecked = true;
        return batch.gErrorCode == 0;
    }();

    if (!reachedConnect)
        QuitApplication();
    return m_ended ? Outcome::Ended : Outcome::RunEventLoop;
}

void Startup::QuitApplication()
{
    if (m_quitDone)
        return; // one result file per run, whichever path ends it
    m_quitDone = true;
    BatchRun& batch = m_state.batch;
    WriteBatchResult(batch, m_programFolder, m_languageLoaded ? &m_state.language : nullptr, m_state.writer);
    qCDebug(jvzCore) << "quit with" << batch.gErrorCode << batch.gErrorText;
    if (batch.gBatchMode && !batch.gErrorText.isEmpty()) {
        if (batch.gShowProgress)
            m_host.progressComment(batch.gErrorText);
        m_host.mainWindow().armTimer4(m_quitMessageMs);
        return;
    }
    m_ended = true;
    m_host.endProgram();
}

bool Startup::presentInProgramFolder(const QString& name) const
{
    const QFileInfo info(m_programFolder + QLatin1Char('/') + name);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

void Startup::reportMissing(const QString& message)
{
    m_state.batch.set(BatchCode::StartupFileMissing, message);
    if (!m_state.batch.gBatchMode)
        m_notifier.message(message, m_programName, MessageIcon::Critical, MessageButtons::Ok);
}

bool Startup::OpenSettingsFile()
{
    const QString name = m_programName + QStringLiteral(".ini");
    m_state.settings.gIniPath = m_programFolder + QLatin1Char('/') + name;
    if (!presentInProgramFolder(name)) {
        reportMissing(QStringLiteral("file ") + m_programFolder + QLatin1Char('/') + name + QStringLiteral(" missing"));
        return false;
    }
    m_state.settings.gIniFile->Create(m_state.settings.gIniPath);
    // Settings that cannot be read would all take their defaults and the run would talk to the wrong terminal.
    if (!m_state.settings.gIniFile->Readable()) {
        reportMissing(QStringLiteral("file ") + m_state.settings.gIniPath + QStringLiteral(" cannot be read"));
        return false;
    }
    return true;
}

bool Startup::checkDataFile(const char* key, const char* extension, QString& field, const QString& messageWhenMissing)
{
    field = m_state.settings.gIniFile->StringGet(QStringLiteral("Files"), QLatin1String(key));
    if (field.isEmpty())
        field = m_programName + QLatin1String(extension);
    // The settings may have been written on a system that ignores letter case.
    const QString found = resolvePathAnyCase(m_programFolder + QLatin1Char('/') + field);
    if (found.startsWith(m_programFolder + QLatin1Char('/')))
        field = found.mid(m_programFolder.size() + 1);
    if (presentInProgramFolder(field))
        return true;
    reportMissing(messageWhenMissing.isEmpty() ? QStringLiteral("file ") + m_programFolder + QLatin1Char('/') + field +
                                                     QStringLiteral(" missing")
                                               : messageWhenMissing);
    return false;
}

bool Startup::CheckLanguageFile()
{
    return checkDataFile("Language", ".lng", m_state.settings.gLanguageFile, QString());
}

bool Startup::CheckCatalogExtensionFile()
{
    return checkDataFile("CataExt", ".prm", m_state.settings.gCataExtFile,
                         m_state.language.GetGeneralLabel(QStringLiteral("msg_CataExtMissing")));
}

bool Startup::CheckBookmarkFile()
{
    return checkDataFile("Bookmark", ".bmk", m_state.settings.gBookmarkFile,
                         m_state.language.GetGeneralLabel(QStringLiteral("msg_DefaultDirectoryFileMissing")));
}

bool Startup::CheckPreviousInstance()
{
    if (!m_host.isAnotherInstanceRunning())
        return false;
    if (!m_state.batch.gBatchMode)
        m_notifier.message(m_programName + QLatin1Char(' ') +
                               m_state.language.GetGeneralLabel(QStringLiteral("msg_AlreadyRunning")),
                           m_programName, MessageIcon::Exclamation, MessageButtons::Ok);
    return true;
}

} // namespace jvz
