#include "MbWorkFile.h"

#include "CoreLog.h"
#include "Cp1252.h"
#include "platform/Notifier.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jvz {

namespace {
constexpr qsizetype kChunk = 64 * 1024;

QString describeErrno(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

int16_t asErrorNumber(int number)
{
    return number > 0 && number <= INT16_MAX ? int16_t(number) : int16_t(EIO);
}
} // namespace

MbWorkFile::MbWorkFile(Notifier* notifier, FileWriter* writer)
    : m_notifier(notifier), m_writer(writer ? *writer : AtomicFileWriter::standard())
{
}

MbWorkFile::~MbWorkFile()
{
    closeQuietly();
}

void MbWorkFile::closeQuietly()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    m_buffer.clear();
    m_bufferPos = 0;
    if (m_output && m_outputError == 0 && !m_output->commit())
        qCWarning(jvzCore) << "text file not saved:" << m_output->error().text;
    m_output.reset();
    m_outputError = 0;
}

int16_t MbWorkFile::fail(int number, const QString& text)
{
    if (m_notifier)
        m_notifier->message(text, QCoreApplication::applicationName(), MessageIcon::Critical, MessageButtons::Ok);
    else
        qCWarning(jvzCore) << text;
    return asErrorNumber(number);
}

// Makes sure unread bytes are buffered unless the file is at its end; an errno value on failure.
int MbWorkFile::fillBuffer()
{
    if (m_bufferPos < m_buffer.size())
        return 0;
    m_buffer.resize(kChunk);
    m_bufferPos = 0;
    ssize_t n;
    do {
        n = ::read(m_fd, m_buffer.data(), size_t(kChunk));
    } while (n < 0 && errno == EINTR);
    const int error = n < 0 ? errno : 0;
    m_buffer.resize(n > 0 ? n : 0);
    return error;
}

int16_t MbWorkFile::OpenFile(const QString& path)
{
    closeQuietly();
    auto openFailed = [&](int number) {
        return fail(number,
                    QStringLiteral("OpenFile function: ") + path + QStringLiteral("\r\n") + describeErrno(number));
    };
    // Non-blocking open, so a pipe under the name cannot hang the program; only regular files are read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return openFailed(errno);
    struct stat st {};
    int number = 0;
    if (::fstat(fd, &st) != 0)
        number = errno;
    else if (S_ISDIR(st.st_mode))
        number = EISDIR;
    else if (!S_ISREG(st.st_mode))
        number = EINVAL;
    if (number != 0) {
        ::close(fd);
        return openFailed(number);
    }
    m_fd = fd;
    if (const int error = fillBuffer()) {
        closeQuietly();
        return openFailed(error);
    }
    m_end = m_buffer.isEmpty();
    return 0;
}

int16_t MbWorkFile::OpenFileOutput(const QString& path)
{
    closeQuietly();
    FileWriteError error;
    m_output = m_writer.begin(path, &error);
    if (!m_output)
        return fail(error.number,
                    QStringLiteral("OpenFileOutput function: ") + path + QStringLiteral("\r\n") + error.text);
    m_end = true;
    return 0;
}

int16_t MbWorkFile::ReadNextLine(QString& line)
{
    line.clear();
    if (m_fd < 0)
        return fail(EBADF, QStringLiteral("ReadNextLine function: ") + describeErrno(EBADF));
    if (const int error = fillBuffer())
        return fail(error, QStringLiteral("ReadNextLine function: ") + describeErrno(error));
    if (m_buffer.isEmpty()) {
        m_end = true;
        return 0;
    }
    QByteArray bytes;
    bool ended = false;
    while (!ended && !m_buffer.isEmpty() && bytes.size() < MaxLineLength) {
        const qsizetype lf = m_buffer.indexOf('\n', m_bufferPos);
        const qsizetype stop = lf < 0 ? m_buffer.size() : lf;
        const qsizetype take = std::min(stop - m_bufferPos, MaxLineLength - bytes.size());
        bytes.append(m_buffer.constData() + m_bufferPos, take);
        m_bufferPos += take;
        if (m_bufferPos == lf) {
            ++m_bufferPos;
            ended = true;
        }
        if (const int error = fillBuffer())
            return fail(error, QStringLiteral("ReadNextLine function: ") + describeErrno(error));
    }
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    line = Cp1252::decode(bytes);
    m_end = false;
    return 0;
}

int16_t MbWorkFile::WriteNextLine(const QString& line)
{
    if (!m_output)
        return fail(EBADF, QStringLiteral("WriteNextLine function: ") + describeErrno(EBADF));
    if (m_outputError != 0)
        return asErrorNumber(m_outputError); // reported once, at the write that failed
    if (!m_output->write(Cp1252::encode(line) + "\r\n")) {
        const FileWriteError error = m_output->error();
        m_outputError = asErrorNumber(error.number);
        return fail(m_outputError, QStringLiteral("WriteNextLine function: ") + error.text);
    }
    return 0;
}

int16_t MbWorkFile::CloseFile()
{
    if (m_fd >= 0) {
        m_buffer.clear();
        m_bufferPos = 0;
        if (::close(std::exchange(m_fd, -1)) != 0) {
            const int error = errno;
            return fail(error, QStringLiteral("CloseFile function: ") + describeErrno(error));
        }
        return 0;
    }
    if (!m_output)
        return 0;
    std::unique_ptr<FileReplacement> output = std::move(m_output);
    if (const int earlier = std::exchange(m_outputError, 0)) {
        // The failed write was reported; the old file stays as it was.
        return asErrorNumber(earlier);
    }
    if (!output->commit()) {
        const FileWriteError error = output->error();
        return fail(error.number, QStringLiteral("CloseFile function: ") + error.text);
    }
    return 0;
}

} // namespace jvz
