#pragma once

class QMainWindow;

namespace jvz {

struct AppSettings;
struct MainWindowControls;
class UserSettingsStore;

// The main window's environment as a confirmed quit saves it: the window state in the per-user store, the
// bars, the filters and the default connection in the settings file start-up read.
class WindowEnvironment {
public:
    WindowEnvironment(QMainWindow& window, const MainWindowControls& controls, AppSettings& settings,
                      UserSettingsStore& userStore)
        : m_window(window), m_ui(controls), m_settings(settings), m_userStore(userStore)
    {
    }

    // The window state saved last: maximised, minimised, or nine tenths of the screen, centred.
    void restore();
    void save();

private:
    QMainWindow& m_window;
    const MainWindowControls& m_ui;
    AppSettings& m_settings;
    UserSettingsStore& m_userStore;
};

} // namespace jvz
