#pragma once

#include "core/RuntimeTimings.h"

#include <QString>
#include <QStringList>

namespace jvz {

struct AppSettings;
struct BatchRun;
struct TerminalSession;
class MBLanguages;
class FileWriter;
class Notifier;
class UserSettingsStore;

// What start-up and quit need of the main window; the real one lives in the workspace, tests use a fake.
class StartupMainWindow {
public:
    virtual ~StartupMainWindow() = default;
    virtual void init(const MBLanguages& language) = 0;
    // Shows the window modeless; the program then lives on its events.
    virtual void showWindow() = 0;
    virtual void TerminalConnect(bool modemSetupDone) = 0;
    // Arms the one-shot end-of-program timer; its tick unloads the windows and ends the program.
    virtual void armTimer4(int intervalMs) = 0;
};

// The rest of the program as start-up sees it: windows created on first use, the port list, the instance
// check and the end of the process.
class StartupHost {
public:
    virtual ~StartupHost() = default;
    virtual StartupMainWindow& mainWindow() = 0;
    // The progress window: filled with the text, shown modeless and painted at once.
    virtual void showProgressWindow(const QString& comment) = 0;
    virtual void progressComment(const QString& text) = 0;
    virtual void FindModemPorts() = 0;
    virtual bool isAnotherInstanceRunning() = 0;
    // Ends the program at once: no window's close handling runs. Before the event loop runs it only marks the
    // end; Main then reports it.
    virtual void endProgram() = 0;
};

// The parts of the program-wide state that start-up fills.
struct StartupState {
    AppSettings& settings;
    BatchRun& batch;
    TerminalSession& session;
    MBLanguages& language;
    const UserSettingsStore& userStore; // the per-user language choice
    FileWriter& writer;                 // writes the result file
};

// The program's entry procedure and its end.
class Startup {
public:
    enum class Outcome {
        RunEventLoop, // the program goes on with window, socket and timer events
        Ended,        // the run is over already: return from main
    };

    // executablePath: the running program file; its folder holds the INI and data files. quitMessageMs: how
    // long a batch run's closing message stands.
    Startup(StartupState state, StartupHost& host, Notifier& notifier, const QString& executablePath,
            int quitMessageMs = RuntimeTimings{}.quitMessageMs);

    Outcome Main(const QStringList& arguments);
    // Writes the result file (once per run, whatever calls it), then ends the run: at once, or in a batch
    // run with a message, after the message stood for its time.
    void QuitApplication();

    void InitControlLibrary() {}
    bool OpenSettingsFile();
    bool CheckLanguageFile();
    bool CheckCatalogExtensionFile();
    bool CheckBookmarkFile();
    bool CheckPreviousInstance();

    const QString& programFolder() const { return m_programFolder; }
    const QString& programName() const { return m_programName; }
    bool hasEnded() const { return m_ended; }

private:
    void setStartValues();
    bool checkDataFile(const char* key, const char* extension, QString& field, const QString& messageWhenMissing);
    bool presentInProgramFolder(const QString& name) const;
    void reportMissing(const QString& message);

    StartupState m_state;
    StartupHost& m_host;
    Notifier& m_notifier;
    QString m_programFolder;
    QString m_programName;
    bool m_languageLoaded = false;
    bool m_quitDone = false;
    bool m_ended = false;
    int m_quitMessageMs;
};

} // namespace jvz
