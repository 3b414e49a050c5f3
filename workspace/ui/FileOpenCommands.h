#pragma once

#include "terminal_files/CompanionRun.h"
#include "terminal_files/TerminalFileOpener.h"
#include "workspace/CommandState.h"
#include "workspace/OpenByType.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace jvz {

class FileViewers;
class MBLanguages;
class Notifier;
class ProcessRunner;
class TerminalInfoFields;
class ViewerWindows;
class frmTerminalInfo;
struct AppSettings;
struct TransferContext;

// The main window's viewer and companion commands: opening local and terminal files by type, the catalogue
// description (F9), the running-component list, the terminal identity window and the help list of compliant
// terminals. The window runs them through its command table.
class FileOpenCommands : public QObject {
    Q_OBJECT
public:
    // What the window tells the commands about its state.
    struct Hooks {
        std::function<QString()> currentLocalFolder;     // the folder ListView1 shows, ending in "/"
        std::function<QString()> firstSelectedLocalName; // ListView1's first selected item, empty for none
        std::function<QStringList()> catalogueFilters;   // Combo2's items
        std::function<TransferContext*()> transfers;     // the open FTP session's context, null when none
        std::function<bool()> busy;                      // a nested wait runs: commands do nothing
        OpenByType::Hooks local;                         // the local explorer's navigation, the credentials
    };

    // viewers: null for the real viewer windows (children of window).
    FileOpenCommands(QWidget& window, const AppSettings& settings, const MBLanguages& language, Notifier& notifier,
                     ProcessRunner& runner, TerminalInfoFields& terminalInfo, Hooks sources,
                     FileViewers* viewers = nullptr);
    ~FileOpenCommands() override;

    // Hands the window the handlers of MNU_Catalog_description (F9), MNU_Help_JungoTerminals,
    // MNU_Terminal_Application_List and MNU_Terminal_Config.
    using WireCommand = std::function<void(Command, std::function<void()>)>;
    void wireCommands(const WireCommand& wire);
    // The help item is shown only when its file is beside the program.
    bool helpListAvailable() const;

    // The file branches of the local list's opening (the local explorer asks through the window).
    FileTool openLocalFile(const QString& folder, const QString& name);
    // A file of the terminal list, in the FTP session's current directory (asked through the window).
    TerminalFileOpener::Result OpenTerminalFile(const QString& name, qint64 listedBytes = -1);

    void MNU_Catalog_description_Click();
    void MNU_Help_JungoTerminals_Click();
    void MNU_Terminal_Application_List_Click();
    void MNU_Terminal_Config_Click();

    // AnalyzeSgn of the main window.
    void AnalyzeSgn(const QString& path, int16_t& status);

    CompanionRunner& companions() { return m_companions; }
    FileViewers& viewers() { return *m_viewers; }

signals:
    // A companion program starts or ends: the window is busy while one runs.
    void companionRunningChanged(bool running);

private:
    bool busy() const { return m_sources.busy && m_sources.busy(); }
    void refreshCompanionOptions();

    QWidget& m_window;
    const AppSettings& m_settings;
    const MBLanguages& m_language;
    TerminalInfoFields& m_terminalInfo;
    Hooks m_sources;
    std::unique_ptr<ViewerWindows> m_ownViewers;
    FileViewers* m_viewers;
    CompanionRunner m_companions;
    OpenByType m_openByType;
    TerminalFileOpener m_terminalOpener;
    QPointer<frmTerminalInfo> m_terminalInfoWindow;
};

} // namespace jvz
