#pragma once

// The program's current printer on Qt, and the platform's print dialog.

#include "core/PrinterConfig.h"

class QPrinter;

namespace jvz {

class QtPrinterDevice final : public PrinterDevice {
public:
    explicit QtPrinterDevice(QPrinter& printer) : m_printer(printer) {}

    std::optional<PrinterSetup> query(QString* error) const override;
    QStringList installedPrinters() const override;
    void selectPrinter(const QString& deviceName) override;
    void selectFile(const QString& path) override;
    bool setCopies(int16_t copies) override;
    bool setDuplex(int16_t duplex) override;
    bool setOrientation(int16_t orientation) override;

    QPrinter& printer() { return m_printer; }

private:
    QPrinter& m_printer;
};

// QPrintDialog on a printer preset with the given settings; the owner is the dialog's parent window.
std::optional<PrinterSetup> runQtPrintDialog(const PrinterSetup& preset, QObject* owner, int32_t flags);

} // namespace jvz
