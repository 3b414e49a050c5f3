#pragma once

#include "core/MBLanguages.h"
#include "terminal_files/FileDispatch.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;

namespace jvz {

class Notifier;

// Shows a component descriptor (its first line, comma-separated fields) as titled rows; in list mode it
// lists the files a catalogue names, and a click shows one of them (a signed file goes to the dumper).
class frmDescFile : public QDialog {
    Q_OBJECT
public:
    explicit frmDescFile(Notifier& notifier, QWidget* parent = nullptr);

    // folder ends with "/". Returns 0, or the reader's error number when the file cannot be read.
    int16_t init(const QString& folder, const QString& fileName, const MBLanguages& language, bool isFileList);
    void InitLanguage(const MBLanguages& language);
    // Adds the rows of a descriptor file to the table.
    void MajInfoFile(const QString& path);

    // The dump of a signed list entry, and the settings that decide what a signed file is.
    void setSignedFileDump(std::function<void(const QString& path)> dump) { m_dump = std::move(dump); }
    void setDispatchSettings(const DispatchSettings& settings) { m_settings = settings; }

    void List1_Click(QListWidgetItem* item);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Activate();
    QString label(const QString& key) const { return m_language.GetFormLabel(key); }

    Notifier& m_notifier;
    MBLanguages m_language;
    QString m_folder;
    DispatchSettings m_settings;
    std::function<void(const QString&)> m_dump;
    QLabel* m_lblFileList = nullptr;
    QListWidget* m_list1 = nullptr;
    QLabel* m_lblFileView = nullptr;
    QTreeWidget* m_listView1 = nullptr;
    QPushButton* m_btnQuit = nullptr;
};

} // namespace jvz
