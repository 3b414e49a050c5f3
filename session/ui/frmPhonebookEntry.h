#pragma once

#include "core/MBLanguages.h"
#include "session/PrivatePhonebook.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace jvz {

class FileWriter;
class SerialPortInventory;

// Creates or edits one entry of the private phonebook: its name, the port (from the machine's serial
// ports), speed, flow control, the administrator's peer name and further pppd options.
class frmPhonebookEntry : public QDialog {
    Q_OBJECT
public:
    frmPhonebookEntry(SerialPortInventory& inventory, FileWriter* writer = nullptr, QWidget* parent = nullptr);

    // An empty entry name makes a new entry. A language, when given, translates the window.
    void init(const QString& phonebookPath, const QString& entryName, const MBLanguages* language = nullptr);

    // The entry as the fields show it.
    PhonebookEntry entry() const;
    // Why the last OK was refused; empty when it was not.
    QString errorText() const;

    // Error numbers answered by the creation and edit calls.
    static constexpr int32_t kCancelled = 1223;
    static constexpr int32_t kCannotCreate = 621;

private:
    void save();
    QString validate(const PhonebookEntry& e) const;

    SerialPortInventory& m_inventory;
    FileWriter* m_writer;
    MBLanguages m_language;
    QString m_path;
    QLineEdit* m_name;
    QComboBox* m_port;
    QComboBox* m_speed;
    QCheckBox* m_flow;
    QLineEdit* m_peer;
    QLineEdit* m_options;
    QLabel* m_error;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// Opens the dialog for a new entry, modal over the owner: 0 when an entry was saved, kCancelled when the
// user cancelled, kCannotCreate when there is no phonebook path on this platform.
int32_t RasCreatePhonebookEntry(QWidget* owner, const QString& phonebookPath, SerialPortInventory& inventory,
                                const MBLanguages* language = nullptr);
// Opens the dialog on an existing entry; true once it has been shown.
bool EditRasEntry(QWidget* owner, const QString& phonebookPath, const QString& entryName,
                  SerialPortInventory& inventory, const MBLanguages* language = nullptr);

} // namespace jvz
