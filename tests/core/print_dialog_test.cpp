// The printer choice: what the dialog is preset with and what a confirmed or cancelled choice changes.
#include "FakeNotifier.h"
#include "core/PrinterConfig.h"

#include <gtest/gtest.h>

using namespace jvz;

namespace {

class FakePrinter final : public PrinterDevice {
public:
    std::optional<PrinterSetup> query(QString* error) const override
    {
        if (broken) {
            *error = QStringLiteral("no printer");
            return std::nullopt;
        }
        return current;
    }
    QStringList installedPrinters() const override { return installed; }
    void selectPrinter(const QString& name) override
    {
        selections << name;
        current.deviceName = name;
        current.outputFile.clear();
    }
    void selectFile(const QString& path) override { current.outputFile = path; }
    bool setCopies(int16_t copies) override { return apply(current.copies, copies); }
    bool setDuplex(int16_t duplex) override { return apply(current.duplex, duplex); }
    bool setOrientation(int16_t orientation) override { return apply(current.orientation, orientation); }

    PrinterSetup current{QStringLiteral("Office-Colour"), QString(), 1, 1, 1};
    QStringList installed{QStringLiteral("Office"), QStringLiteral("Office-Colour"), QStringLiteral("OFFICE-2")};
    QStringList selections;
    bool broken = false;
    bool refuseDuplex = false;

private:
    bool apply(int16_t& field, int16_t value)
    {
        if (&field == &current.duplex && refuseDuplex)
            return false;
        field = value;
        return true;
    }
};

} // namespace

TEST(PrintDialog, ConfirmedChoiceBecomesTheCurrentPrinter)
{
    struct Case {
        const char* what;
        PrinterSetup chosen;
        bool refuseDuplex;
        PrinterSetup expected;
    };
    const Case cases[] = {
        {"exact name, not the last one it begins", {"Office", {}, 2, 3, 2}, false, {"Office", {}, 2, 3, 2}},
        {"the same printer again", {"Office-Colour", {}, 1, 2, 3}, false, {"Office-Colour", {}, 1, 2, 3}},
        {"a name that differs in case is no match", {"office", {}, 1, 1, 1}, false, {"Office-Colour", {}, 1, 1, 1}},
        {"a PDF file", {"", "/tmp/out.pdf", 2, 1, 1}, false, {"Office-Colour", "/tmp/out.pdf", 2, 1, 1}},
        {"a refused setting keeps its value", {"Office", {}, 2, 4, 2}, true, {"Office", {}, 2, 4, 1}},
    };
    for (const Case& c : cases) {
        FakePrinter printer;
        printer.refuseDuplex = c.refuseDuplex;
        jvztest::FakeNotifier notifier;
        PrinterSetup preset;
        PrinterConfig config(
            printer, notifier,
            [&](const PrinterSetup& p, QObject*, int32_t) {
                preset = p;
                return std::optional<PrinterSetup>(c.chosen);
            },
            QStringLiteral("System error"));
        EXPECT_EQ(config.ShowPrinter(nullptr, PrinterConfig::kPrintSetup), PrintDialogResult::Confirmed) << c.what;
        EXPECT_EQ(preset.deviceName, QStringLiteral("Office-Colour")) << c.what;
        EXPECT_EQ(printer.current.deviceName, c.expected.deviceName) << c.what;
        EXPECT_EQ(printer.current.outputFile, c.expected.outputFile) << c.what;
        EXPECT_EQ(printer.current.orientation, c.expected.orientation) << c.what;
        EXPECT_EQ(printer.current.copies, c.expected.copies) << c.what;
        EXPECT_EQ(printer.current.duplex, c.expected.duplex) << c.what;
        EXPECT_TRUE(notifier.shown.empty());
    }
}

TEST(PrintDialog, CancelledOrNoPrinterChangesNothing)
{
    FakePrinter printer;
    printer.current = {QStringLiteral("Office"), QString(), 1, 3, 2};
    jvztest::FakeNotifier notifier;
    int shown = 0;
    PrinterSetup preset;
    PrinterConfig config(
        printer, notifier,
        [&](const PrinterSetup& p, QObject*, int32_t) {
            ++shown;
            preset = p;
            return std::optional<PrinterSetup>();
        },
        QStringLiteral("System error"));
    EXPECT_EQ(config.ShowPrinter(nullptr, PrinterConfig::kPrintSetup, 2), PrintDialogResult::Cancelled);
    EXPECT_EQ(preset.orientation, 2); // the caller's orientation presets the dialog
    EXPECT_EQ(preset.copies, 3);
    EXPECT_EQ(printer.current.orientation, 1);
    EXPECT_TRUE(printer.selections.isEmpty());

    printer.broken = true;
    EXPECT_EQ(config.ShowPrinter(nullptr, PrinterConfig::kPrintSetup), PrintDialogResult::Cancelled);
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, QStringLiteral("System error no printer"));
}

TEST(PrintDialog, DuplexTexts)
{
    const std::pair<int, const char*> cases[] = {
        {1, "Duplex is turned off (1)"},
        {2, "Duplex is set to VERTICAL (2)"},
        {3, "Duplex is set to HORIZONTAL (3)"},
        {0, "Duplex is set to undefined value of 0"},
        {4, "Duplex is set to undefined value of 4"},
        {-7, "Duplex is set to undefined value of -7"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(DuplexText(code), QString::fromLatin1(text)) << code;
}
