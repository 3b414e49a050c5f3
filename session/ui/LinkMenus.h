#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QComboBox;
class QWidget;

namespace jvz {

class MBLanguages;
class Notifier;
class RasFunctions;

// What the Connection menu's handlers reach.
struct LinkMenuContext {
    RasFunctions& ras;
    Notifier& notifier;
    const MBLanguages& language; // the main window's own
    QWidget* owner = nullptr;
    // The entry dialog on an existing entry; true once it was shown.
    std::function<bool(QWidget* owner, const QString& phonebookPath, const QString& entryName)> editEntry;
    // The dialog that creates an entry: 0 when one was saved, 1223 when the user cancelled.
    std::function<int32_t(QWidget* owner, const QString& phonebookPath)> createEntry;
    // Fills the connection list again from the phonebook.
    std::function<void()> refillConnections;
    // The port of the program's entry, and the checks that the port can carry the link.
    std::function<QString()> phonebookPort;
    std::function<bool(const QString& port)> checkPort;
};

// The Connection menu: the program's phonebook entry edited or created, the port of the entry checked.
class LinkMenus {
public:
    explicit LinkMenus(LinkMenuContext context) : m_context(std::move(context)) {}

    // Edits the program's entry "JVZ Connection" (the combo shows its name), or offers to create it.
    void MNU_Connection_Config_Click(QComboBox& connectionCombo);
    // Runs the port checks on the port of the program's entry; false when a check failed or there is no port.
    bool MNU_Connection_Modem_Click();

    static constexpr int32_t kCreateCancelled = 1223;

private:
    QString text(const char* key) const;
    bool ask(const QString& question);
    void create(const QString& path, const QString& failure);

    LinkMenuContext m_context;
};

} // namespace jvz
