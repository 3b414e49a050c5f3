#pragma once

// What a selection in the local file list means: the check marks ("coche") on the chosen files, the comment
// of the chosen catalogue list, and which commands it offers. No widgets: the list's controller hands the
// rows in, writes the marks back to its model and applies the flags to the commands.

#include "workspace/LocalItemRoles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace jvz {

class Notifier;

struct SelectionRow {
    QString text;          // the name shown
    QString imageKey;      // the image shown ("coche" while marked)
    QString savedImageKey; // while marked: the image to restore; empty otherwise
    bool selected = false;
    LocalItemKind kind = LocalItemKind::File;
    QString fullPath;
    QByteArray nativePath; // the same path as the file system's exact bytes; fullPath's encoding when empty
};

struct LocalSelectionInputs {
    bool ftpSessionOpen = false;
    uint8_t activityAsked = 1;     // 2: diagnostic, which sends nothing
    QString currentTerminalDir;    // "\" at the terminal's root
    QString typeFilter;            // Combo2's text
    bool packResetEnabled = false; // the pack window's reset button
};

// The commands a selection offers. Unset: left as it was.
struct LocalSelectionFlags {
    bool delFile = false; // Toolbar1 "DelFile" and MNU_ContextuelDelete
    bool contextCopy = false;
    bool packAdd = false;
    std::optional<bool> packReset;
    bool catalog = false; // MNU_Catalog
    bool catalogDescription = false;
    bool catalogCreate = false;
    bool catalogFamily = false;
    bool download = false;
};

// What happened to the local listing; each takes away some of what the selection it had offered.
enum class LocalListingChange : uint8_t {
    Opening,       // a folder's contents are about to be listed
    Back,          // the listing goes back a folder (Ctrl+B, Toolbar1 "BackFolder")
    FiltersEdited, // Combo2's or Filter's text changed
    FilterPicked,  // a filter picked from Combo2's list
    Shown,         // a new listing stands, nothing chosen in it
};

struct LocalSelectionUpdate {
    QString comment;      // for Text3
    bool stopped = false; // a chosen catalogue list could not be read: relist the folder, flags not applied
    LocalSelectionFlags flags;
    int selectedCount = 0;
    std::vector<int> changedRows; // rows whose image or saved image changed
};

namespace LocalSelection {

inline const QString kCheckMark = QStringLiteral("coche");

// Marks, comment and flags for the rows as they are now; rows' images and saved images are updated in place.
// A catalogue list that cannot be read is reported through the notifier.
LocalSelectionUpdate UpdateLocalSelection(std::vector<SelectionRow>& rows, const LocalSelectionInputs& inputs,
                                          Notifier* notifier);

// True on a failure to open or read the file; otherwise comment is the first line that begins with ";",
// without it (empty when there is none).
bool ReadCatalogueComment(const QString& path, QString& comment, Notifier* notifier);

// The names of the selected rows, in list order, each followed by CR LF.
QString clipboardText(const std::vector<SelectionRow>& rows);

// The owner write bit, checked explicitly: the program may run as root, which ignores permissions.
bool isReadOnly(const QString& path);

// A single product's type filter, for which catalogues can be created and grouped: not "*.*" nor "*.M??".
bool isSingleProductFilter(const QString& typeFilter);

} // namespace LocalSelection

} // namespace jvz
