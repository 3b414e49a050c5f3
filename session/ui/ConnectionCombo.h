#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QComboBox;
class QWidget;

namespace jvz {

struct BatchRun;
class MBLanguages;
class Notifier;
class RasFunctions;

// What the main window hands to the connection list operations.
struct ConnectionListContext {
    RasFunctions& ras;
    Notifier& notifier;
    const MBLanguages& language; // the main window's own, its section current
    QString connectionName;      // the default entry ([Protocol] ConnectionName)
    BatchRun& batch;
    QWidget* owner;
    // Opens the dialog that creates an entry in the phonebook; 0 when one was saved.
    std::function<int32_t(QWidget* owner, const QString& phonebookPath)> createEntry;
};

// Fills the combo from the phonebook and shows the default entry; offers to create one when there is no
// phonebook (an unattended run records -7 instead).
void FillDefaultConnectionCombo(QComboBox& combo, const ConnectionListContext& context);

// The "read phonebook" menu item: refills the list when the typed entry exists, else offers to create one.
void ReadRasPhoneIntoCombo(QComboBox& combo, const ConnectionListContext& context);

} // namespace jvz
