#pragma once

// Reads or writes one Windows-1252 text file line by line, reporting each failure itself with a message
// box and an error number (an errno value; 0 is success). Lines end with CR LF when written; LF or CR LF
// end them when read, and a last line without an end is delivered too. Output goes to a temporary file
// that replaces the target at CloseFile, so a failed write never leaves a half-written file behind.

#include "platform/FileWriter.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace jvz {

class Notifier;

class MbWorkFile {
public:
    // A longer line is delivered in pieces of this many bytes.
    static constexpr qsizetype MaxLineLength = 1024 * 1024;

    // notifier: where failures are shown (the log when null); writer: the real atomic writer when null.
    explicit MbWorkFile(Notifier* notifier = nullptr, FileWriter* writer = nullptr);
    // Output still open is put in place, as closing the file would.
    ~MbWorkFile();
    MbWorkFile(const MbWorkFile&) = delete;
    MbWorkFile& operator=(const MbWorkFile&) = delete;

    // True once a read found nothing left (or the file opened was empty).
    bool EndFile() const { return m_end; }
    int16_t OpenFile(const QString& path);
    int16_t OpenFileOutput(const QString& path);
    int16_t ReadNextLine(QString& line);
    // Hands take(const QString&) each line left, up to the end; a failed read closes the file and returns
    // its number.
    template <typename Take> int16_t ReadEveryLine(Take take)
    {
        for (;;) {
            QString line;
            if (const int16_t error = ReadNextLine(line)) {
                CloseFile();
                return error;
            }
            if (EndFile())
                return 0;
            take(line);
        }
    }
    int16_t WriteNextLine(const QString& line);
    int16_t CloseFile();

private:
    int fillBuffer();
    int16_t fail(int number, const QString& text);
    void closeQuietly();

    Notifier* m_notifier;
    FileWriter& m_writer;
    int m_fd = -1;
    QByteArray m_buffer;
    qsizetype m_bufferPos = 0;
    std::unique_ptr<FileReplacement> m_output;
    int m_outputError = 0;
    bool m_end = false;
};

} // namespace jvz
