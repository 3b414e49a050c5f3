#pragma once

// Opening an item of the local file list by its kind: drives and folders go to the explorer's navigation,
// a folder link is followed there, and a file goes to the tool its name calls for (a companion run, the
// descriptor viewer, the text viewer). Also the descriptor view of a selected catalogue list (F9).

#include "terminal_files/FileDispatch.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace jvz {

class CompanionRunner;
class FileViewers;
struct AppSettings;

struct LocalOpenSettings {
    DispatchSettings dispatch;
    bool updateFile = false; // local text files may be edited in the viewer
};

LocalOpenSettings localOpenSettingsFrom(const AppSettings& settings);

class OpenByType {
public:
    struct Hooks {
        // Opens a folder (a full path ending in "/") in the explorer's tree and lists it.
        std::function<void(const QString& folder)> navigateToFolder;
        // The connection bar's login and password become the FTP credentials.
        std::function<void()> takeConnectionBarCredentials;
    };

    OpenByType(FileViewers& viewers, CompanionRunner& companions, Hooks hooks);

    // The file branches of the local list's opening: name is an entry of folder (ending in "/"), with a file
    // image ("coche" or "Unknown"). filterItems: the catalogue filter list. Returns the tool it ran.
    FileTool openFile(const QString& folder, const QString& name, const LocalOpenSettings& settings,
                      const QStringList& filterItems);

    // Any list item by its image key; drives and folders (folder + name) go to the navigation.
    FileTool openItem(const QString& folder, const QString& name, const QString& imageKey,
                      const LocalOpenSettings& settings, const QStringList& filterItems);

    // A link to a folder is followed in the explorer; a link to a file or to nothing opens nothing.
    bool OpenFolderShortcut(const QString& linkPath);

    Hooks& hooks() { return m_hooks; }

    // The catalogue list folder + name in the descriptor viewer, its files listed. Nothing for no selection.
    void ShowSelectedDescriptor(const QString& folder, const QString& selectedName);

private:
    FileViewers& m_viewers;
    CompanionRunner& m_companions;
    Hooks m_hooks;
};

// The help list of compliant USB terminals, shown only when its file is beside the program.
QString compliantTerminalsFile(const QString& programFolder);
bool hasCompliantTerminalsFile(const QString& programFolder);
void MNU_Help_JungoTerminals_Click(const QString& programFolder, FileViewers& viewers);

} // namespace jvz
