#pragma once

#include "core/MBLanguages.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTimer;
class QTreeView;

namespace jvz {

class VolumeSource;

// The folder chooser: a place (one of the mounted volumes) and the folder tree of that place. The caller
// positions it with init, shows it modally and reads SelectedDirectory: empty after Cancel.
class FrmDirBox : public QDialog {
    Q_OBJECT
public:
    explicit FrmDirBox(const VolumeSource& volumes, QWidget* parent = nullptr);

    // Takes the caller's language and translates the dialog.
    void InitLanguage(const MBLanguages& language);
    // Selects the place that holds path, then shows path itself in the tree. Does not show the dialog.
    void init(const QString& path);

    // The folder the tree shows as current: its selected folder, else the place itself.
    QString currentFolder() const;

    QString SelectedDirectory;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Drive1_Change();
    void CmdOK_Click();
    void CmdAnnuler_Click();
    void showFolder(const QString& path);
    // Opens the start folder's parents, selects it and scrolls to it.
    void revealStartFolder();

    const VolumeSource& m_volumes;
    MBLanguages m_language;
    QComboBox* m_drive1;
    QTreeView* m_dir1;
    QFileSystemModel* m_model;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdAnnuler;
    QTimer* m_revealTimer;
    QString m_startFolder; // shown again as the tree loads, until the user acts; empty then
};

} // namespace jvz
