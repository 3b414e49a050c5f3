#include "MbFileIni.h"

#include "CoreLog.h"
#include "Cp1252.h"
#include "VbNumber.h"

#include <QFile>
#include <QList>
#include <cerrno>

namespace jvz {

namespace {

enum class LoadStatus { Loaded, Missing, Unreadable };

// The file as raw lines (line ends removed), so a write puts back every other line byte for byte.
struct IniLines {
    LoadStatus status = LoadStatus::Missing;
    QList<QByteArray> lines;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name; // section or key name, trimmed
    QString value;
};

QByteArray readWholeFile(const QString& path, LoadStatus& status)
{
    QFile file(path);
    if (!file.exists()) {
        status = LoadStatus::Missing;
        return {};
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > MbFileIni::MaxFileSize) {
        status = LoadStatus::Unreadable;
        return {};
    }
    QByteArray bytes = file.read(MbFileIni::MaxFileSize + 1);
    if (bytes.size() > MbFileIni::MaxFileSize || file.error() != QFileDevice::NoError) {
        status = LoadStatus::Unreadable;
        return {};
    }
    status = LoadStatus::Loaded;
    return bytes;
}

IniLines loadLines(const QString& path)
{
    IniLines ini;
    const QByteArray bytes = readWholeFile(path, ini.status);
    if (bytes.isEmpty())
        return ini;
    ini.lines = bytes.split('\n');
    if (bytes.endsWith('\n'))
        ini.lines.removeLast();
    for (QByteArray& line : ini.lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return ini;
}

QString unquote(const QString& value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

ParsedLine parseLine(const QByteArray& raw)
{
    ParsedLine out;
    const QString line = Cp1252::decode(raw).trimmed();
    if (line.startsWith(u'[')) {
        const qsizetype close = line.indexOf(u']');
        out.kind = LineKind::Section;
        out.name = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
    } else if (!line.startsWith(u';')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0) {
            out.kind = LineKind::Key;
            out.name = line.left(eq).trimmed();
            out.value = unquote(line.mid(eq + 1).trimmed());
        }
    }
    return out;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines [first, end) of the first section of that name; first is -1 when there is none.
struct SectionRange {
    qsizetype header = -1;
    qsizetype end = -1;
};

SectionRange findSection(const QList<QByteArray>& lines, const QString& section)
{
    SectionRange r;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine p = parseLine(lines[i]);
        if (p.kind != LineKind::Section)
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(p.name, section))
            r.header = i;
    }
    if (r.header >= 0)
        r.end = lines.size();
    return r;
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

MbFileIni::MbFileIni(FileWriter* writer) : m_writer(writer ? *writer : AtomicFileWriter::standard()) {}

void MbFileIni::Create(const QString& fileName)
{
    m_fileName = fileName;
}

QString MbFileIni::StringGet(const QString& section, const QString& key, const QString& defaultValue) const
{
    const IniLines ini = loadLines(m_fileName);
    const SectionRange range = findSection(ini.lines, section.trimmed());
    if (range.header < 0)
        return defaultValue;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const ParsedLine p = parseLine(ini.lines[i]);
        if (p.kind == LineKind::Key && sameName(p.name, key.trimmed()))
            return p.value.isEmpty() ? defaultValue : p.value.left(ValueBufferSize - 1);
    }
    return defaultValue;
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
    IniLines ini = loadLines(m_fileName);
    if (ini.status == LoadStatus::Unreadable) {
        m_lastWriteError = {EIO, QStringLiteral("cannot read %1").arg(m_fileName)};
        qCWarning(jvzCore) << "INI write refused, file unreadable:" << m_fileName;
        return false;
    }
    const QByteArray keyLine = Cp1252::encode(keyName) + '=' + Cp1252::encode(value);
    const SectionRange range = findSection(ini.lines, sectionName);
    if (range.header < 0) {
        if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty())
            ini.lines.append(QByteArray());
        ini.lines.append('[' + Cp1252::encode(sectionName) + ']');
        ini.lines.append(keyLine);
    } else {
        qsizetype lastKey = range.header;
        qsizetype found = -1;
        for (qsizetype i = range.header + 1; i < range.end && found < 0; ++i) {
            const ParsedLine p = parseLine(ini.lines[i]);
            if (p.kind != LineKind::Key)
                continue;
            lastKey = i;
            if (sameName(p.name, keyName))
                found = i;
        }
        if (found >= 0) {
            // The key keeps its spelling in the file; only its value changes.
            const ParsedLine p = parseLine(ini.lines[found]);
            ini.lines[found] = Cp1252::encode(p.name) + '=' + Cp1252::encode(value);
        } else {
            ini.lines.insert(lastKey + 1, keyLine);
        }
    }
    QByteArray bytes;
    for (const QByteArray& line : ini.lines)
        bytes += line + "\r\n";
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
    const IniLines ini = loadLines(m_fileName);
    const SectionRange range = findSection(ini.lines, section.trimmed());
    if (range.header < 0)
        return;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const ParsedLine p = parseLine(ini.lines[i]);
        if (p.kind == LineKind::Key)
            m_keyList += p.name + QChar(0);
    }
    if (m_keyList.isEmpty())
        return;
    m_keyList += QChar(0);
    // A list that does not fit the buffer is cut, still ending in two NULs.
    if (m_keyList.size() > KeyListSize) {
        m_keyList.truncate(KeyListSize - 2);
        m_keyList += QChar(0);
        m_keyList += QChar(0);
    }
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
    LoadStatus status;
    const QString text = Cp1252::decode(readWholeFile(m_fileName, status));
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
