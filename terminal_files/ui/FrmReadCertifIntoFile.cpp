#include "terminal_files/ui/FrmReadCertifIntoFile.h"

#include "core/MbPrint.h"
#include "core/PrinterConfig.h"
#include "core/ui/GetAllFormLabel.h"
#include "core/ui/PainterPageSurface.h"
#include "platform/Notifier.h"
#include "terminal_files/MbCertifReadWrite.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace jvz {

FrmReadCertifIntoFile::FrmReadCertifIntoFile(PrinterConfig& printerChoice, QPrinter& printer, Notifier& notifier,
                                             QWidget* parent)
    : QDialog(parent), m_printerChoice(printerChoice), m_printer(printer), m_notifier(notifier)
{
    setObjectName(QStringLiteral("FrmReadCertifIntoFile"));
    setWindowTitle(QStringLiteral("Certificate"));
    auto* layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TXT_Certificate"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cmdPrint = new QPushButton(QStringLiteral("Print"), this);
    m_cmdPrint->setObjectName(QStringLiteral("CmdPrint"));
    m_cmdFermer = new QPushButton(QStringLiteral("Close"), this);
    m_cmdFermer->setObjectName(QStringLiteral("CmdFermer"));
    buttons->addWidget(m_cmdPrint);
    buttons->addWidget(m_cmdFermer);
    layout->addLayout(buttons);
    connect(m_cmdPrint, &QPushButton::clicked, this, &FrmReadCertifIntoFile::CmdPrint_Click);
    connect(m_cmdFermer, &QPushButton::clicked, this, &FrmReadCertifIntoFile::CmdFermer_Click);
    resize(860, 620);
}

void FrmReadCertifIntoFile::init(const MBLanguages& language, MbCertifReadWrite* certificate)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this, KindAll, true);
    m_certificate = certificate;
    showCertificate();
}

// The same fields as the printout, label then value.
void FrmReadCertifIntoFile::showCertificate()
{
    QStringList text;
    if (m_certificate) {
        text << m_language.GetFormLabel(QStringLiteral("LBL_FileName")) + QStringLiteral(" ") +
                    m_certificate->FileName()
             << QString();
        for (const CertificateReportField& field : m_certificate->reportFields()) {
            for (qsizetype i = 0; i < field.lines.size(); ++i)
                text << (i == 0 ? field.label : QString()).leftJustified(24) + field.lines.at(i);
        }
    }
    m_text->setPlainText(text.join(u'\n'));
    m_cmdPrint->setEnabled(m_certificate != nullptr);
}

void FrmReadCertifIntoFile::CmdPrint_Click()
{
    if (!m_certificate)
        return;
    if (m_printerChoice.ShowPrinter(this, PrinterConfig::kPrintSetup) != PrintDialogResult::Confirmed)
        return;
    MbPrint report;
    report.PageLabel = m_language.GetFormLabel(QStringLiteral("LBL_Page"));
    PrinterPageSurface surface(m_printer);
    if (m_certificate->PrintFile(report, surface))
        return;
    // The printer (or the file it writes) could not be opened: nothing was printed.
    QString text = m_language.GetFormLabel(QStringLiteral("MSG_PrintFailed"));
    if (!m_printer.outputFileName().isEmpty())
        text += QStringLiteral("\r\n") + m_printer.outputFileName();
    m_notifier.message(text, windowTitle(), MessageIcon::Exclamation, MessageButtons::Ok, this);
}

void FrmReadCertifIntoFile::CmdFermer_Click()
{
    close();
}

} // namespace jvz
