#pragma once

#include "core/MBLanguages.h"

#include <QDialog>
#include <QStringList>

class QPushButton;
class QRadioButton;

namespace jvz {

class FileWriter;
class Notifier;

// Writes "Software.org" into the current local folder: one line per catalogue list, from the selected lists
// or from every list of the folder, for the product codes of the table.
class FrmCreateCatalogList : public QDialog {
    Q_OBJECT
public:
    explicit FrmCreateCatalogList(QWidget* parent = nullptr);

    struct Context {
        QString currentFolder;     // where the lists are and "Software.org" goes
        QStringList selectedNames; // the names selected in the local list, in list order
        Notifier* notifier = nullptr;
        FileWriter* writer = nullptr;
    };

    void init(const MBLanguages& language, const QStringList& productCodes, Context context);

    bool IsProductCatalogue(const QString& name) const;

private:
    void BTN_ok_Click();

    MBLanguages m_language;
    QStringList m_productCodes;
    Context m_context;
    QRadioButton* m_option1;
    QRadioButton* m_option2;
    QPushButton* m_btnOk;
    QPushButton* m_btnAnnuler;
};

} // namespace jvz
