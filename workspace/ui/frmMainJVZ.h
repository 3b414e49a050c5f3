#pragma once

#include "core/MBLanguages.h"
#include "core/Startup.h"

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QTimer;
class QToolBar;

namespace jvz {

struct AppSettings;
struct BatchRun;
struct MainSessionWindowParts;
struct RuntimeTimings;
struct SessionRuntimeState;
struct SessionServices;
class MainSessionWindow;
class Notifier;
class SessionRuntime;
class SessionWindow;
class TerminalPane;

// The program's main window. This is its frame as start-up and the session need it; the explorer panes,
// the remaining menus and the session's own variables and timers are added to it, not beside it.
class frmMainJVZ : public QMainWindow, public StartupMainWindow {
    Q_OBJECT
public:
    // What the window calls outside itself.
    struct Hooks {
        std::function<void()> quitApplication;      // the user closed the window: end the run
        std::function<void()> unloadProgressWindow; // Timer4: the progress window goes first
        std::function<void()> endProgram;           // Timer4: then the program ends
    };

    frmMainJVZ(AppSettings& settings, BatchRun& batch, Notifier& notifier, QWidget* parent = nullptr);
    ~frmMainJVZ() override;

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // Fills Combo_DefaultConnection from the private phonebook.
    void setConnectionListFiller(std::function<void(QComboBox&)> fill) { m_fillConnectionList = std::move(fill); }

    // StartupMainWindow
    void init(const MBLanguages& language) override;
    void showWindow() override;
    void TerminalConnect(bool modemSetupDone) override;
    void armTimer4(int intervalMs) override;

    void InitLanguage(const MBLanguages& language);
    MBLanguages& language() { return m_language; }

    // Puts the line on top of the trace box: line, CR LF, then the earlier text.
    void AddTrace(const QString& line);
    const QString& TraceText() const { return m_trace; }
    void ClearTrace();

    // Status bar panels, 1-based; panel 4 holds the link state.
    void SetStatusPanel(int panel, const QString& text);
    QString StatusPanel(int panel) const;

    // The icon bar's buttons by their 1-based index (separators count): enabled state and pressed value.
    QAction* IconButton(int index) const;
    void SetIconButton(int index, bool enabled, bool pressed);

    uint8_t ActivityAsked = 1;
    QString CurrentTerminalDir; // the terminal folder the terminal list shows ("\SWAP\")

    // The session: socket events, timers, FTP session and disconnect, built once the program's services exist.
    SessionRuntime& createSession(SessionRuntimeState state, SessionServices services, MainSessionWindowParts parts,
                                  const RuntimeTimings& timings);
    SessionRuntime* session() const { return m_session.get(); }
    SessionWindow* sessionWindow() const;
    // The connect sequence; without one, connecting sets up no link.
    void setConnectSequence(std::function<void(bool)> connect) { m_connect = std::move(connect); }
    bool FtpSessionOpen() const;
    // The terminal explorer, once the session is built (none while the window has no terminal list).
    TerminalPane* terminalPane() const { return m_terminalPane.get(); }
    void MNU_Terminal_Disconnect_Click();

    void Timer4_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildBars();
    void FillDefaultConnectionCombo();
    void selectActivity(int activity);

    AppSettings& m_settings;
    BatchRun& m_batch;
    Notifier& m_notifier;
    Hooks m_hooks;
    std::function<void(QComboBox&)> m_fillConnectionList;
    std::function<void(bool)> m_connect;
    MBLanguages m_language;
    QString m_trace;
    bool m_ending = false;

    QPlainTextEdit* m_txtTrace = nullptr;
    QStatusBar* m_statusBar2 = nullptr;
    QLabel* m_panels[4] = {};
    QToolBar* m_tlbIcon = nullptr;
    QToolBar* m_tlbConnect = nullptr;
    QComboBox* m_comboConnection = nullptr;
    QLineEdit* m_filter = nullptr;
    QAction* m_viewConnectBar = nullptr;
    QAction* m_viewIconBar = nullptr;
    QAction* m_viewTrace = nullptr;
    QAction* m_activity[3] = {};
    QActionGroup* m_activityGroup = nullptr;
    QTimer* m_timer4 = nullptr;
    std::unique_ptr<MainSessionWindow> m_sessionWindow;
    std::unique_ptr<SessionRuntime> m_session; // goes before the window adapter it uses
    std::unique_ptr<TerminalPane> m_terminalPane; // uses the session: goes first
};

} // namespace jvz
