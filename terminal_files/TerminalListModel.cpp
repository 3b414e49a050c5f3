#include "terminal_files/TerminalListModel.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"

#include <QMimeData>
#include <QSet>
#include <limits>

namespace jvz {

qint64 listedBytes(quint64 size)
{
    return size > quint64(std::numeric_limits<qint64>::max()) ? -1 : qint64(size);
}

QString sizeInKbText(quint64 size)
{
    const quint64 kb = size == 0 ? 1 : (size - 1) / 1024 + 1;
    return QString::number(kb) + QStringLiteral(" Kb   ");
}

QString terminalDateText(const QDateTime& lastWrite)
{
    if (!lastWrite.isValid())
        return QString();
    return lastWrite.date().toString(QStringLiteral("dd/MM/yyyy")) + u' ' +
           lastWrite.time().toString(QStringLiteral("hh:mm"));
}

QString terminalImageKey(const QString& name, bool isDirectory, const TerminalImageRules& rules)
{
    if (isDirectory)
        return QStringLiteral("ClsFolder");
    const QString upper = Cp1252::toUpper(name);
    if (upper.contains(QLatin1String(".LNK")) && rules.isFolderShortcut && rules.isFolderShortcut(name))
        return QStringLiteral("RacFolder");
    if (upper.contains(QLatin1String("DESCRIPTOR.XML")))
        return QStringLiteral("RacFolder");
    const qsizetype dot = name.indexOf(u'.');
    return catalogueImageKey(rules.catalogFilterItems, dot < 0 ? name : name.mid(dot + 1));
}

QString terminalRowText(const QString& listedName)
{
    const qsizetype nul = listedName.indexOf(QChar(0));
    return (nul < 0 ? listedName : listedName.left(nul)).trimmed();
}

QList<TerminalListRow> terminalListRows(const QList<FtpFileEntry>& entries, const TerminalImageRules& rules,
                                        QStringList* dropped)
{
    QList<TerminalListRow> rows;
    QSet<QString> seen;
    for (const FtpFileEntry& entry : entries) {
        const QString whole = Cp1252::decode(entry.name);
        const qsizetype nul = whole.indexOf(QChar(0));
        const QString listed = nul < 0 ? whole : whole.left(nul);
        if (listed == QLatin1String("TERMINAL.CNF") || listed == QLatin1String(".") || listed == QLatin1String(".."))
            continue;
        const QString name = listed.trimmed();
        if (name.isEmpty())
            continue;
        // Such a name would reach outside the folder it is fetched into.
        if (name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".") || name == QLatin1String("..")) {
            if (dropped)
                dropped->append(name);
            continue;
        }
        if (seen.contains(whole))
            continue;
        seen.insert(whole);
        TerminalListRow row;
        row.name = name;
        row.listedName = whole;
        row.isFolder = entry.isDirectory;
        row.imageKey = terminalImageKey(listed, entry.isDirectory, rules);
        row.size = entry.size;
        if (row.imageKey != QLatin1String("ClsFolder"))
            row.sizeText = sizeInKbText(entry.size);
        row.dateText = terminalDateText(entry.lastWrite);
        rows.append(row);
    }
    return rows;
}

TerminalListModel::TerminalListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TerminalListModel::setRows(QList<TerminalListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void TerminalListModel::clear()
{
    setRows({});
}

void TerminalListModel::setHeaders(const QStringList& headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void TerminalListModel::setIconProvider(std::function<QIcon(const QString&)> provider)
{
    m_icons = std::move(provider);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, NameColumn), index(int(m_rows.size()) - 1, NameColumn), {Qt::DecorationRole});
}

int TerminalListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TerminalListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TerminalListModel::data(const QModelIndex& index, int role) const
{
    // Views ask with invalid indexes too: no row, no data, no warning.
    if (!index.isValid() || index.parent().isValid() || index.row() >= m_rows.size())
        return {};
    const TerminalListRow& row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case NameColumn:
            return row.name;
        case SizeColumn:
            return row.sizeText;
        case DateColumn:
            return row.dateText;
        }
        return {};
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons)
            return m_icons(row.imageKey);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case ImageKeyRole:
        return row.imageKey;
    case IsFolderRole:
        return row.isFolder;
    case SizeBytesRole:
        return QVariant::fromValue(row.size);
    }
    return {};
}

QVariant TerminalListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return section < m_headers.size() ? m_headers.at(section) : QVariant();
}

Qt::ItemFlags TerminalListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TerminalListModel::mimeTypes() const
{
    return {QString::fromLatin1(kMimeType)};
}

QMimeData* TerminalListModel::mimeData(const QModelIndexList& indexes) const
{
    QStringList names;
    QList<int> done;
    for (const QModelIndex& i : indexes) {
        if (!i.isValid() || done.contains(i.row()))
            continue;
        done.append(i.row());
        names.append(m_rows.at(i.row()).name);
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kMimeType), names.join(u'\n').toUtf8());
    return mime;
}

Qt::DropActions TerminalListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

} // namespace jvz
