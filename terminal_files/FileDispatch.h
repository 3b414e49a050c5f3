#pragma once

// What opens a file, decided from its name alone. Both file lists use it: the local list (a file item
// opened by double click or Enter) and the terminal list (a terminal file fetched into the temp folder).
// The two tables differ in order and in their last rows, so each side has its own function.

#include <QString>
#include <QStringList>

namespace jvz {

enum class FileTool {
    Nothing,            // the item opens nothing
    SignedFileDump,     // the signed-file dumper
    SecurityDiagnostic, // the security-processor analyser
    LifeCounterRecords, // the outside life-counter converter
    AppCounterRecords,  // the application-counter converter
    AppDefaultRecords,  // the application-default converter
    DescriptorViewer,   // a component descriptor in the descriptor viewer
    CatalogueList,      // a catalogue list: its files in the descriptor viewer (local list only)
    TextViewer,         // the text viewer
    FolderLink,         // a link to a folder: followed in the local explorer (local list only)
    FolderNavigation,   // a drive or folder item: opened in the local explorer (local list only)
};

// The settings the tables read.
struct DispatchSettings {
    bool certifSgn = false; // signed files go to the dumper
    QString kelmdorExt;     // one more dumper extension, compared as stored with the upper-cased one
};

// The three characters at the end of a name, upper-cased (the whole name when shorter).
QString upperLast(const QString& name, qsizetype count);

// Whether the upper-cased last three characters name a signed file for the dumper.
bool isSignedFileExtension(const QString& upperExt3, const DispatchSettings& settings);

// A file of the terminal list, fetched into the temp folder.
FileTool terminalFileTool(const QString& name, const DispatchSettings& settings);

// A file item of the local list ("coche" or "Unknown" image). filterItems: the catalogue filter list.
FileTool localFileTool(const QString& name, const DispatchSettings& settings, const QStringList& filterItems);

// Any item of the local list by its image key: drives and folders are navigation, folder links are
// followed, an unmarked catalogue ("CatFile") and unknown keys open nothing, files go to the file table.
FileTool localItemTool(const QString& imageKey, const QString& name, const DispatchSettings& settings,
                       const QStringList& filterItems);

// Short name for traces and test messages.
const char* fileToolName(FileTool tool);

} // namespace jvz
