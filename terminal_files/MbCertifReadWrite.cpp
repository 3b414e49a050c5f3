#include "terminal_files/MbCertifReadWrite.h"

#include "core/Cp1252.h"
#include "core/HexText.h"
#include "core/MbPrint.h"
#include "platform/FileReader.h"
#include "platform/FileWriter.h"
#include "sigdump/SignedFileLayout.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>

namespace jvz {

namespace layout = signedfile::legacy;
using signedfile::BlockField;

namespace {

constexpr qint64 kBlockSize = signedfile::kLegacyBlockSize;
constexpr qint64 kSignedPart = layout::kSignature.offset; // bytes 0..419: all but the signature

QString fixedText(const QString& value, qint64 width)
{
    return value.leftJustified(int(width), u' ', true);
}

void put(QByteArray& block, BlockField field, QByteArrayView bytes)
{
    block.replace(field.offset, field.size, bytes.first(field.size).toByteArray());
}

// Exactly the field's bytes, two digits each.
std::optional<QByteArray> fieldBytes(const QString& hex, BlockField field)
{
    std::optional<QByteArray> bytes = hexToBytes(hex);
    if (!bytes || bytes->size() != field.size)
        return std::nullopt;
    return bytes;
}

QByteArrayView slice(const QByteArray& block, BlockField field)
{
    return QByteArrayView(block).sliced(field.offset, field.size);
}

// A hexadecimal value of 256 digits printed as four lines of 64.
QStringList inLines(const QString& hex)
{
    QStringList lines;
    for (qsizetype i = 0; i < hex.size(); i += 64)
        lines << hex.mid(i, 64);
    return lines.isEmpty() ? QStringList{QString()} : lines;
}

QString byteText(uint8_t value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

MbCertifReadWrite::MbCertifReadWrite(FileWriter& writer) : m_writer(writer)
{
    RazCertificat();
}

void MbCertifReadWrite::init(const QString& fileName)
{
    m_fileName = fileName;
    m_blockOffset = 0;
}

bool MbCertifReadWrite::Finit(const QString& fileName)
{
    m_fileName = fileName;
    const QFileInfo info(fileName);
    if (!info.isFile() || info.size() < kBlockSize)
        return false;
    m_blockOffset = info.size() - kBlockSize;
    return ReadCertificate() == CertifResult::Done && m_issuerName == QLatin1String(kExpectedIssuer);
}

void MbCertifReadWrite::setIssuerName(const QString& value)
{
    m_issuerName = fixedText(value, layout::kIssuerName.size);
}

void MbCertifReadWrite::setDateCertificat(const QString& value)
{
    m_date = fixedText(value, layout::kCertificateDate.size);
}

void MbCertifReadWrite::setUnauthorizedKeyList(const QByteArray& bytes)
{
    m_keyList = bytes.left(layout::kUnauthorizedKeyList.size);
    m_keyList.resize(layout::kUnauthorizedKeyList.size, '\0');
}

CertifResult MbCertifReadWrite::VerifyWriteFile()
{
    const QFileInfo info(m_fileName);
    if (info.exists() || info.isSymLink())
        return CertifResult::AlreadyExists;
    FileWriteError error;
    if (m_writer.writeAll(m_fileName, QByteArrayView(), &error))
        return CertifResult::Done;
    return error.number == EACCES || error.number == EPERM || error.number == EROFS ? CertifResult::PermissionDenied
                                                                                    : CertifResult::CannotOpen;
}

CertifResult MbCertifReadWrite::WriteCertificate()
{
    // Every field is checked before the file is created.
    const std::optional<QByteArray> serial = fieldBytes(m_serial, layout::kSerialNumber);
    const std::optional<QByteArray> keyNumber = fieldBytes(m_keyNumber, layout::kKeyLogicNumber);
    const std::optional<QByteArray> keyLength = fieldBytes(m_keyLength, layout::kPublicKeyLength);
    const std::optional<QByteArray> modulus = fieldBytes(m_modulus, layout::kModulus);
    const std::optional<QByteArray> exponent = fieldBytes(m_exponent, layout::kExponent);
    if (!serial || !keyNumber || !keyLength || !modulus || !exponent)
        return CertifResult::OtherError;
    const CertifResult verified = VerifyWriteFile();
    if (verified != CertifResult::Done)
        return verified;

    QByteArray block(kSignedPart, '\0');
    put(block, layout::kIssuerName, Cp1252::encode(fixedText(m_issuerName, layout::kIssuerName.size)));
    put(block, layout::kCertificateDate, Cp1252::encode(fixedText(m_date, layout::kCertificateDate.size)));
    put(block, layout::kProtocolVersion, QByteArray(1, char(m_version)));
    put(block, layout::kCipheringAlgo, QByteArray(1, char(m_cyphering)));
    put(block, layout::kHashAlgo, QByteArray(1, char(m_hash)));
    put(block, layout::kPlatform, QByteArray(1, char(m_platform)));
    put(block, layout::kValidityDate, QByteArray(1, char(m_validity)));
    put(block, layout::kReserved, QByteArray(1, char(m_ruf)));
    put(block, layout::kSerialNumber, *serial);
    put(block, layout::kKeyLogicNumber, *keyNumber);
    put(block, layout::kUnauthorizedKeyList, m_keyList);
    put(block, layout::kPublicKeyLength, *keyLength);
    put(block, layout::kModulus, *modulus);
    put(block, layout::kExponent, *exponent);
    return m_writer.writeAll(m_fileName, block) ? CertifResult::Done : CertifResult::WriteError;
}

CertifResult MbCertifReadWrite::WriteSignature()
{
    const std::optional<QByteArray> signature = fieldBytes(m_signature, layout::kSignature);
    if (!signature)
        return CertifResult::OtherError;
    QByteArray content;
    const QFileInfo info(m_fileName);
    if (info.exists()) {
        // Root ignores permissions: a file its owner may not write is not written here either.
        if (!(info.permissions() & QFileDevice::WriteOwner))
            return CertifResult::WriteError;
        QFile file;
        if (!openRegularFile(file, m_fileName))
            return CertifResult::WriteError;
        content = file.readAll();
    }
    if (content.size() < layout::kSignature.offset + layout::kSignature.size)
        content.resize(layout::kSignature.offset + layout::kSignature.size, '\0');
    put(content, layout::kSignature, *signature);
    return m_writer.writeAll(m_fileName, content) ? CertifResult::Done : CertifResult::WriteError;
}

CertifResult certificateFileReadable(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return CertifResult::FileNotFound;
    QFile file;
    if (!openRegularFile(file, fileName))
        return CertifResult::CannotOpen;
    return CertifResult::Done;
}

CertifResult MbCertifReadWrite::ReadCertificate()
{
    const CertifResult readable = certificateFileReadable(m_fileName);
    if (readable != CertifResult::Done)
        return readable;
    QFile file;
    if (!openRegularFile(file, m_fileName) || !file.seek(m_blockOffset))
        return CertifResult::OtherError;
    const QByteArray block = file.read(kBlockSize);
    if (block.size() != kBlockSize)
        return CertifResult::OtherError;
    m_issuerName = Cp1252::decode(slice(block, layout::kIssuerName));
    m_date = Cp1252::decode(slice(block, layout::kCertificateDate));
    m_version = uint8_t(block.at(qsizetype(layout::kProtocolVersion.offset)));
    m_cyphering = uint8_t(block.at(qsizetype(layout::kCipheringAlgo.offset)));
    m_hash = uint8_t(block.at(qsizetype(layout::kHashAlgo.offset)));
    m_platform = uint8_t(block.at(qsizetype(layout::kPlatform.offset)));
    m_validity = uint8_t(block.at(qsizetype(layout::kValidityDate.offset)));
    m_ruf = uint8_t(block.at(qsizetype(layout::kReserved.offset)));
    m_serial = BytesToHex(slice(block, layout::kSerialNumber), int(layout::kSerialNumber.size));
    m_keyNumber = BytesToHex(slice(block, layout::kKeyLogicNumber), int(layout::kKeyLogicNumber.size));
    m_keyList = slice(block, layout::kUnauthorizedKeyList).toByteArray();
    m_keyLength = BytesToHex(slice(block, layout::kPublicKeyLength), int(layout::kPublicKeyLength.size));
    m_modulus = BytesToHex(slice(block, layout::kModulus), int(layout::kModulus.size));
    m_exponent = BytesToHex(slice(block, layout::kExponent), int(layout::kExponent.size));
    m_signature = BytesToHex(slice(block, layout::kSignature), int(layout::kSignature.size));
    return CertifResult::Done;
}

bool MbCertifReadWrite::KillFile()
{
    return QFile::remove(m_fileName);
}

void MbCertifReadWrite::RazCertificat()
{
    m_issuerName = QString(qsizetype(layout::kIssuerName.size), QChar(u' '));
    m_date = QString(qsizetype(layout::kCertificateDate.size), QChar(u' '));
    m_version = m_cyphering = m_hash = m_platform = m_validity = m_ruf = 0;
    m_serial = QString(qsizetype(layout::kSerialNumber.size * 2), QChar(u'0'));
    m_keyNumber = QString(qsizetype(layout::kKeyLogicNumber.size * 2), QChar(u'0'));
    m_keyList = QByteArray(layout::kUnauthorizedKeyList.size, '\0');
    m_keyLength = QString(qsizetype(layout::kPublicKeyLength.size * 2), QChar(u'0'));
    m_modulus = QString(qsizetype(layout::kModulus.size * 2), QChar(u'0'));
    m_exponent = QString(qsizetype(layout::kExponent.size * 2), QChar(u'0'));
    m_signature = QString(qsizetype(layout::kSignature.size * 2), QChar(u'0'));
}

QList<CertificateReportField> MbCertifReadWrite::reportFields() const
{
    return {
        {QStringLiteral("Issuer Name"), {m_issuerName}},
        {QStringLiteral("Date"), {m_date}},
        {QStringLiteral("Protocol Version"), {byteText(m_version)}},
        {QStringLiteral("Cyphering Algo"), {byteText(m_cyphering)}},
        {QStringLiteral("HASH Algo"), {byteText(m_hash)}},
        {QStringLiteral("Plateform"), {byteText(m_platform)}},
        {QStringLiteral("Validity date"), {byteText(m_validity)}},
        {QStringLiteral("VAR-Country ID"), {byteText(m_ruf)}},
        {QStringLiteral("Serial Number"), {m_serial}},
        {QStringLiteral("Key Logic Number"), {m_keyNumber}},
        {QStringLiteral("Unauthorized Key List"), inLines(BytesToHex(m_keyList, int(m_keyList.size())))},
        {QStringLiteral("Length Public Key"), {m_keyLength}},
        {QStringLiteral("Modulus"), inLines(m_modulus)},
        {QStringLiteral("Exponent"), inLines(m_exponent)},
        {QStringLiteral("Signature"), inLines(m_signature)},
    };
}

bool MbCertifReadWrite::PrintFile(MbPrint& printer, PageSurface& device) const
{
    constexpr float kValueColumn = 80;
    constexpr float kLineMm = 3.5F; // about one line of the report's font, to keep a long value on one page
    printer.Title = QStringLiteral("EFT Security Chain");
    printer.TopMargin = 30;
    printer.LeftMargin = 12;
    printer.RightMargin = 8;
    printer.BottomMargin = 20;
    printer.HeaderMargin = 8;
    printer.FooterMargin = 5;
    if (!printer.StartDoc(device))
        return false;
    printer.SetFont(QStringLiteral("Courier New"), 7, false, false, false);
    printer.PrintWrapped(0, QStringLiteral("Certificate file name: ") + m_fileName, 2);
    for (const CertificateReportField& field : reportFields()) {
        printer.SkipPage(float(field.lines.size()) * kLineMm);
        printer.PrintLine(0, field.label, 0);
        for (const QString& line : field.lines)
            printer.PrintLine(kValueColumn, line, 1);
    }
    printer.EndDoc();
    return true;
}

} // namespace jvz
