#pragma once

#include "core/MBLanguages.h"
#include "workspace/VersionInfo.h"

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace jvz {

// The about box: the program's version information and icon, one button that closes it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Translates the box with a copy of the language, then fills it from the version information.
    void init(const MBLanguages& language, const QIcon& icon = QIcon(), const VersionInfo& info = programVersionInfo());
    // Fills the captions again from the version information, the language untouched.
    void Init2(const QIcon& icon = QIcon());

    void CmdOK_Click();

private:
    void FillAboutCaptions(const QIcon& icon);

    MBLanguages m_language;
    VersionInfo m_info;
    QString m_versionCaption; // lblVersion's translated or design caption, before the numbers
    QLabel* m_picIcon;
    QLabel* m_picture1;
    QLabel* m_lblTitle;
    QLabel* m_lblVersion;
    QLabel* m_lblDescription;
    QLabel* m_lblOrganisation;
    QLabel* m_lblCopyright;
    QPushButton* m_cmdOK;
};

} // namespace jvz
