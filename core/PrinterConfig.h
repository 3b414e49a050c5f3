#pragma once

// The choice of the printer before a report is printed: the platform's print dialog, preset with the current
// printer's name, orientation, copies and duplex mode; a confirmed choice becomes the current printer.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class QObject;

namespace jvz {

class Notifier;

enum class PrintDialogResult { Confirmed, Cancelled };

// Orientation 1 portrait, 2 landscape; duplex 1 off, 2 vertical (long edge), 3 horizontal (short edge).
struct PrinterSetup {
    QString deviceName;
    QString outputFile; // a file the document goes to instead of a printer (PDF); empty for a printer
    int16_t orientation = 1;
    int16_t copies = 1;
    int16_t duplex = 1;
};

// The program's current printer.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    // Its settings; nothing (with the reason) when there is no usable printer.
    virtual std::optional<PrinterSetup> query(QString* error) const = 0;
    virtual QStringList installedPrinters() const = 0;
    virtual void selectPrinter(const QString& deviceName) = 0;
    virtual void selectFile(const QString& path) = 0;
    // Each returns false when the printer refuses the value (it keeps its previous one).
    virtual bool setCopies(int16_t copies) = 0;
    virtual bool setDuplex(int16_t duplex) = 0;
    virtual bool setOrientation(int16_t orientation) = 0;
};

// Shows the print dialog preset with the given settings; the user's choice, or nothing when cancelled.
using PrintDialogRunner =
    std::function<std::optional<PrinterSetup>(const PrinterSetup& preset, QObject* owner, int32_t flags)>;

class PrinterConfig {
public:
    static constexpr int32_t kPrintSetup = 64; // the set-up form of the dialog

    PrinterConfig(PrinterDevice& printer, Notifier& notifier, PrintDialogRunner dialog, QString systemErrorText);

    // Confirmed when the user chose and the choice was applied to the current printer.
    PrintDialogResult ShowPrinter(QObject* owner, int32_t flags, std::optional<int16_t> orientation = std::nullopt);

private:
    PrinterDevice& m_printer;
    Notifier& m_notifier;
    PrintDialogRunner m_dialog;
    QString m_systemErrorText;
};

QString DuplexText(int32_t code);

} // namespace jvz
