#pragma once

#include "terminal_files/MbCertifReadWrite.h"

#include <QString>

namespace jvz {

// The newer signature trailer at the end of a file: its certificate's version and issuer.
class MbX07CertifReadWrite {
public:
    void init(const QString& fileName);
    // True when the trailer's certificate (600 or 852 bytes before the end) names the expected issuer.
    bool Finit(const QString& fileName);
    CertifResult ReadCertificate();

    QString Version() const { return m_version; } // the two version bytes as characters
    void setVersion(const QString& value) { m_version = value.left(2); }
    QString IssuerName() const { return m_issuer; }
    void setIssuerName(const QString& value) { m_issuer = value.left(16); }
    QString FileName() const { return m_fileName; }
    qint64 Offset() const { return m_offset; }

private:
    QString m_fileName;
    qint64 m_offset = 0;
    QString m_version;
    QString m_issuer;
};

} // namespace jvz
