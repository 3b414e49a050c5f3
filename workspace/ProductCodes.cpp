#include "workspace/ProductCodes.h"

#include "core/Cp1252.h"
#include "platform/FileReader.h"

#include <QFile>

namespace jvz {

int ProductCodeTable::find(const QString& code) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).code.compare(code, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool ProductCodeTable::add(const QString& code, const QString& text)
{
    if (find(code) >= 0)
        return false;
    m_entries.append({code, text});
    return true;
}

QString ProductCodeTable::text(const QString& code) const
{
    const int i = find(code);
    return i >= 0 ? m_entries.at(i).text : QString();
}

bool ProductCodeTable::contains(const QString& code) const
{
    return find(code) >= 0;
}

QString productFilter(const QString& code)
{
    return QStringLiteral("*.") + code;
}

CatalogFilterLoad LoadCatalogFilters(const QStringList& lines, ProductCodeTable& table)
{
    CatalogFilterLoad load;
    QString lastDuplicate;
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QString code = line.left(3);
        if (code != QLatin1String(kGenericProductCode)) {
            if (!table.add(code, line.mid(4)) && code != lastDuplicate) {
                lastDuplicate = code;
                load.duplicates.append(code);
            }
        }
        if (code != lastDuplicate)
            load.filterItems.append(productFilter(code));
    }
    load.filterItems.append(QLatin1String(kAllFilesFilter));
    return load;
}

bool readProductCodeFile(const QString& path, QStringList& lines, QString* errorText)
{
    lines.clear();
    QFile file;
    if (!openRegularFile(file, path, errorText))
        return false;
    const QString text = Cp1252::decode(file.readAll());
    lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    // The text after the last line end is no line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

} // namespace jvz
