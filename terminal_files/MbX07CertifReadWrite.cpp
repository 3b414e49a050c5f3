#include "terminal_files/MbX07CertifReadWrite.h"

#include "core/Cp1252.h"
#include "platform/FileReader.h"
#include "sigdump/SignedFileLayout.h"

#include <QFile>
#include <QFileInfo>

namespace jvz {

void MbX07CertifReadWrite::init(const QString& fileName)
{
    m_fileName = fileName;
    m_offset = 0;
}

bool MbX07CertifReadWrite::Finit(const QString& fileName)
{
    m_fileName = fileName;
    const qint64 size = QFileInfo(fileName).isFile() ? QFileInfo(fileName).size() : 0;
    const QString expected =
        QString::fromLatin1(signedfile::kNewerIssuer.data(), qsizetype(signedfile::kNewerIssuer.size()));
    for (const qint64 trailer : {signedfile::kShortTrailerSize, signedfile::kLongTrailerSize}) {
        if (size < trailer)
            return false;
        m_offset = size - trailer;
        if (ReadCertificate() == CertifResult::Done && m_issuer == expected)
            return true;
    }
    return false;
}

CertifResult MbX07CertifReadWrite::ReadCertificate()
{
    const CertifResult readable = certificateFileReadable(m_fileName);
    if (readable != CertifResult::Done)
        return readable;
    QFile file;
    if (!openRegularFile(file, m_fileName))
        return CertifResult::OtherError;
    const auto version = signedfile::kCertificateVersion;
    const auto issuer = signedfile::kCertificateIssuer;
    if (!file.seek(m_offset + version.offset))
        return CertifResult::OtherError;
    const QByteArray versionBytes = file.read(version.size);
    if (!file.seek(m_offset + issuer.offset))
        return CertifResult::OtherError;
    const QByteArray issuerBytes = file.read(issuer.size);
    if (versionBytes.size() != version.size || issuerBytes.size() != issuer.size)
        return CertifResult::OtherError;
    m_version = Cp1252::decode(versionBytes);
    m_issuer = Cp1252::decode(issuerBytes);
    return CertifResult::Done;
}

} // namespace jvz
