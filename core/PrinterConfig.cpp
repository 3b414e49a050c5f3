#include "core/PrinterConfig.h"

#include "platform/NestedWait.h"
#include "platform/Notifier.h"

namespace jvz {

PrinterConfig::PrinterConfig(PrinterDevice& printer, Notifier& notifier, PrintDialogRunner dialog,
                             QString systemErrorText)
    : m_printer(printer), m_notifier(notifier), m_dialog(std::move(dialog)),
      m_systemErrorText(std::move(systemErrorText))
{
}

PrintDialogResult PrinterConfig::ShowPrinter(QObject* owner, int32_t flags, std::optional<int16_t> orientation)
{
    QString error;
    const std::optional<PrinterSetup> current = m_printer.query(&error);
    if (!current) {
        m_notifier.message(m_systemErrorText + QLatin1Char(' ') + error, QString(), MessageIcon::Critical,
                           MessageButtons::Ok, owner);
        return PrintDialogResult::Cancelled;
    }
    PrinterSetup preset = *current;
    if (orientation)
        preset.orientation = *orientation;
    const std::optional<PrinterSetup> chosen = m_dialog ? m_dialog(preset, owner, flags) : std::nullopt;
    if (!chosen)
        return PrintDialogResult::Cancelled;

    if (!chosen->outputFile.isEmpty()) {
        m_printer.selectFile(chosen->outputFile);
    } else if (chosen->deviceName != current->deviceName) {
        // Only the printer of exactly that name: another whose name merely begins the same is a different device.
        if (m_printer.installedPrinters().contains(chosen->deviceName, Qt::CaseSensitive))
            m_printer.selectPrinter(chosen->deviceName);
    } else {
        m_printer.selectPrinter(chosen->deviceName);
    }
    serveEvents();
    // A setting the printer refuses keeps its previous value; the others still apply.
    m_printer.setCopies(chosen->copies);
    m_printer.setDuplex(chosen->duplex);
    m_printer.setOrientation(chosen->orientation);
    return PrintDialogResult::Confirmed;
}

QString DuplexText(int32_t code)
{
    switch (code) {
    case 1:
        return QStringLiteral("Duplex is turned off (1)");
    case 2:
        return QStringLiteral("Duplex is set to VERTICAL (2)");
    case 3:
        return QStringLiteral("Duplex is set to HORIZONTAL (3)");
    default:
        return QStringLiteral("Duplex is set to undefined value of ") + QString::number(code);
    }
}

} // namespace jvz
