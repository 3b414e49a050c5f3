#pragma once

// A terminal's FTP server as a local folder: names relative to the current directory (\SWAP\), absolute
// terminal paths from the root; every call recorded; puts and renames can be made to fail, and so can any
// one command by its recorded text (refused). Like many
// servers, a rename onto an existing name is refused. LIST lists SWAP. A command can end the session as a
// timeout does (endsSession); a closed session sends nothing more and fails every call with InvalidHandle.

#include "platform/FtpClient.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace jvztest {

class FakeTerminalFtp final : public jvz::FtpClient {
public:
    explicit FakeTerminalFtp(QString root) : m_root(std::move(root)) { QDir().mkpath(m_root + "SWAP"); }

    QString local(const QByteArray& remote) const
    {
        QString path = QString::fromLatin1(remote).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (path.startsWith(QLatin1Char('/')))
            return m_root + path.mid(1);
        return m_root + QStringLiteral("SWAP/") + path;
    }

    uint32_t open(const QString&, uint16_t, const QByteArray&, const QByteArray&) override { return 0; }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    uint32_t setCurrentDirectory(const QByteArray& path) override
    {
        if (const uint32_t error = ended("CWD " + path))
            return error;
        return record("CWD " + path, 0);
    }
    QByteArray currentDirectory() const override { return "\\SWAP\\"; }

    uint32_t getFile(const QByteArray& remote, const QString& localPath, jvz::FetchBound bound) override
    {
        bounds.append(bound);
        if (const uint32_t error = ended("RETR " + remote))
            return error;
        QFile::remove(localPath);
        if (phantomGet)
            return record("RETR " + remote, 0); // says it worked, wrote nothing
        if (!QFile::exists(local(remote)) || !QFile::copy(local(remote), localPath))
            return record("RETR " + remote, jvz::FtpError::ExtendedError);
        return record("RETR " + remote, 0);
    }
    // The size of the file it holds; refused for a missing file, or when refused names "SIZE X".
    uint32_t fileSize(const QByteArray& remote, qint64* bytes) override
    {
        *bytes = -1;
        if (const uint32_t error = ended("SIZE " + remote))
            return error;
        const QFileInfo file(local(remote));
        if (refused.contains("SIZE " + remote) || !file.isFile())
            return record("SIZE " + remote, jvz::FtpError::ExtendedError);
        *bytes = file.size();
        return record("SIZE " + remote, 0);
    }
    uint32_t putFile(const QString& localPath, const QByteArray& remote) override
    {
        if (const uint32_t error = ended("STOR " + remote))
            return error;
        if (failPut || refused.contains("STOR " + remote))
            return record("STOR " + remote, jvz::FtpError::ExtendedError);
        QFile::remove(local(remote));
        return record("STOR " + remote, QFile::copy(localPath, local(remote)) ? 0 : jvz::FtpError::ExtendedError);
    }
    uint32_t deleteFile(const QByteArray& remote) override
    {
        if (const uint32_t error = ended("DELE " + remote))
            return error;
        const bool ok = !refused.contains("DELE " + remote) && QFile::remove(local(remote));
        return record("DELE " + remote, ok ? 0 : jvz::FtpError::ExtendedError);
    }
    uint32_t renameFile(const QByteArray& from, const QByteArray& to) override
    {
        if (const uint32_t error = ended("RNFR " + from + " RNTO " + to))
            return error;
        const bool ok = !failRename && !QFile::exists(local(to)) && QFile::rename(local(from), local(to));
        return record("RNFR " + from + " RNTO " + to, ok ? 0 : jvz::FtpError::ExtendedError);
    }
    // The current directory (SWAP) in the Unix form.
    uint32_t listDirectory(QByteArrayList* lines) override
    {
        lines->clear();
        if (const uint32_t error = ended("LIST"))
            return error;
        for (const QString& name : QDir(m_root + QStringLiteral("SWAP")).entryList(QDir::Files))
            lines->append("-rw-r--r--   1 owner    group           4 Jan 01 00:00 " + name.toLatin1());
        return record("LIST", 0);
    }
    QByteArray lastResponse() const override { return "550 refused"; }
    uint32_t lastError() const override { return m_last; }

    QByteArrayList commands;
    QList<jvz::FetchBound> bounds; // of every get, in order
    bool failPut = false;
    bool phantomGet = false;
    bool failRename = false;
    QByteArrayList refused; // "STOR X", "DELE X", "SIZE X": that command fails
    // "RETR \SWAP\ACTIVITY.INF", "LIST": that command fails with endError and the session ends with it.
    QByteArrayList endsSession;
    uint32_t endError = jvz::FtpError::Timeout;
    int callsWhileClosed = 0; // calls made on the ended session

private:
    // Nonzero when the call does not reach the terminal: the session is gone, or this command ends it.
    uint32_t ended(const QByteArray& command)
    {
        if (!m_open) {
            ++callsWhileClosed;
            m_last = jvz::FtpError::InvalidHandle;
            return m_last;
        }
        if (!endsSession.contains(command))
            return 0;
        m_open = false;
        return record(command, endError);
    }

    uint32_t record(const QByteArray& command, uint32_t result)
    {
        commands << command;
        m_last = result;
        return result;
    }

    QString m_root;
    uint32_t m_last = 0;
    bool m_open = true;
};

} // namespace jvztest
