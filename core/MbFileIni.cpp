#include "MbFileIni.h"

#include "CoreLog.h"
#include "Cp1252.h"
#include "VbNumber.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <algorithm>
#include <array>
#include <cerrno>

namespace jvz {

namespace {

enum class LoadStatus { Loaded, Missing, Unreadable };

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QByteArrayView name; // section or key name, trimmed
    QByteArrayView value;
};

QByteArray readWholeFile(FileReader& reader, const QString& path, LoadStatus& status)
{
    // Only a regular file and at most the ceiling: a device or a pipe could be read without end.
    FileReadResult read = reader.read(path, MbFileIni::MaxFileSize);
    switch (read.status) {
    case FileReadStatus::Read:
        status = LoadStatus::Loaded;
        return std::move(read.bytes);
    case FileReadStatus::Missing:
        status = LoadStatus::Missing;
        return {};
    case FileReadStatus::NotAFile:
    case FileReadStatus::TooLarge:
    case FileReadStatus::Failed:
        status = LoadStatus::Unreadable;
        return {};
    }
    status = LoadStatus::Unreadable;
    return {};
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmedView(QByteArrayView v)
{
    while (!v.isEmpty() && isBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

QByteArrayView unquote(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

ParsedLine parseLine(QByteArrayView raw)
{
    ParsedLine out;
    const QByteArrayView line = trimmedView(raw);
    if (line.startsWith('[')) {
        const qsizetype close = line.indexOf(']');
        out.kind = LineKind::Section;
        out.name = trimmedView(close < 0 ? line.sliced(1) : line.sliced(1, close - 1));
    } else if (!line.startsWith(';')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) {
            out.kind = LineKind::Key;
            out.name = trimmedView(line.first(eq));
            out.value = unquote(trimmedView(line.sliced(eq + 1)));
        }
    }
    return out;
}

// Letter case folded per byte of the code page, so names compare without decoding.
const std::array<unsigned char, 256>& foldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = static_cast<unsigned char>(Cp1252::fromUnicode(Cp1252::toUpper(Cp1252::toUnicode(b))));
        return t;
    }();
    return table;
}

QByteArray nameBytes(const QString& name)
{
    return trimmedView(Cp1252::encode(name)).toByteArray();
}

QByteArray folded(QByteArrayView name)
{
    const auto& fold = foldTable();
    QByteArray out(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        out[i] = static_cast<char>(fold[static_cast<unsigned char>(name[i])]);
    return out;
}

bool fitsOnOneLine(const QString& text)
{
    return !text.contains(u'\n') && !text.contains(u'\r');
}

// One field of the classic sequential text input: ends at a line end or an unquoted comma; leading blanks
// skipped; a field starting with a double quote runs to the next double quote.
QString nextInputField(const QString& text, qsizetype& i)
{
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    QString field;
    auto atDelimiter = [&](qsizetype k) { return text[k] == u',' || text[k] == u'\r' || text[k] == u'\n'; };
    if (i < n && text[i] == u'"') {
        const qsizetype close = text.indexOf(u'"', i + 1);
        const qsizetype end = close < 0 ? n : close;
        field = text.mid(i + 1, end - i - 1);
        i = close < 0 ? n : close + 1;
        while (i < n && !atDelimiter(i))
            ++i;
    } else {
        const qsizetype start = i;
        while (i < n && !atDelimiter(i))
            ++i;
        field = text.mid(start, i - start);
    }
    if (i < n) {
        if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        ++i;
    }
    return field;
}

} // namespace

// The file's bytes and its lines (line ends removed) as views into them: reads compare names byte by byte and
// decode only what they return; a write puts back every other line byte for byte. Names are looked up with
// their letter case folded, in a copy of the bytes folded once.
struct MbFileIni::Loaded {
    // Lines [header + 1, end) of the first section of a name, and the first line of each key in it.
    struct Section {
        qsizetype header = -1;
        qsizetype end = -1;
        QHash<QByteArrayView, qsizetype> keys;
    };

    LoadStatus status = LoadStatus::Missing;
    std::optional<FileIdentity> identity;
    QByteArray bytes;
    QByteArray foldedBytes;
    QList<QByteArrayView> lines;
    QList<Section> sections;
    QHash<QByteArrayView, qsizetype> sectionIndex;

    Loaded(FileReader& reader, const QString& path);
    QByteArrayView foldedName(QByteArrayView name) const
    {
        return name.isEmpty() ? QByteArrayView("", 0)
                              : QByteArrayView(foldedBytes).sliced(name.data() - bytes.constData(), name.size());
    }
    const Section* section(const QString& name) const
    {
        const auto it = sectionIndex.constFind(folded(nameBytes(name)));
        return it == sectionIndex.cend() ? nullptr : &sections[*it];
    }
    // The line of the key, or -1.
    qsizetype keyLine(const Section& s, QByteArrayView keyBytes) const { return s.keys.value(folded(keyBytes), -1); }
};

MbFileIni::Loaded::Loaded(FileReader& reader, const QString& path)
{
    bytes = readWholeFile(reader, path, status);
    foldedBytes = folded(bytes);
    const QByteArrayView all(bytes);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype lf = all.indexOf('\n', start);
        if (lf < 0)
            lf = all.size();
        QByteArrayView line = all.sliced(start, lf - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
        start = lf + 1;
    }
    // Only the first section of a name counts, and in it the first line of a key.
    Section* open = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind == LineKind::Section) {
            if (open)
                open->end = i;
            open = nullptr;
            const QByteArrayView name = foldedName(p.name);
            if (!sectionIndex.contains(name)) {
                sectionIndex.insert(name, sections.size());
                open = &sections.emplace_back();
                open->header = i;
            }
        } else if (p.kind == LineKind::Key && open) {
            const QByteArrayView name = foldedName(p.name);
            if (!open->keys.contains(name))
                open->keys.insert(name, i);
        }
    }
    if (open)
        open->end = lines.size();
}

std::shared_ptr<const MbFileIni::Loaded> MbFileIni::load() const
{
    const std::optional<FileIdentity> identity = m_reader.identity(m_fileName);
    if (identity && m_kept && m_kept->identity == identity)
        return m_kept;
    auto fresh = std::make_shared<Loaded>(m_reader, m_fileName);
    fresh->identity = identity;
    // Only a whole read of a file the reader can tell again is kept; anything else is read anew next time.
    if (identity && fresh->status == LoadStatus::Loaded)
        m_kept = fresh;
    else
        m_kept.reset();
    return fresh;
}

MbFileIni::MbFileIni(FileWriter* writer, FileReader* reader)
    : m_writer(writer ? *writer : AtomicFileWriter::standard()),
      m_reader(reader ? *reader : PlainFileReader::standard())
{
}

bool MbFileIni::Readable() const
{
    return load()->status == LoadStatus::Loaded;
}

void MbFileIni::Create(const QString& fileName)
{
    m_fileName = fileName;
    m_kept.reset();
}

QString MbFileIni::StringGet(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::shared_ptr<const Loaded> ini = load();
    const Loaded::Section* range = ini->section(section);
    if (!range)
        return defaultValue;
    const qsizetype line = ini->keyLine(*range, nameBytes(key));
    if (line < 0)
        return defaultValue;
    const QByteArrayView value = parseLine(ini->lines[line]).value;
    return value.isEmpty() ? defaultValue : Cp1252::decode(value.first(std::min(value.size(), ValueBufferSize - 1)));
}

bool MbFileIni::isTrueWord(const QString& text)
{
    for (const char* word : {"Yes", "True", "Oui", "Vrai", "1", "Ok"}) {
        if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool MbFileIni::BooleanGet(const QString& section, const QString& key, const QString& defaultText) const
{
    return isTrueWord(StringGet(section, key, defaultText));
}

int32_t MbFileIni::IntegerGet(const QString& section, const QString& key, std::optional<int32_t> defaultValue) const
{
    const QString text = StringGet(section, key, defaultValue ? QString::number(*defaultValue) : QString());
    const VbInteger number = readVbInteger(text);
    switch (number.status) {
    case VbNumberStatus::Ok:
        return number.value;
    case VbNumberStatus::NoNumber:
        return 0;
    case VbNumberStatus::OutOfRange:
        return defaultValue.value_or(0);
    }
    return 0;
}

bool MbFileIni::StringSet(const QString& section, const QString& key, const QString& value)
{
    m_lastWriteError = {};
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    // Anything that would read back as another line, section or key is refused rather than written.
    if (sectionName.isEmpty() || keyName.isEmpty() || sectionName.contains(u']') || keyName.contains(u'=') ||
        keyName.startsWith(u'[') || keyName.startsWith(u';') || !fitsOnOneLine(sectionName) ||
        !fitsOnOneLine(keyName) || !fitsOnOneLine(value)) {
        qCWarning(jvzCore) << "INI write refused:" << section << key;
        return false;
    }
    const std::shared_ptr<const Loaded> ini = load();
    if (ini->status == LoadStatus::Unreadable) {
        m_lastWriteError = {EIO, QStringLiteral("cannot read %1").arg(m_fileName)};
        qCWarning(jvzCore) << "INI write refused, file unreadable:" << m_fileName;
        return false;
    }
    const QByteArray keyBytes = nameBytes(keyName);
    const QByteArray valueBytes = Cp1252::encode(value);
    const Loaded::Section* range = ini->section(sectionName);
    QList<QByteArrayView> lines = ini->lines; // views into the loaded bytes, held by ini
    QByteArray keyLine = keyBytes + '=' + valueBytes;
    QByteArray sectionLine;
    if (!range) {
        if (!lines.isEmpty() && !trimmedView(lines.last()).isEmpty())
            lines.append(QByteArrayView());
        sectionLine = '[' + nameBytes(sectionName) + ']';
        lines.append(sectionLine);
        lines.append(keyLine);
    } else if (const qsizetype found = ini->keyLine(*range, keyBytes); found >= 0) {
        // The key keeps its spelling in the file; only its value changes.
        keyLine = parseLine(lines[found]).name.toByteArray() + '=' + valueBytes;
        lines[found] = keyLine;
    } else {
        qsizetype lastKey = range->header;
        for (qsizetype i = range->header + 1; i < range->end; ++i) {
            if (parseLine(lines[i]).kind == LineKind::Key)
                lastKey = i;
        }
        lines.insert(lastKey + 1, keyLine);
    }
    QByteArray bytes;
    for (const QByteArrayView line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    // Whatever the writer did, the kept copy no longer stands for the file.
    m_kept.reset();
    if (!m_writer.writeAll(m_fileName, bytes, &m_lastWriteError)) {
        qCWarning(jvzCore) << "INI write failed:" << m_lastWriteError.text;
        return false;
    }
    return StringGet(section, key) == value;
}

bool MbFileIni::BooleanSet(const QString& section, const QString& key, bool flag)
{
    return StringSet(section, key, flag ? QStringLiteral("Yes") : QStringLiteral("No"));
}

bool MbFileIni::IntegerSet(const QString& section, const QString& key, int32_t number)
{
    return StringSet(section, key, QString::number(number));
}

void MbFileIni::KeyIteratorCreate(const QString& section)
{
    m_keyList.clear();
    m_keyCursor = 0;
    const std::shared_ptr<const Loaded> ini = load();
    const Loaded::Section* range = ini->section(section);
    if (!range)
        return;
    QByteArray list;
    for (qsizetype i = range->header + 1; i < range->end && list.size() <= KeyListSize; ++i) {
        const ParsedLine p = parseLine(ini->lines[i]);
        if (p.kind == LineKind::Key) {
            list += p.name;
            list += '\0';
        }
    }
    if (list.isEmpty())
        return;
    list += '\0';
    // A list that does not fit the buffer is cut, still ending in two NULs.
    if (list.size() > KeyListSize) {
        list.truncate(KeyListSize - 2);
        list += QByteArrayView("\0\0", 2);
    }
    m_keyList = Cp1252::decode(list);
}

QString MbFileIni::nextListName(const QString& list, qsizetype& cursor)
{
    const qsizetype nul = list.indexOf(QChar(0), cursor);
    if (nul < 0)
        return {};
    QString name = list.mid(cursor, nul - cursor);
    cursor = nul + 1;
    return name;
}

QString MbFileIni::KeyIterator()
{
    if (m_keyList.isEmpty())
        return {};
    return nextListName(m_keyList, m_keyCursor);
}

void MbFileIni::SectionIteratorCreate()
{
    m_sectionList.clear();
    m_sectionCursor = 0;
    const QString text = Cp1252::decode(load()->bytes);
    qsizetype i = 0;
    bool anyField = false;
    while (i < text.size() && m_sectionList.size() < SectionListSize) {
        const QString field = nextInputField(text, i);
        anyField = true;
        const qsizetype open = field.indexOf(u'[');
        if (open < 0)
            continue;
        // A "[" without a "]" after it names nothing.
        const qsizetype close = field.indexOf(u']', open + 1);
        if (close >= 0)
            m_sectionList += field.mid(open + 1, close - open - 1) + QChar(0);
    }
    if (anyField)
        m_sectionList += QChar(0);
}

QString MbFileIni::SectionIterator()
{
    return nextListName(m_sectionList, m_sectionCursor);
}

} // namespace jvz
