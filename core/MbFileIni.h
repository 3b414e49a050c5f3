#pragma once

// Reads and writes one INI file with the classic profile rules: sections and keys compared without regard
// to letter case, the first match wins, blanks around values removed, a value in matching quotes loses
// them, ';' comments kept. Text is Windows-1252; CR LF is written, LF or CR LF read. The file is read and
// indexed once and kept while the reader tells, by one look at the file each time, that it is the same file
// unchanged; so another program's change is seen at the next read, and the object's own writes drop what it
// kept. A write replaces the file atomically and keeps every other line as it was. One thread at a time.

#include "platform/FileReader.h"
#include "platform/FileWriter.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace jvz {

class MbFileIni {
public:
    static constexpr qsizetype ValueBufferSize = 255; // a value is read as at most 254 characters
    static constexpr qsizetype KeyListSize = 2048;    // a section's key list, NULs included
    static constexpr qsizetype SectionListSize = 32767;
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // writer: how the file is replaced; the real atomic writer when null. reader: how it is read; the real
    // reader of regular files when null.
    explicit MbFileIni(FileWriter* writer = nullptr, FileReader* reader = nullptr);

    void Create(const QString& fileName);
    QString FileName() const { return m_fileName; }
    // True when the file is a regular file within the size ceiling that can be read whole. Reads of a file
    // that is not give the defaults, so a caller that needs the settings checks this first.
    bool Readable() const;

    // The value, or the default when the key is missing or its value empty.
    QString StringGet(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    bool BooleanGet(const QString& section, const QString& key,
                    const QString& defaultText = QStringLiteral("No")) const;
    // The leading number of the value rounded half to even; 0 when the value is no number; the default (or 0)
    // when the key is missing or empty, or the number does not fit 32 bits.
    int32_t IntegerGet(const QString& section, const QString& key, std::optional<int32_t> defaultValue = {}) const;

    // Writes the value; true when it is done, that is, reading the key back gives exactly the value. A
    // section, key or value that cannot be stored on one line is refused (false, file untouched).
    bool StringSet(const QString& section, const QString& key, const QString& value);
    bool BooleanSet(const QString& section, const QString& key, bool flag);
    bool IntegerSet(const QString& section, const QString& key, int32_t number);
    // Why the last write did not reach the file (number 0 when it did, or when it was refused before).
    FileWriteError lastWriteError() const { return m_lastWriteError; }

    void KeyIteratorCreate(const QString& section);
    QString KeyIterator();
    void SectionIteratorCreate();
    QString SectionIterator();

    // "Yes", "True", "Oui", "Vrai", "1" and "Ok", in any case.
    static bool isTrueWord(const QString& text);

private:
    struct Loaded;
    // The file as it is now: the kept copy while the file is unchanged, else a fresh read.
    std::shared_ptr<const Loaded> load() const;
    static QString nextListName(const QString& list, qsizetype& cursor);

    FileWriter& m_writer;
    FileReader& m_reader;
    QString m_fileName;
    mutable std::shared_ptr<const Loaded> m_kept; // copies share it: it never changes once made
    QString m_keyList;
    qsizetype m_keyCursor = 0;
    QString m_sectionList;
    qsizetype m_sectionCursor = 0;
    FileWriteError m_lastWriteError;
};

} // namespace jvz
