#include "core/ui/QtPrinterDevice.h"

#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace jvz {

namespace {

int16_t duplexCode(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexNone:
        return 1;
    case QPrinter::DuplexAuto:
    case QPrinter::DuplexLongSide:
        return 2;
    case QPrinter::DuplexShortSide:
        return 3;
    }
    return 1;
}

QPrinter::DuplexMode duplexMode(int16_t code)
{
    return code == 2 ? QPrinter::DuplexLongSide : code == 3 ? QPrinter::DuplexShortSide : QPrinter::DuplexNone;
}

PrinterSetup setupOf(const QPrinter& p)
{
    PrinterSetup s;
    s.deviceName = p.printerName();
    if (p.outputFormat() == QPrinter::PdfFormat)
        s.outputFile = p.outputFileName();
    s.orientation = p.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
    s.copies = int16_t(p.copyCount());
    s.duplex = duplexCode(p.duplex());
    return s;
}

} // namespace

std::optional<PrinterSetup> QtPrinterDevice::query(QString* error) const
{
    if (!m_printer.isValid()) {
        if (error)
            *error = QStringLiteral("no usable printer");
        return std::nullopt;
    }
    return setupOf(m_printer);
}

QStringList QtPrinterDevice::installedPrinters() const
{
    return QPrinterInfo::availablePrinterNames();
}

void QtPrinterDevice::selectPrinter(const QString& deviceName)
{
    m_printer.setOutputFormat(QPrinter::NativeFormat);
    m_printer.setPrinterName(deviceName);
}

void QtPrinterDevice::selectFile(const QString& path)
{
    m_printer.setOutputFormat(QPrinter::PdfFormat);
    m_printer.setOutputFileName(path);
}

bool QtPrinterDevice::setCopies(int16_t copies)
{
    if (copies < 1)
        return false;
    m_printer.setCopyCount(copies);
    return m_printer.copyCount() == copies;
}

bool QtPrinterDevice::setDuplex(int16_t duplex)
{
    m_printer.setDuplex(duplexMode(duplex));
    return true;
}

bool QtPrinterDevice::setOrientation(int16_t orientation)
{
    return m_printer.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

std::optional<PrinterSetup> runQtPrintDialog(const PrinterSetup& preset, QObject* owner, int32_t)
{
    QPrinter scratch;
    if (!preset.outputFile.isEmpty()) {
        scratch.setOutputFormat(QPrinter::PdfFormat);
        scratch.setOutputFileName(preset.outputFile);
    } else if (!preset.deviceName.isEmpty()) {
        scratch.setPrinterName(preset.deviceName);
    }
    scratch.setPageOrientation(preset.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    scratch.setCopyCount(preset.copies);
    scratch.setDuplex(duplexMode(preset.duplex));
    QPrintDialog dialog(&scratch, qobject_cast<QWidget*>(owner));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return setupOf(scratch);
}

} // namespace jvz
