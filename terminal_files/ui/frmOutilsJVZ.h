#pragma once

#include "core/MBLanguages.h"
#include "terminal_files/TerminalConfigRecord.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace jvz {

struct AppSettings;
class FileWriter;
class Notifier;

// What the save-as dialog is asked for; the chooser answers the chosen path, or nothing when cancelled.
struct SaveAsRequest {
    QString title;
    QString fileName;
    QString filter; // "Text (*.cnf);;Text (*.*)"
    QString defaultSuffix;
};
using SaveAsChooser = std::function<QString(QWidget* owner, const SaveAsRequest& request)>;
QString chooseSaveFileWithDialog(QWidget* owner, const SaveAsRequest& request);

// The terminal's configuration record as a form: a text box per member, a check box per option bit, three
// legends of the coded bit groups. Editing and saving (to a local file the user picks) only in expert mode.
class frmOutilsJVZ : public QDialog {
    Q_OBJECT
public:
    frmOutilsJVZ(const AppSettings& settings, Notifier& notifier, FileWriter& writer, QWidget* parent = nullptr);

    void setSaveAsChooser(SaveAsChooser chooser) { m_chooseSaveAs = std::move(chooser); }

    // Fills the window afresh from the local copy at path; true when a whole record was read (a failure has
    // been reported and the window shows nothing). The caller shows the window.
    bool Init_JVZ_Tool(const MBLanguages& language, const QString& path);
    void InitLanguage(const MBLanguages& language);
    bool ReadConfigFile(const QString& path);
    void CmdSave_Click();
    void CmdQuit_Click();
    static int CheckValueOf(bool value) { return value ? 1 : 0; }

    TerminalConfigForm form() const;
    void setForm(const TerminalConfigForm& form);
    QLineEdit* textBox(int index) const;
    QCheckBox* checkBox(int index) const;

private:
    void buildControls();
    void applyEditMode();
    void fillLegends();
    void clearValues();
    QString boxCaption(int textBox) const;
    void report(const QString& text);

    const AppSettings& m_settings;
    Notifier& m_notifier;
    FileWriter& m_writer;
    SaveAsChooser m_chooseSaveAs = chooseSaveFileWithDialog;
    MBLanguages m_language;
    QByteArray m_loaded; // the record as read, for the number boxes that were not edited

    std::array<QLineEdit*, kTextBoxCount> m_text{};
    std::array<QLabel*, kTextBoxCount> m_textLabel{};
    std::array<QCheckBox*, kCheckBoxCount> m_check{};
    std::array<QTableWidget*, 3> m_grid{};
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdQuit = nullptr;
};

} // namespace jvz
