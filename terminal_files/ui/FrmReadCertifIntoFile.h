#pragma once

#include "core/MBLanguages.h"

#include <QDialog>

class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace jvz {

class MbCertifReadWrite;
class Notifier;
class PrinterConfig;

// Shows a legacy certificate block and prints it on the printer the user chooses.
class FrmReadCertifIntoFile : public QDialog {
    Q_OBJECT
public:
    // printer: the program's current printer, which the printer choice changes; notifier: says when a print
    // cannot be made.
    FrmReadCertifIntoFile(PrinterConfig& printerChoice, QPrinter& printer, Notifier& notifier,
                          QWidget* parent = nullptr);

    void init(const MBLanguages& language, MbCertifReadWrite* certificate);
    void CmdPrint_Click();
    void CmdFermer_Click();

private:
    void showCertificate();

    PrinterConfig& m_printerChoice;
    QPrinter& m_printer;
    Notifier& m_notifier;
    MBLanguages m_language;
    MbCertifReadWrite* m_certificate = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QPushButton* m_cmdFermer = nullptr;
};

} // namespace jvz
