#pragma once

#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace jvz {

struct AppSettings;
struct TransferContext;
class FileWriter;
class frmOutilsJVZ;

// The terminal-information command of the main window: fetches the terminal's configuration file into the
// temp folder, shows it in the configuration window (modal, owned by the main window) and deletes the copy once
// the window has closed.
class TerminalConfigCommand {
public:
    using ShowModal = std::function<void(frmOutilsJVZ& window)>;

    TerminalConfigCommand(TransferContext& context, const AppSettings& settings, FileWriter& writer, QWidget* owner);
    ~TerminalConfigCommand();

    void setShowModal(ShowModal show) { m_show = std::move(show); }

    void MNU_Terminal_Info_Click();

    // The single window, created on first use.
    frmOutilsJVZ& window();

    static constexpr const char* kTerminalDirectory = "\\SWAP\\";
    static constexpr const char* kTerminalFile = "TERMINAL.CNF";
    static constexpr const char* kLocalCopy = "termconfig.tmp";

private:
    TransferContext& m_context;
    const AppSettings& m_settings;
    FileWriter& m_writer;
    QWidget* m_owner;
    QPointer<frmOutilsJVZ> m_window;
    ShowModal m_show;
};

} // namespace jvz
