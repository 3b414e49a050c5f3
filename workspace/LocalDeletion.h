#pragma once

// Deletion of the files chosen in the local file list: one question, then the files one after the other in
// list order; folders and drives are never deleted; the first failure ends the run with the system's reason.

#include "workspace/LocalSelection.h"

#include <QString>
#include <functional>
#include <vector>

namespace jvz {

class MBLanguages;
class Notifier;

struct DeleteError {
    int number = 0; // an errno value; 0 for none
    QString description;
};

// Deletes one file given by its exact bytes; the real one refuses a file whose owner write bit is off, as a
// read-only file.
using FileDeleter = std::function<DeleteError(const QByteArray& nativePath)>;

DeleteError deleteFileUnlessReadOnly(const QByteArray& nativePath);

struct LocalDeletionOutcome {
    enum class Result {
        NothingSelected, // no question, nothing to relist
        Beep,            // one folder chosen: nothing deleted
        Declined,
        Deleted,
        Failed, // deleted is what went before the failure
    };
    Result result = Result::NothingSelected;
    QStringList deleted; // paths, in the order deleted
    bool relist = false; // the list and the tree should show the folder as it now is
};

class LocalDeletion {
public:
    // language: the window's own table; deleter: deleteFileUnlessReadOnly when empty.
    LocalDeletion(Notifier& notifier, const MBLanguages& language, FileDeleter deleter = {});

    LocalDeletionOutcome DeleteLocalSelection(const std::vector<SelectionRow>& rows);
    // One file; the error is the caller's to report.
    DeleteError DeleteLocalFile(const SelectionRow& row) const;

private:
    static bool deletable(const SelectionRow& row);
    void reportError(const DeleteError& error);

    Notifier& m_notifier;
    const MBLanguages& m_language;
    FileDeleter m_deleter;
};

} // namespace jvz
