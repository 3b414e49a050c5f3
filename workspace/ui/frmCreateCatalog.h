#pragma once

#include "core/MBLanguages.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QListWidget;
class QPushButton;

namespace jvz {

class FileWriter;
class Notifier;

// Copies of the selected catalogue lists for another product: the sources, the product to copy to, the
// names the copies will have. OK copies, never over an existing file.
class frmCreateCatalog : public QDialog {
    Q_OBJECT
public:
    explicit frmCreateCatalog(QWidget* parent = nullptr);

    // sources: full paths of the catalogue lists; productCodeLines: the lines of the product-code file the
    // settings name; filterText: the local filter, whose own product is not offered.
    void init(const QStringList& sources, const MBLanguages& language, const QStringList& productCodeLines,
              const QString& filterText, Notifier& notifier, FileWriter& writer);

    int FileCount() const { return int(m_sources.size()); }

private:
    void LoadExtensionList(const QStringList& productCodeLines, const QString& filterText);
    void Combo1_Click();
    void BTN_ok_Click();

    MBLanguages m_language;
    QStringList m_sources;
    Notifier* m_notifier = nullptr;
    FileWriter* m_writer = nullptr;
    QListWidget* m_list1;
    QComboBox* m_combo1;
    QListWidget* m_list2;
    QPushButton* m_btnOk;
    QPushButton* m_btnCancel;
};

} // namespace jvz
