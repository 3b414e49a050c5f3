#pragma once

#include "core/MBLanguages.h"
#include "workspace/CataloguePack.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace jvz {

class FileWriter;
class Notifier;

// The catalogue pack editor: an ordered list of catalogue lists and single files, the pack's name, and Save.
// One window for the whole program; closing it only hides it, so the list and the name stay.
class FrmCataloguePack : public QWidget {
    Q_OBJECT
public:
    struct Services {
        Notifier* notifier = nullptr;
        FileWriter* writer = nullptr;
        std::function<QDateTime()> now;      // the clock of the pack catalogue's header
        std::function<QString()> filterText; // the local filter: the extension of a pack name chosen without one
        // The open-file chooser for Add (filters as "text|pattern" pairs): the chosen files, none when cancelled.
        std::function<QStringList(const QString& filters)> chooseFiles;
        // The save-file chooser for the pack name, starting from the current name: empty when cancelled.
        std::function<QString(const QString& start, const QString& filters)> chooseSaveName;
    };

    explicit FrmCataloguePack(Services services, QWidget* parent = nullptr);

    void init(const MBLanguages& language);

    bool AddToList(const QString& path);
    void ResetList();
    QStringList entries() const { return m_pack.entries; }
    const CataloguePack& pack() const { return m_pack; }

signals:
    // Entries were added or removed.
    void listChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reset follows the entry count; the main window's Reset command too, through listChanged.
    void UpdateResetButton();
    void DisableItemButtons();
    void refreshList(int selected);
    void BtnAdd_Click();
    void BtnRemove_Click();
    void BtnUp_Click();
    void BtnDown_Click();
    void BtnFilename_Click();
    void BtnSave_Click();
    void List_Click();
    void moveSelected(int step);
    QString filterPair(const char* key, const char* pattern) const;

    Services m_services;
    MBLanguages m_language;
    CataloguePack m_pack;
    QLineEdit* m_txtFilename;
    QLineEdit* m_txtPath;
    QPushButton* m_btnFilename;
    QListWidget* m_list;
    QPushButton* m_btnAdd;
    QPushButton* m_btnRemove;
    QPushButton* m_btnUp;
    QPushButton* m_btnDown;
    QPushButton* m_btnReset;
    QPushButton* m_btnSave;
    QPushButton* m_btnClose;
};

} // namespace jvz
