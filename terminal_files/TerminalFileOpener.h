#pragma once

// Opening a file of the terminal: fetched into the temp folder, handed to the tool its name calls for,
// an edited text put back on the terminal, the temp copy removed. Also the Terminal menu command that
// shows the terminal's running-component list.

#include "terminal_files/FileDispatch.h"

#include <QString>

namespace jvz {

class CompanionRunner;
class FileViewers;
struct AppSettings;
struct TransferContext;

struct TerminalOpenSettings {
    DispatchSettings dispatch;
    bool updateTermFiles = false; // terminal text files may be edited and are put back
};

TerminalOpenSettings terminalOpenSettingsFrom(const AppSettings& settings);

class TerminalFileOpener {
public:
    enum class PutBack {
        NotNeeded, // not a text file, or not changed
        Done,      // the edited file stands under its name on the terminal
        Failed,    // the terminal keeps its old file, or the new text under terminalCopy; the edited copy
                   // was kept locally
    };

    struct Result {
        bool fetched = false;
        FileTool tool = FileTool::Nothing;
        PutBack putBack = PutBack::NotNeeded;
        QString keptCopy;     // where the edited copy was kept when the put back failed
        QString terminalCopy; // the terminal's name for the new text when it is not the file's own
    };

    TerminalFileOpener(FileViewers& viewers, CompanionRunner& companions);

    // name: an entry of the current terminal directory (ctx.currentTerminalDir, the FTP session's one), as the
    // terminal listed it; fetched and put back under exactly that name. listedBytes, the size its row holds
    // (-1: unknown), bounds what the fetch may bring.
    Result OpenTerminalFile(TransferContext& ctx, const QString& name, const TerminalOpenSettings& settings,
                            qint64 listedBytes = -1);

    // The running-component list named in \SWAP\ACTIVITY.INF, in the text viewer. Silent when a fetch fails.
    bool MNU_Terminal_Application_List_Click(TransferContext& ctx);

private:
    PutBack putBack(TransferContext& ctx, const QString& name, const QString& localPath, QString& keptCopy,
                    QString& terminalCopy);
    QString keepEditedCopy(TransferContext& ctx, const QString& name, const QString& localPath,
                           const QString& terminalCopy);

    FileViewers& m_viewers;
    CompanionRunner& m_companions;
};

} // namespace jvz
