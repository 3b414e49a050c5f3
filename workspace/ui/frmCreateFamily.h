#pragma once

#include "core/MBLanguages.h"
#include "workspace/CatalogueFamily.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace jvz {

struct AppSettings;
class Notifier;

// The catalogue family dialog: the family's name, description and folder, with the selected catalogues and
// their lines as a preview. OK checks the name and stores the folder and name in the settings.
class frmCreateFamily : public QDialog {
    Q_OBJECT
public:
    struct Context {
        QStringList catalogues; // the selected catalogue lists, full paths, in list order
        QString filterText;     // the local filter; its last four characters are the family's extension
        QString currentFolder;  // the chooser's second start, after the family folder
        QString programFolder;  // its last start
        // The folder chooser: the chosen folder, empty when cancelled.
        std::function<QString(const QString& start)> chooseFolder;
        Notifier* notifier = nullptr;
    };

    explicit frmCreateFamily(QWidget* parent = nullptr);

    void init(const MBLanguages& language, AppSettings& settings, Context context);

    // True from init on; false only once OK was accepted.
    bool Cancelled = true;

    // What the family command builds from the dialog's answers.
    FamilyRequest request() const;

private:
    void LoadSelectedCatalogues();
    void CmdFindRep_Click();
    void BTN_ok_Click();
    void BTN_Cancel_Click();
    QString chooserStart() const;

    MBLanguages m_language;
    AppSettings* m_settings = nullptr;
    Context m_context;
    QLineEdit* m_text1;
    QLineEdit* m_text2;
    QLineEdit* m_text3;
    QPushButton* m_cmdFindRep;
    QLabel* m_label6;
    QListWidget* m_list1;
    QListWidget* m_list2;
    QPushButton* m_btnOk;
    QPushButton* m_btnCancel;
};

} // namespace jvz
