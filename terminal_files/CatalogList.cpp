#include "terminal_files/CatalogList.h"

#include "core/CaseLookup.h"
#include "core/Cp1252.h"
#include "core/PathMapper.h"

#include <QFileInfo>

namespace jvz {

namespace {
bool isPathSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

qsizetype lastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isPathSeparator(path[i]))
            return i;
    }
    return -1;
}
} // namespace

CatalogLineKind classifyCatalogLine(const QString& line)
{
    if (line.isEmpty())
        return CatalogLineKind::End;
    if (line.startsWith(QLatin1String("-e")))
        return CatalogLineKind::Directory;
    if (line.startsWith(u';'))
        return CatalogLineKind::Comment;
    return CatalogLineKind::File;
}

std::optional<CatalogLineKind> classifyCatalogLine(const QString& line, const CatalogLineRules& rules)
{
    using Empty = CatalogLineRules::EmptyLines;
    if (line.isEmpty() && rules.empty != Empty::EndList)
        return std::nullopt;
    if (rules.empty == Empty::SkipBlank && line.trimmed().isEmpty())
        return std::nullopt;
    const CatalogLineKind kind = classifyCatalogLine(line);
    if (kind == CatalogLineKind::Directory && rules.directories == CatalogLineRules::DirectoryLines::AsFiles)
        return CatalogLineKind::File;
    return kind;
}

QString catalogDirectoryArgument(const QString& line)
{
    QString argument = line.mid(2);
    qsizetype end = argument.size();
    while (end > 0 && argument[end - 1] == u' ')
        --end;
    argument.truncate(end);
    return Cp1252::toUpper(argument);
}

QString FileNameOf(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString FolderOf(const QString& path)
{
    return path.left(lastSeparator(path) + 1);
}

CatalogFileRef resolveCatalogFile(const QString& line, const QString& baseFolder)
{
    PathCaseResolver resolver;
    return resolveCatalogFile(line, baseFolder, resolver);
}

CatalogFileRef resolveCatalogFile(const QString& line, const QString& baseFolder, PathCaseResolver& resolver)
{
    CatalogFileRef ref;
    ref.name = FileNameOf(line);
    const QString folder = mapWindowsPath(FolderOf(line));
    if (line.size() >= 2 && line[1] == u':') {
        ref.form = CatalogPathForm::DriveAbsolute;
        ref.folder = folder;
    } else if (line.startsWith(QLatin1String("\\\\"))) {
        ref.form = CatalogPathForm::Network;
        ref.folder = folder;
    } else if (line.startsWith(u'/')) {
        ref.form = CatalogPathForm::Absolute;
        ref.folder = folder;
    } else if (line.startsWith(u'\\')) {
        // The drive of the base folder followed by the line's folder; there are no drives here.
        ref.form = CatalogPathForm::DriveRooted;
        ref.folder = folder;
    } else {
        ref.form = CatalogPathForm::Relative;
        ref.folder = baseFolder + folder;
    }
    // Lists written on Windows name their files in any case; the terminal side upper-cases the name anyway.
    if (ref.form != CatalogPathForm::Network) {
        const QString local = ref.folder + ref.name;
        const QString found = resolver.resolve(local);
        if (found != local && !ref.name.isEmpty()) {
            const qsizetype slash = found.lastIndexOf(u'/');
            ref.folder = found.left(slash + 1);
            ref.name = found.mid(slash + 1);
        }
    }
    return ref;
}

QString catalogBaseFolder(const QString& listPath)
{
    // A local path: only "/" separates.
    return listPath.left(listPath.lastIndexOf(u'/') + 1);
}

bool catalogSuitsTerminal(const QString& listPath, const QString& productCode, XListRule rule)
{
    const QString upper = Cp1252::toUpper(listPath);
    if (rule == XListRule::AnyX && upper.endsWith(u'X'))
        return true;
    return !productCode.isEmpty() && upper.right(3) == productCode;
}

CatalogListReader::CatalogListReader(FileReader* reader) : m_reader(reader ? *reader : PlainFileReader::standard()) {}

bool CatalogListReader::OpenTextFileForRead(const QString& path)
{
    CloseTextFile();
    FileReadResult read = m_reader.read(path, MaxFileSize);
    if (read.status != FileReadStatus::Read)
        return false;
    m_buffer = std::move(read.bytes);
    m_open = true;
    return true;
}

int CatalogListReader::nextByte()
{
    if (m_pos >= m_buffer.size())
        return -1;
    return static_cast<unsigned char>(m_buffer.at(m_pos++));
}

void CatalogListReader::ReadTextLine(QString& line)
{
    line.clear();
    if (!m_open)
        return;
    QByteArray bytes;
    for (;;) {
        const int b = nextByte();
        if (b < 0 || b == '\n')
            break;
        if (b == '\r') {
            const int after = nextByte();
            if (after >= 0 && after != '\n')
                --m_pos; // the byte stays for the next line
            break;
        }
        if (bytes.size() < MaxLineLength)
            bytes.append(static_cast<char>(b));
    }
    line = Cp1252::decode(bytes);
}

bool CatalogListReader::AtEndOfStream()
{
    // The list is read whole when it opens.
    return !m_open || m_pos >= m_buffer.size();
}

void CatalogListReader::CloseTextFile()
{
    m_open = false;
    m_buffer.clear();
    m_pos = 0;
}

bool forEachListLine(CatalogListReader& reader, const CatalogLineAction& onDirectory, const CatalogLineAction& onFile)
{
    QString line;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
        switch (classifyCatalogLine(line)) {
        case CatalogLineKind::End:
        case CatalogLineKind::Comment:
            break;
        case CatalogLineKind::Directory:
            if (!onDirectory(line))
                return false;
            break;
        case CatalogLineKind::File:
            if (!onFile(line))
                return false;
            break;
        }
    }
    return true;
}

} // namespace jvz
