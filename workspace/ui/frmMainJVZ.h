#pragma once

#include "core/MBLanguages.h"
#include "core/Startup.h"
#include "workspace/LocalListing.h"
#include "workspace/LocalSelection.h"
#include "workspace/ProductCodes.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/QuitProcedure.h"
#include "workspace/ui/StatusPanels.h"
#include "workspace/ui/TraceBox.h"
#include "workspace/ui/WindowCommands.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QTimer;
class QPlainTextEdit;

namespace jvz {

struct AppSettings;
struct BatchRun;
struct TerminalSession;
class CatalogueAuthoring;
class ProcessRunner;
class TerminalInfoFields;
class Notifier;
class WindowEnvironment;
class UserSettingsStore;
class VolumeSource;
class LocalExplorerPane;
class LocalSelectionWiring;
class MBApplications;
class MainWindowLayout;
class ProcessRunner;
class frmMainJVZ;

// The program's main window: menus, toolbars, the explorer panes in their splitters, status bars and the
// trace box. It coordinates: the local explorer, the local selection with the favourites, the trace box, the
// quit and the saved environment are classes of their own. The local panes say what happened through their
// signals, which connectPanes() answers in one table; the command table is commands() (WindowCommands).
// Controls are reached through controls(). The session, the terminal pane, the file commands
// and the link menus are the assembly's (app/WindowAssembly): the window asks the session through its signals.
class frmMainJVZ : public QMainWindow, public StartupMainWindow {
    Q_OBJECT
public:
    // What the window calls outside itself.
    struct Hooks {
        std::function<void()> quitApplication;      // the user closed the window: end the run
        std::function<void()> unloadProgressWindow; // Timer4: the progress window goes first
        std::function<void()> endProgram;           // Timer4: then the program ends
    };

    // What the window is given by its assembly.
    struct Services {
        Notifier& notifier;
        UserSettingsStore& userStore; // the per-user window state
        ProcessRunner& runner;        // the window's child program (ended on quit when it still runs)
        Hooks hooks;
        std::function<void(QComboBox&)> fillConnectionList; // Combo_DefaultConnection from the phonebook
        std::function<int32_t()>
            linkState; // the dial-up link's state (kLinkStateUp, kLinkStateDown); empty: always down
        TerminalSession* terminalSession = nullptr;               // the terminal folder the terminal list shows
        const TerminalInfoFields* terminalInfo = nullptr;         // the connected terminal's product code
        int linkDownWaitMs = RuntimeTimings{}.quitLinkDownWaitMs; // how long the quit waits for the link to go down
        int statusMessageMs = RuntimeTimings{}.statusMessageMs;   // how long a favourites message stands
        int folderReadWaitMs = RuntimeTimings{}.folderReadWaitMs; // how long a local folder read is waited for
        VolumeSource* volumes = nullptr; // the drives the local panes and the favourites see; null: the machine's own
        // Opens a document (the user's guide) with the desktop's program for it; false when none could. Empty:
        // the desktop's own.
        std::function<bool(const QString& path)> openDocument{};
        // Creates a folder with its parents; empty: the file system's own. Tests make it fail.
        std::function<bool(const QString& path)> makeFolder{};
        // Runs before each folder read of the local explorer, on the read's thread; empty: nothing. Tests
        // hold a read there.
        FolderReadHook folderReadHook{};
    };

    frmMainJVZ(Services services, AppSettings& settings, BatchRun& batch, QWidget* parent = nullptr);
    ~frmMainJVZ() override;

    MBApplications* childProgram() const { return m_childProgram.get(); }

    const MainWindowControls& controls() const { return m_ui; }
    // The local explorer (tree, file list, path combo, filters) and the local selection with the favourites.
    LocalExplorerPane* localExplorer() const { return m_localExplorer; }
    LocalSelectionWiring* localSelection() const { return m_localSelection; }

    // StartupMainWindow
    void init(const MBLanguages& language) override;
    void showWindow() override;
    void TerminalConnect(bool modemSetupDone) override;
    void armTimer4(int intervalMs) override;

    void InitLanguage(const MBLanguages& language);
    MBLanguages& language() { return m_language; }

    // The trace box: the newest line on top, bounded.
    TraceBox& traceBox() const { return *m_trace; }

    // The status bars' texts: StatusBar2's panels, StatusBar3's panels and StatusBar4's caption.
    WindowStatusBars& statusBars() const { return *m_statusBars; }
    // The panes' widths, the toolbars and the trace box's place.
    MainWindowLayout& windowLayout() const { return *m_layout; }

    // The Activity menu's choice: 1 download, 2 diagnostic, 3 maintenance.
    uint8_t activityAsked() const { return m_activityAsked; }
    // The terminal folder the terminal list shows ("\SWAP\"); empty before the session.
    QString currentTerminalDir() const;
    // The local folder ListView1 shows; empty on "My Computer".
    const QString& currentLocalFolder() const { return m_currentLocalFolder; }

    // The command table: a pane or command helper wires its handler there, and every command runs through it.
    WindowCommands& commands() { return *m_commands; }
    void CheckNetworkMenu();

    void TLB_Connect_ButtonClick();
    // Activity menu: 1 download, 2 diagnostic, 3 maintenance.
    void selectActivity(int activity);
    void ShowActivityLabel();

    // Window events: the first activation, the close (asked, saved, link down, child program ended).
    void Form_Activate();
    bool FirstActivation() const { return m_firstActivation; }
    void SaveEnvironment();
    // A stop signal: the quit as the Yes to its question does, once a nested wait under way has ended.
    void quitWithoutQuestion();

    // Product codes, read with the catalogue filters of Combo2 (the local explorer's).
    const ProductCodeTable& ListProduct() const { return m_products; }
    void SeeProductCode(const QString& code);

    void Timer4_Timer();

    // The catalogue authoring commands (family, copy, list file, pack window).
    CatalogueAuthoring& catalogueAuthoring() { return *m_authoring; }

signals:
    // The window was activated for the first time: the panes fill from here, never in a batch run.
    void firstActivated();
    // Connect: the link's set-up, which the assembly connects to the connect sequence. Unconnected: no link.
    void connectAsked(bool modemSetupDone);
    // What the window asks of the session (the assembly connects them).
    void disconnectAsked();                                    // the disconnect, the hang-up, the quit
    void activityChosen(uint8_t activity);                     // a new activity while no FTP session is open
    void ftpSessionCloseAsked();                               // the terminal list asked again
    void terminalMessageAsked(uint8_t code, uint8_t activity); // end-of-activity code, activity
    // A context menu command on the terminal list, which has the focus (delete, refresh).
    void terminalListCommandAsked(Command command);
    // The window's texts changed language.
    void translated();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The table of the local panes' signals and what answers each; run once, from the constructor.
    void connectPanes();
    void RefreshTerminalList();
    void localListingChanged(LocalListingChange change);
    void copyListNames();
    void deleteListSelection();
    void refreshFocusedList();
    void connectCommands();
    void wireCatalogueAuthoring();
    void FillDefaultConnectionCombo();
    void Form_Load();
    bool Form_QueryUnload();
    void showContextMenu(QWidget* view, const QPoint& globalPos);
    QString label(const char* key) const;

    AppSettings& m_settings;
    BatchRun& m_batch;
    Notifier& m_notifier;
    Hooks m_hooks;
    std::function<void(QComboBox&)> m_fillConnectionList;
    std::function<int32_t()> m_linkState;
    UserSettingsStore& m_userStore;
    std::function<bool(const QString&)> m_openDocument;
    std::function<bool(const QString&)> m_makeFolder;
    int m_statusMessageMs; // how long a favourites message stands in the status bar
    uint8_t m_activityAsked = 1;
    QString m_currentLocalFolder;
    std::unique_ptr<MBApplications> m_childProgram;
    MBLanguages m_language;
    std::unique_ptr<TraceBox> m_trace;
    std::unique_ptr<WindowEnvironment> m_environment;
    std::unique_ptr<QuitProcedure> m_quit; // the close's questions, saving and bounded link wait
    QStringList m_foldersNotCreated;
    bool m_ending = false;
    bool m_quitWhenIdle = false; // a stop signal came while the window was busy
    bool m_loaded = false;
    bool m_firstActivation = true;

    MainWindowControls m_ui;
    std::unique_ptr<WindowStatusBars> m_statusBars;
    MainWindowLayout* m_layout = nullptr;
    LocalExplorerPane* m_localExplorer = nullptr;     // a child of the window
    LocalSelectionWiring* m_localSelection = nullptr; // a child of the window
    std::unique_ptr<WindowCommands> m_commands;       // built with the controls
    ProductCodeTable m_products;
    TerminalSession* m_terminalSession = nullptr;
    const TerminalInfoFields* m_terminalInfo = nullptr; // the connected terminal's product code
    QTimer* m_timer4 = nullptr;
    std::unique_ptr<CatalogueAuthoring> m_authoring;
};

} // namespace jvz
