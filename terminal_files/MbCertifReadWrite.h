#pragma once

// Typed access to the legacy 548-byte certificate block of a signed file: read from the end of a file (or from
// offset 0 after init), written field by field at the offsets of the block's layout, printed as a report.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace jvz {

class FileWriter;
class MbPrint;
class PageSurface;

enum class CertifResult : uint8_t {
    Done = 0,
    FileNotFound = 1,
    CannotOpen = 2, // cannot be opened or created
    AlreadyExists = 6,
    PermissionDenied = 7, // when creating
    WriteError = 8,
    OtherError = 255,
};

// Whether a certificate file can be read: FileNotFound, CannotOpen or Done.
CertifResult certificateFileReadable(const QString& fileName);

// One field of the report: its label and its value on one line or more.
struct CertificateReportField {
    QString label;
    QStringList lines;
};

class MbCertifReadWrite {
public:
    explicit MbCertifReadWrite(FileWriter& writer);

    void init(const QString& fileName);
    // True when the file ends in a legacy block of the expected issuer (read into the properties).
    bool Finit(const QString& fileName);
    // Creates the file (refused when it exists) and writes the block's bytes 0..419; the signature apart.
    CertifResult WriteCertificate();
    CertifResult VerifyWriteFile();
    // Writes the signature at bytes 420..547 of the file.
    CertifResult WriteSignature();
    CertifResult ReadCertificate();

    QString IssuerName() const { return m_issuerName; }
    void setIssuerName(const QString& value);
    QString DateCertificat() const { return m_date; }
    void setDateCertificat(const QString& value);
    uint8_t VersionProtocole() const { return m_version; }
    void setVersionProtocole(uint8_t value) { m_version = value; }
    uint8_t CypheringAlgo() const { return m_cyphering; }
    void setCypheringAlgo(uint8_t value) { m_cyphering = value; }
    uint8_t HashAlgo() const { return m_hash; }
    void setHashAlgo(uint8_t value) { m_hash = value; }
    uint8_t Plateforme() const { return m_platform; }
    void setPlateforme(uint8_t value) { m_platform = value; }
    uint8_t ValidityDate() const { return m_validity; }
    void setValidityDate(uint8_t value) { m_validity = value; }
    uint8_t RUF() const { return m_ruf; }
    void setRUF(uint8_t value) { m_ruf = value; }
    // Hexadecimal texts, two digits per byte in file order.
    QString SerialNumberVAR() const { return m_serial; }
    void setSerialNumberVAR(const QString& hex) { m_serial = hex.toUpper(); }
    QString KeyLogicNumber() const { return m_keyNumber; }
    void setKeyLogicNumber(const QString& hex) { m_keyNumber = hex.toUpper(); }
    QByteArray UnauthorizedKeyList() const { return m_keyList; }
    void setUnauthorizedKeyList(const QByteArray& bytes);
    QString LENGTHPublicKey() const { return m_keyLength; }
    void setLENGTHPublicKey(const QString& hex) { m_keyLength = hex.toUpper(); }
    QString HalfPublicKey_Modulus() const { return m_modulus; }
    void setHalfPublicKey_Modulus(const QString& hex) { m_modulus = hex.toUpper(); }
    QString HalfPublicKey_Exponent() const { return m_exponent; }
    void setHalfPublicKey_Exponent(const QString& hex) { m_exponent = hex.toUpper(); }
    QString Signature() const { return m_signature; }
    void setSignature(const QString& hex) { m_signature = hex.toUpper(); }

    void ReadUnauthorizedKeyList(QByteArray& out) const { out = m_keyList; }
    bool KillFile();
    // The report on a started surface: false when the device could not be started.
    bool PrintFile(MbPrint& printer, PageSurface& device) const;
    // Text properties to blanks (hexadecimal ones to zero digits), bytes and the key list to 0.
    void RazCertificat();

    // The fields in block order, as the report prints them.
    QList<CertificateReportField> reportFields() const;

    QString FileName() const { return m_fileName; }
    qint64 BlockOffset() const { return m_blockOffset; }

    static constexpr const char* kExpectedIssuer = "TARQO.FR  ";

private:
    FileWriter& m_writer;
    QString m_fileName;
    qint64 m_blockOffset = 0;
    QString m_issuerName;
    QString m_date;
    uint8_t m_version = 0;
    uint8_t m_cyphering = 0;
    uint8_t m_hash = 0;
    uint8_t m_platform = 0;
    uint8_t m_validity = 0;
    uint8_t m_ruf = 0;
    QString m_serial;
    QString m_keyNumber;
    QByteArray m_keyList = QByteArray(128, '\0');
    QString m_keyLength;
    QString m_modulus;
    QString m_exponent;
    QString m_signature;
};

} // namespace jvz
