#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace jvz {

// Lets the user pick the port of one of several USB-attached terminals. The caller runs init, shows the
// window modally and reads SelectedPort afterwards. Its texts are fixed, not taken from the language file.
class frmUsbSelection : public QDialog {
    Q_OBJECT
public:
    explicit frmUsbSelection(QWidget* parent = nullptr);

    // Fills the list from a comma list of port names ("ttyACM0,ttyACM1,") up to its first entry that is not
    // a port, and preselects currentPort when it is there. The count is the caller's and is not needed.
    void init(int count, const QString& portList, const QString& currentPort);

    // The chosen port; empty when the user cancelled or chose nothing.
    QString SelectedPort;

    void OKButton_Click();
    void CancelButton_Click();
    void List1_DblClick(QListWidgetItem* item);

    // Escape and the window's close button cancel too.
    void reject() override;

private:
    void endChoice(DialogCode code);

    QListWidget* m_list = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace jvz
