// The certificate blocks of signed files: read, written and read back at the offsets of the block layout, printed
// on a recording surface, to a PDF file and in the preview, and shown in their window.
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "TransferWorld.h"
#include "core/MBLanguages.h"
#include "core/MbPrint.h"
#include "core/PrinterConfig.h"
#include "core/ui/PainterPageSurface.h"
#include "core/ui/frmPrintPreview.h"
#include "sigdump/SignedFileLayout.h"
#include "terminal_files/MbCertifReadWrite.h"
#include "terminal_files/MbX07CertifReadWrite.h"
#include "terminal_files/ui/FrmReadCertifIntoFile.h"
#include "tests/core/RecordingSurface.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::readFile;
using jvztest::scratchFolder;
using jvztest::writeFile;
namespace layout = signedfile::legacy;

namespace {

// A legacy block whose every byte tells which field it belongs to: field k's bytes run k*16, k*16+1, ...
// (the texts are readable ones).
QByteArray fixtureBlock()
{
    QByteArray b(548, '\0');
    const signedfile::BlockField numbered[] = {
        layout::kProtocolVersion,     layout::kCipheringAlgo,   layout::kHashAlgo,     layout::kPlatform,
        layout::kValidityDate,        layout::kReserved,        layout::kSerialNumber, layout::kKeyLogicNumber,
        layout::kUnauthorizedKeyList, layout::kPublicKeyLength, layout::kModulus,      layout::kExponent,
        layout::kSignature,
    };
    int k = 1;
    for (const auto& f : numbered) {
        for (int i = 0; i < f.size; ++i)
            b[qsizetype(f.offset + i)] = char((k * 16 + i * 7) & 0xFF);
        ++k;
    }
    b.replace(0, 10, "TARQO.FR  ");
    b.replace(10, 8, "20261210");
    return b;
}

QString hexOf(const QByteArray& block, signedfile::BlockField f)
{
    return QString::fromLatin1(block.mid(f.offset, f.size).toHex().toUpper());
}

// The fixture block in a scratch file of its own, read into a certificate object.
struct LoadedFixture {
    explicit LoadedFixture(const char* hint, const char* name = "fixture.crt")
        : dir(scratchFolder(hint)), path(dir + name)
    {
        writeFile(path, fixtureBlock());
        loaded = certificate.Finit(path);
    }
    QString dir;
    QString path;
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    MbCertifReadWrite certificate{writer};
    bool loaded = false;
};

// The PDF's page count read from the file itself: its page objects, which must agree with the page tree's count.
int pdfPageCount(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    static const QRegularExpression count(QStringLiteral("/Type\\s*/Pages[^>]*/Count\\s+(\\d+)"));
    const QString text = QString::fromLatin1(pdf);
    int n = 0;
    auto it = page.globalMatch(text);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    const QRegularExpressionMatch tree = count.match(text);
    return tree.hasMatch() && tree.captured(1).toInt() == n ? n : -1;
}

// A certificate file whose full path is longer than a line of the page.
QString longCertificatePath(const QString& dir)
{
    QString folder = dir;
    for (int i = 0; i < 4; ++i)
        folder += QStringLiteral("a_rather_long_folder_name_for_certificates_%1/").arg(i);
    QDir().mkpath(folder);
    return folder + QStringLiteral("certificate_of_the_acquirer_with_a_long_name.crt");
}

// The printed text of a PDF file, through poppler's pdftotext (text outside the page is not part of it).
QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000))
        return QStringLiteral("pdftotext did not run (scripts/setup installs poppler-utils)");
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The program's current printer as the window's tests have it: the QPrinter the test sets up (a PDF file).
class PdfPrinter final : public PrinterDevice {
public:
    std::optional<PrinterSetup> query(QString*) const override { return PrinterSetup{}; }
    QStringList installedPrinters() const override { return {}; }
    void selectPrinter(const QString&) override {}
    void selectFile(const QString&) override {}
    bool setCopies(int16_t) override { return true; }
    bool setDuplex(int16_t) override { return true; }
    bool setOrientation(int16_t) override { return true; }
};

MBLanguages shippedTexts()
{
    MBLanguages table;
    table.init(jvztest::binDir() + "/JVZ.lng", 1);
    return table;
}

QString screenshots()
{
    const QString dir = jvztest::binDir() + "/../screenshots";
    QDir().mkpath(dir);
    return dir;
}

// Fails the begin of a given call, with a chosen error number.
class RefusingWriter final : public FileWriter {
public:
    RefusingWriter(int failingCall, int error) : m_failingCall(failingCall), m_error(error) {}
    std::unique_ptr<FileReplacement> begin(const QString& path, FileWriteError* error) override
    {
        if (++m_calls == m_failingCall) {
            if (error)
                *error = {m_error, QStringLiteral("refused")};
            return nullptr;
        }
        return AtomicFileWriter::standard().begin(path, error);
    }

private:
    int m_calls = 0;
    int m_failingCall;
    int m_error;
};

} // namespace

TEST(LegacyCertificate, ReadsEachFieldFromItsOffset)
{
    const QString dir = scratchFolder("cert-read");
    const QByteArray block = fixtureBlock();
    writeFile(dir + "alone.crt", block);
    writeFile(dir + "signed.sgn", QByteArray(1000, 'x') + block);
    for (const char* name : {"alone.crt", "signed.sgn"}) {
        jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);
        MbCertifReadWrite c(writer);
        ASSERT_TRUE(c.Finit(dir + name)) << name;
        EXPECT_EQ(c.BlockOffset(), QFileInfo(dir + name).size() - 548);
        EXPECT_EQ(c.IssuerName(), "TARQO.FR  ");
        EXPECT_EQ(c.DateCertificat(), "20261210");
        EXPECT_EQ(c.VersionProtocole(), uint8_t(block[18]));
        EXPECT_EQ(c.CypheringAlgo(), uint8_t(block[19]));
        EXPECT_EQ(c.HashAlgo(), uint8_t(block[20]));
        EXPECT_EQ(c.Plateforme(), uint8_t(block[21]));
        EXPECT_EQ(c.ValidityDate(), uint8_t(block[22]));
        EXPECT_EQ(c.RUF(), uint8_t(block[23]));
        EXPECT_EQ(c.SerialNumberVAR(), hexOf(block, layout::kSerialNumber));
        EXPECT_EQ(c.KeyLogicNumber(), hexOf(block, layout::kKeyLogicNumber));
        EXPECT_EQ(c.UnauthorizedKeyList(), block.mid(32, 128));
        EXPECT_EQ(c.LENGTHPublicKey(), hexOf(block, layout::kPublicKeyLength));
        EXPECT_EQ(c.HalfPublicKey_Modulus(), hexOf(block, layout::kModulus));
        EXPECT_EQ(c.HalfPublicKey_Exponent(), hexOf(block, layout::kExponent));
        EXPECT_EQ(c.Signature(), hexOf(block, layout::kSignature));
        QByteArray list;
        c.ReadUnauthorizedKeyList(list);
        EXPECT_EQ(list, block.mid(32, 128));
    }
}

TEST(LegacyCertificate, RecognisesOnlyWholeBlocksOfItsIssuer)
{
    const QString dir = scratchFolder("cert-finit");
    QByteArray otherIssuer = fixtureBlock();
    otherIssuer.replace(0, 10, "OTHER.FR  ");
    writeFile(dir + "short.crt", fixtureBlock().left(547));
    writeFile(dir + "other.crt", otherIssuer);
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);
    MbCertifReadWrite c(writer);
    EXPECT_FALSE(c.Finit(dir + "short.crt"));
    EXPECT_FALSE(c.Finit(dir + "other.crt"));
    EXPECT_FALSE(c.Finit(dir + "missing.crt"));

    const struct {
        QString path;
        CertifResult result;
    } reads[] = {
        {dir + "missing.crt", CertifResult::FileNotFound},
        {dir, CertifResult::CannotOpen},
        {dir + "short.crt", CertifResult::OtherError}, // fewer than 548 bytes at the offset
        {dir + "other.crt", CertifResult::Done},
    };
    for (const auto& r : reads) {
        c.init(r.path);
        EXPECT_EQ(c.ReadCertificate(), r.result) << r.path.toStdString();
    }
}

TEST(LegacyCertificate, WrittenAndReadBackByteIdentical)
{
    LoadedFixture f("cert-write");
    ASSERT_TRUE(f.loaded);
    MbCertifReadWrite& c = f.certificate;
    const QString& dir = f.dir;
    jvztest::FailingFileWriter& writer = f.writer;

    c.init(dir + "copy.crt");
    EXPECT_EQ(c.WriteCertificate(), CertifResult::Done);
    EXPECT_EQ(readFile(dir + "copy.crt"), fixtureBlock().left(420)); // the signature is written apart
    EXPECT_EQ(c.WriteSignature(), CertifResult::Done);
    EXPECT_EQ(readFile(dir + "copy.crt"), fixtureBlock());

    MbCertifReadWrite back(writer);
    ASSERT_TRUE(back.Finit(dir + "copy.crt"));
    EXPECT_EQ(back.Signature(), c.Signature());
    EXPECT_EQ(back.HalfPublicKey_Modulus(), c.HalfPublicKey_Modulus());

    // An existing file is never overwritten.
    EXPECT_EQ(c.WriteCertificate(), CertifResult::AlreadyExists);
    EXPECT_EQ(readFile(dir + "copy.crt"), fixtureBlock());
    EXPECT_TRUE(c.KillFile());
    EXPECT_FALSE(QFile::exists(dir + "copy.crt"));
}

TEST(LegacyCertificate, EachFieldIsWrittenAtItsOwnOffset)
{
    using Set = std::function<void(MbCertifReadWrite&)>;
    struct Case {
        const char* what;
        Set set;
        signedfile::BlockField field;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"issuer padded", [](auto& c) { c.setIssuerName("ABC"); }, layout::kIssuerName, "ABC       "},
        {"issuer cut", [](auto& c) { c.setIssuerName("ABCDEFGHIJKL"); }, layout::kIssuerName, "ABCDEFGHIJ"},
        {"date", [](auto& c) { c.setDateCertificat("19991231"); }, layout::kCertificateDate, "19991231"},
        {"protocol version", [](auto& c) { c.setVersionProtocole(0xA1); }, layout::kProtocolVersion, "\xA1"},
        {"cyphering", [](auto& c) { c.setCypheringAlgo(0xA2); }, layout::kCipheringAlgo, "\xA2"},
        {"hash", [](auto& c) { c.setHashAlgo(0xA3); }, layout::kHashAlgo, "\xA3"},
        {"platform", [](auto& c) { c.setPlateforme(0xA4); }, layout::kPlatform, "\xA4"},
        {"validity", [](auto& c) { c.setValidityDate(0xA5); }, layout::kValidityDate, "\xA5"},
        {"reserved", [](auto& c) { c.setRUF(0xA6); }, layout::kReserved, "\xA6"},
        {"serial", [](auto& c) { c.setSerialNumberVAR("0003c009"); }, layout::kSerialNumber,
         QByteArray::fromHex("0003C009")},
        {"key number", [](auto& c) { c.setKeyLogicNumber("02000000"); }, layout::kKeyLogicNumber,
         QByteArray::fromHex("02000000")},
        {"key list", [](auto& c) { c.setUnauthorizedKeyList(QByteArray(128, '\x5A')); }, layout::kUnauthorizedKeyList,
         QByteArray(128, '\x5A')},
        {"key length", [](auto& c) { c.setLENGTHPublicKey("00040000"); }, layout::kPublicKeyLength,
         QByteArray::fromHex("00040000")},
        {"modulus", [](auto& c) { c.setHalfPublicKey_Modulus(QString(256, 'E')); }, layout::kModulus,
         QByteArray(128, '\xEE')},
        {"exponent", [](auto& c) { c.setHalfPublicKey_Exponent(QString(256, 'D')); }, layout::kExponent,
         QByteArray(128, '\xDD')},
        {"signature", [](auto& c) { c.setSignature(QString(256, 'C')); }, layout::kSignature, QByteArray(128, '\xCC')},
    };
    const QString dir = scratchFolder("cert-fields");
    writeFile(dir + "source.crt", fixtureBlock());
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);
    int n = 0;
    for (const Case& c : cases) {
        MbCertifReadWrite cert(writer);
        ASSERT_TRUE(cert.Finit(dir + "source.crt"));
        c.set(cert);
        const QString target = dir + QStringLiteral("out%1.crt").arg(n++);
        cert.init(target);
        ASSERT_EQ(cert.WriteCertificate(), CertifResult::Done) << c.what;
        ASSERT_EQ(cert.WriteSignature(), CertifResult::Done) << c.what;
        QByteArray expected = fixtureBlock();
        expected.replace(c.field.offset, c.field.size, c.bytes);
        EXPECT_EQ(readFile(target).toHex(' '), expected.toHex(' ')) << c.what;
    }
}

TEST(LegacyCertificate, WriteFailuresAndBadValues)
{
    const QString dir = scratchFolder("cert-fail");
    struct Case {
        const char* what;
        int failingCall; // 1: the creation, 2: the block's write
        int error;
        CertifResult result;
    };
    const Case cases[] = {
        {"creation refused", 1, EACCES, CertifResult::PermissionDenied},
        {"creation fails otherwise", 1, ENOSPC, CertifResult::CannotOpen},
        {"the write fails", 2, ENOSPC, CertifResult::WriteError},
    };
    int n = 0;
    for (const Case& c : cases) {
        RefusingWriter writer(c.failingCall, c.error);
        MbCertifReadWrite cert(writer);
        cert.init(dir + QStringLiteral("f%1.crt").arg(n++));
        cert.setIssuerName("TARQO.FR");
        EXPECT_EQ(cert.WriteCertificate(), c.result) << c.what;
    }

    // A value that is not the field's hexadecimal bytes: refused before anything is created.
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Never);
    MbCertifReadWrite bad(writer);
    bad.init(dir + "bad.crt");
    bad.setSerialNumberVAR("12345");
    EXPECT_EQ(bad.WriteCertificate(), CertifResult::OtherError);
    bad.RazCertificat();
    bad.setSignature("XYZ");
    EXPECT_EQ(bad.WriteSignature(), CertifResult::OtherError);
    EXPECT_FALSE(QFile::exists(dir + "bad.crt"));
    EXPECT_EQ(writer.beginCalls(), 0);

    // A read-only file keeps its bytes.
    writeFile(dir + "ro.crt", fixtureBlock().left(420));
    QFile::setPermissions(dir + "ro.crt", QFileDevice::ReadOwner);
    bad.init(dir + "ro.crt");
    bad.setSignature(QString(256, '0'));
    EXPECT_EQ(bad.WriteSignature(), CertifResult::WriteError);
    EXPECT_EQ(readFile(dir + "ro.crt"), fixtureBlock().left(420));
}

TEST(LegacyCertificate, ResetClearsEveryField)
{
    LoadedFixture f("cert-raz");
    ASSERT_TRUE(f.loaded);
    MbCertifReadWrite& c = f.certificate;
    const QString& dir = f.dir;
    c.RazCertificat();
    c.init(dir + "zero.crt");
    ASSERT_EQ(c.WriteCertificate(), CertifResult::Done);
    ASSERT_EQ(c.WriteSignature(), CertifResult::Done);
    QByteArray expected(548, '\0');
    expected.replace(0, 18, QByteArray(18, ' '));
    EXPECT_EQ(readFile(dir + "zero.crt"), expected);
}

TEST(NewerCertificate, FindsTheTrailerAtEitherLength)
{
    const QString dir = scratchFolder("x07");
    auto trailer = [](int size, const char* issuer) {
        QByteArray t(size, '\x11');
        t.replace(0, 2, QByteArray::fromHex(size == 852 ? "0200" : "0201"));
        t.replace(8, 16, issuer);
        return t;
    };
    struct Case {
        const char* name;
        QByteArray content;
        bool found;
        qint64 offset;
        QByteArray version;
    };
    const Case cases[] = {
        {"short.sgn", QByteArray(100, 'c') + trailer(600, "QUORB PARVINX.FR"), true, 100, "\x02\x01"},
        {"long.sgn", QByteArray(100, 'c') + trailer(852, "QUORB PARVINX.FR"), true, 100, QByteArray("\x02\x00", 2)},
        {"other.sgn", QByteArray(300, 'c') + trailer(852, "SOMEONE ELSE.FR "), false, 0, {}},
        {"tiny.sgn", trailer(600, "QUORB PARVINX.FR").left(599), false, 0, {}},
    };
    for (const Case& c : cases) {
        writeFile(dir + c.name, c.content);
        MbX07CertifReadWrite x;
        EXPECT_EQ(x.Finit(dir + c.name), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(x.Offset(), c.offset) << c.name;
            EXPECT_EQ(x.IssuerName(), "QUORB PARVINX.FR");
            EXPECT_EQ(x.Version().toLatin1(), c.version) << c.name;
        }
    }
    MbX07CertifReadWrite missing;
    missing.init(dir + "none.sgn");
    EXPECT_EQ(missing.ReadCertificate(), CertifResult::FileNotFound);
}

TEST(CertificatePrint, LabelsAndValuesInTheirColumns)
{
    LoadedFixture f("cert-print", "a.crt");
    ASSERT_TRUE(f.loaded);
    MbCertifReadWrite& c = f.certificate;
    const QString& dir = f.dir;
    jvztest::RecordingSurface surface;
    MbPrint report;
    report.PageLabel = "Page";
    ASSERT_TRUE(c.PrintFile(report, surface));
    EXPECT_EQ(surface.finishes, 1);
    EXPECT_TRUE(surface.findText("EFT Security Chain"));
    EXPECT_TRUE(surface.findText("Certificate file name: " + dir + "a.crt"));
    const char* labels[] = {"Issuer Name",
                            "Date",
                            "Protocol Version",
                            "Cyphering Algo",
                            "HASH Algo",
                            "Plateform",
                            "Validity date",
                            "VAR-Country ID",
                            "Serial Number",
                            "Key Logic Number",
                            "Unauthorized Key List",
                            "Length Public Key",
                            "Modulus",
                            "Exponent",
                            "Signature"};
    for (const char* label : labels) {
        const auto* op = surface.findText(label);
        ASSERT_TRUE(op) << label;
        EXPECT_EQ(op->from.x(), 12) << label; // the left margin
    }
    // A 256-digit value: four lines of 64 at 80 mm, one under the other.
    const QString modulus = hexOf(fixtureBlock(), layout::kModulus);
    qsizetype at = 0;
    while (at < surface.ops.size() && surface.ops[at].text != "Modulus")
        ++at;
    ASSERT_LT(at + 4, surface.ops.size());
    const double labelY = surface.ops[at].from.y();
    for (int i = 0; i < 4; ++i) {
        const auto& op = surface.ops[at + 1 + i];
        EXPECT_EQ(op.text, modulus.mid(i * 64, 64)) << i;
        EXPECT_EQ(op.from.x(), 12 + 80) << i;
        EXPECT_EQ(op.from.y(), labelY + i * 3.5) << i; // Courier New 7 on the recording surface: 3.5 mm a line
    }
}

// A file name longer than the line goes on as many lines as it needs, each inside the right margin, and
// the lines together hold the whole name.
TEST(CertificatePrint, LongFileNameIsKeptWholeInsideTheMargins)
{
    const QString dir = scratchFolder("cert-long");
    const QString path = longCertificatePath(dir);
    writeFile(path, fixtureBlock());
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    MbCertifReadWrite c{writer};
    ASSERT_TRUE(c.Finit(path));
    jvztest::RecordingSurface surface; // 200 mm wide
    MbPrint report;
    ASSERT_TRUE(c.PrintFile(report, surface));
    const double rightEdge = 200 - report.RightMargin;
    QString joined;
    double lastY = -1;
    bool inName = false;
    for (const auto& op : surface.ops) {
        if (op.kind != jvztest::RecordingSurface::Op::Text)
            continue;
        inName = inName || op.text.startsWith("Certificate file name: ");
        if (op.text == "Issuer Name")
            break;
        if (!inName)
            continue;
        EXPECT_EQ(op.from.x(), report.LeftMargin) << op.text.toStdString();
        EXPECT_LE(op.from.x() + surface.textWidthMm(op.text), rightEdge) << op.text.toStdString();
        EXPECT_GT(op.from.y(), lastY) << "one line under the other";
        lastY = op.from.y();
        joined += op.text;
    }
    EXPECT_EQ(joined, "Certificate file name: " + path);
    EXPECT_GT(lastY, surface.findText("EFT Security Chain")->from.y());
}

TEST(CertificatePrint, PdfAndPreview)
{
    LoadedFixture f("cert-pdf");
    ASSERT_TRUE(f.loaded);
    MbCertifReadWrite& c = f.certificate;

    const QString pdf = screenshots() + "/certificate.pdf";
    QFile::remove(pdf);
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        PrinterPageSurface surface(printer);
        MbPrint report;
        report.PageLabel = "Page";
        ASSERT_TRUE(c.PrintFile(report, surface));
        EXPECT_EQ(report.PageCount(), 1);
    }
    const QByteArray bytes = readFile(pdf);
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(pdfPageCount(bytes), 1);

    // A longer report: the file holds as many pages as the report numbered.
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(f.dir + "long.pdf");
        PrinterPageSurface surface(printer);
        MbPrint report;
        report.TopMargin = 25;
        report.BottomMargin = 20;
        ASSERT_TRUE(report.StartDoc(surface));
        report.SetFont(QStringLiteral("Courier New"), 10);
        for (int i = 0; i < 150; ++i)
            report.PrintLine(0, QStringLiteral("line %1").arg(i), 1);
        report.EndDoc();
        ASSERT_GT(report.PageCount(), 1);
        EXPECT_EQ(pdfPageCount(readFile(f.dir + "long.pdf")), report.PageCount());
    }

    // The preview lays out the same report, page by page.
    frmPrintPreview preview;
    preview.InitLanguage(shippedTexts());
    MbPrint report;
    report.PageLabel = "Page";
    ASSERT_TRUE(c.PrintFile(report, preview.surface()));
    EXPECT_EQ(preview.pageCount(), report.PageCount());
    EXPECT_EQ(preview.currentPage(), 0);
    preview.show();
    EXPECT_TRUE(preview.grab().save(screenshots() + "/print_preview.png"));
}

TEST(CertificateWindow, ShowsThePrintsOnlyWhenConfirmed)
{
    LoadedFixture f("cert-window");
    ASSERT_TRUE(f.loaded);
    MbCertifReadWrite& c = f.certificate;
    const QString& dir = f.dir;

    // The current printer writes a PDF; the dialog answers from the test.
    PdfPrinter device;
    jvztest::FakeNotifier notifier;
    bool confirm = false;
    int dialogs = 0;
    PrinterConfig choice(
        device, notifier,
        [&](const PrinterSetup& p, QObject*, int32_t flags) {
            ++dialogs;
            EXPECT_EQ(flags, PrinterConfig::kPrintSetup);
            return confirm ? std::optional<PrinterSetup>(p) : std::nullopt;
        },
        "System error");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir + "printed.pdf");

    const MBLanguages lang = shippedTexts();
    FrmReadCertifIntoFile window(choice, printer, notifier);
    window.init(lang, &c);
    window.show();
    const QString shown = window.findChild<QPlainTextEdit*>("TXT_Certificate")->toPlainText();
    EXPECT_TRUE(shown.contains("Issuer Name"));
    EXPECT_TRUE(shown.contains(hexOf(fixtureBlock(), layout::kSignature).left(64)));
    EXPECT_EQ(window.findChild<QPushButton*>("CmdPrint")->text(), "Print...");
    EXPECT_TRUE(window.grab().save(screenshots() + "/certificate_window.png"));

    auto* print = window.findChild<QPushButton*>("CmdPrint");
    print->click(); // cancelled
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(QFile::exists(dir + "printed.pdf"));
    confirm = true;
    print->click();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(pdfPageCount(readFile(dir + "printed.pdf")), 1);
    EXPECT_TRUE(notifier.shown.empty());

    window.findChild<QPushButton*>("CmdFermer")->click();
    EXPECT_FALSE(window.isVisible());
}

// The window's Print: a print whose output cannot be opened says so; a long file name reaches the PDF whole.
TEST(CertificateWindow, PrintFailureIsToldAndLongNamesPrintWhole)
{
    const QString dir = scratchFolder("cert-window-print");
    const QString path = longCertificatePath(dir);
    writeFile(path, fixtureBlock());
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    MbCertifReadWrite c{writer};
    ASSERT_TRUE(c.Finit(path));

    PdfPrinter device;
    jvztest::FakeNotifier notifier;
    PrinterConfig choice(
        device, notifier, [](const PrinterSetup& p, QObject*, int32_t) { return std::optional<PrinterSetup>(p); },
        "System error");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    FrmReadCertifIntoFile window(choice, printer, notifier);
    window.init(shippedTexts(), &c);
    window.show();
    auto* print = window.findChild<QPushButton*>("CmdPrint");

    const QString unwritable = dir + "no such folder/printed.pdf";
    printer.setOutputFileName(unwritable);
    print->click();
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, "The certificate could not be printed: the printer or its output file cannot be "
                                      "opened\r\n" +
                                          unwritable);
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(QFile::exists(unwritable));

    const QString pdf = screenshots() + "/certificate_long_name.pdf";
    QFile::remove(pdf);
    printer.setOutputFileName(pdf);
    print->click();
    EXPECT_EQ(notifier.shown.size(), 1u) << "a print that worked says nothing";
    EXPECT_EQ(pdfPageCount(readFile(pdf)), 1);
    // The lines of the name, read back from the page, give the whole name.
    QString text = pdfText(pdf);
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(text.contains(QStringLiteral("Certificatefilename:") + path)) << text.left(600).toStdString();
}
