#pragma once

#include "core/MBLanguages.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QTabWidget;

namespace jvz {

class TerminalInfoFields;

// Shows who the connected terminal said it is. The values live in the fields store, which the session fills
// at each identification; the window copies them into its rows when init runs, and only then.
class frmTerminalInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmTerminalInfo(TerminalInfoFields& fields, QWidget* parent = nullptr);

    // Prepares the window for showing (the caller shows it, modal, owned by the main window).
    void init(const MBLanguages& language);
    void InitLanguage(const MBLanguages& language);

    void SetConstructorCode(const QString& value);
    QString ProductCodeTerminal() const;
    void SetProductCode(const QString& value);
    void SetBootVersion(const QString& value);
    void SetProtocolVersion(const QString& value);
    void SetContractNumber(const QString& value);
    void SetTerminalNumber(const QString& value);
    void SetRamSize(const QString& value);
    void SetFlashSize(const QString& value);

    static constexpr int kTabCount = 6;
    static constexpr int kRowCount = 6;

private:
    void InitTabs();
    void ShowInformationTab();

    TerminalInfoFields& m_fields;
    MBLanguages m_language;
    QTabWidget* m_tabs = nullptr;
    // Control arrays Label1 and Text1; element 1 is part of the design, 2 to 6 are made by ShowInformationTab.
    QList<QLabel*> m_labels;
    QList<QLineEdit*> m_texts;
};

} // namespace jvz
