#include "workspace/CatalogListFile.h"

#include "core/Cp1252.h"
#include "platform/FileWriter.h"
#include "terminal_files/CatalogList.h"
#include "workspace/AuthoringFiles.h"

#include <QDir>

namespace jvz {

namespace {
QString withSlash(const QString& folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}
} // namespace

bool IsProductCatalogue(const QString& name, const QStringList& productCodes)
{
    return productCodes.contains(Cp1252::toUpper(name.right(3)));
}

std::optional<QString> BuildListLine(const QString& folder, const QString& name)
{
    if (name.size() <= 4)
        return std::nullopt;
    CatalogListReader reader;
    if (!reader.OpenTextFileForRead(withSlash(folder) + name))
        return QString();
    const bool empty = reader.AtEndOfStream();
    QString first;
    reader.ReadTextLine(first);
    if (empty)
        return QString();
    const QString codeName = name.mid(1, name.size() - 5);
    const QString description = first.startsWith(u';') ? first : QStringLiteral(";");
    return codeName + u';' + name.right(3) + description;
}

QStringList catalogListLines(const QString& folder, const QStringList& names, const QStringList& productCodes)
{
    QStringList lines;
    for (const QString& name : names) {
        if (!IsProductCatalogue(name, productCodes))
            continue;
        if (const std::optional<QString> line = BuildListLine(folder, name))
            lines << *line;
    }
    return lines;
}

QStringList catalogueNamesInFolder(const QString& folder)
{
    // Name filters match without regard to case, as on Windows.
    return QDir(folder).entryList({QStringLiteral("*.M??")}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}

bool writeCatalogListFile(const QString& folder, const QStringList& lines, FileWriter& writer, QString* error)
{
    FileWriteError e;
    if (writer.writeAll(withSlash(folder) + QLatin1String(kCatalogListFileName), encodeLines(lines, true), &e))
        return true;
    if (error)
        *error = e.text;
    return false;
}

} // namespace jvz
