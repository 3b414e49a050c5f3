#include "workspace/ui/FileOpenCommands.h"

#include "core/AppSettings.h"
#include "core/MBLanguages.h"
#include "session/ui/frmTerminalInfo.h"
#include "terminal_files/TransferContext.h"
#include "terminal_files/ui/ViewerWindows.h"

#include <QWidget>

namespace jvz {

namespace {

std::unique_ptr<ViewerWindows> realViewers(FileViewers* given, QWidget& window, const MBLanguages& language,
                                           Notifier& notifier)
{
    return given ? nullptr : std::make_unique<ViewerWindows>(&window, language, notifier);
}

} // namespace

FileOpenCommands::FileOpenCommands(QWidget& window, const AppSettings& settings, const MBLanguages& language,
                                   Notifier& notifier, ProcessRunner& runner, TerminalInfoFields& terminalInfo,
                                   Hooks sources, FileViewers* viewers)
    : QObject(&window), m_window(window), m_settings(settings), m_language(language), m_terminalInfo(terminalInfo),
      m_sources(std::move(sources)), m_ownViewers(realViewers(viewers, window, language, notifier)),
      m_viewers(viewers ? viewers : m_ownViewers.get()),
      m_companions(runner, notifier, language, *m_viewers, companionOptionsFrom(settings, language)),
      m_openByType(*m_viewers, m_companions, m_sources.local), m_terminalOpener(*m_viewers, m_companions)
{
    m_companions.setRunningChanged([this](bool running) { emit companionRunningChanged(running); });
    if (m_ownViewers) {
        // The descriptor viewer's list hands signed files to the same dumper.
        m_ownViewers->setSignedFileDump(
            [this](const QString& path) {
                int16_t status = 0;
                AnalyzeSgn(path, status);
            },
            [this] { return localOpenSettingsFrom(m_settings).dispatch; });
    }
}

FileOpenCommands::~FileOpenCommands() = default;

void FileOpenCommands::wireCommands(const WireCommand& wire)
{
    wire(Command::CatalogDescription, [this] { MNU_Catalog_description_Click(); });
    wire(Command::HelpJungoTerminals, [this] { MNU_Help_JungoTerminals_Click(); });
    wire(Command::ApplicationList, [this] { MNU_Terminal_Application_List_Click(); });
    wire(Command::TerminalConfig, [this] { MNU_Terminal_Config_Click(); });
}

bool FileOpenCommands::helpListAvailable() const
{
    return hasCompliantTerminalsFile(m_settings.gProgramFolder);
}

void FileOpenCommands::refreshCompanionOptions()
{
    // Settings and language may change after the window was built.
    m_companions.options() = companionOptionsFrom(m_settings, m_language);
}

FileTool FileOpenCommands::openLocalFile(const QString& folder, const QString& name)
{
    if (busy())
        return FileTool::Nothing;
    refreshCompanionOptions();
    const QStringList filters = m_sources.catalogueFilters ? m_sources.catalogueFilters() : QStringList();
    return m_openByType.openFile(folder, name, localOpenSettingsFrom(m_settings), filters);
}

TerminalFileOpener::Result FileOpenCommands::OpenTerminalFile(const QString& name, qint64 listedBytes)
{
    TransferContext* ctx = m_sources.transfers ? m_sources.transfers() : nullptr;
    if (busy() || !ctx)
        return {};
    refreshCompanionOptions();
    return m_terminalOpener.OpenTerminalFile(*ctx, name, terminalOpenSettingsFrom(m_settings), listedBytes);
}

void FileOpenCommands::MNU_Catalog_description_Click()
{
    if (busy() || !m_sources.firstSelectedLocalName || !m_sources.currentLocalFolder)
        return;
    m_openByType.ShowSelectedDescriptor(m_sources.currentLocalFolder(), m_sources.firstSelectedLocalName());
}

void FileOpenCommands::MNU_Help_JungoTerminals_Click()
{
    if (!busy())
        jvz::MNU_Help_JungoTerminals_Click(m_settings.gProgramFolder, *m_viewers);
}

void FileOpenCommands::MNU_Terminal_Application_List_Click()
{
    TransferContext* ctx = m_sources.transfers ? m_sources.transfers() : nullptr;
    if (!busy() && ctx)
        m_terminalOpener.MNU_Terminal_Application_List_Click(*ctx);
}

void FileOpenCommands::MNU_Terminal_Config_Click()
{
    if (busy())
        return;
    if (!m_terminalInfoWindow) {
        m_terminalInfoWindow = new frmTerminalInfo(m_terminalInfo, &m_window);
        m_terminalInfoWindow->setWindowFlag(Qt::Window);
    }
    m_terminalInfoWindow->init(m_language);
    m_terminalInfoWindow->setModal(true);
    m_terminalInfoWindow->exec();
}

void FileOpenCommands::AnalyzeSgn(const QString& path, int16_t& status)
{
    refreshCompanionOptions();
    m_companions.AnalyzeSgn(path, status);
}

} // namespace jvz
