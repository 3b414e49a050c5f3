#include "LocalListModel.h"

#include <algorithm>

namespace jvz {

LocalListModel::LocalListModel(IconLookup icons, QObject* parent) : QAbstractTableModel(parent), m_icons(std::move(icons))
{
    m_headers = {QStringLiteral("Name"), QStringLiteral("Size"), QStringLiteral("Date")};
}

void LocalListModel::setHeaders(const QStringList& headers)
{
    m_headers = headers;
    while (m_headers.size() < ColumnCount)
        m_headers.append(QString());
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void LocalListModel::showFolder(const QByteArray& nativeFolder, const QList<LocalEntry>& entries)
{
    beginResetModel();
    m_drives = false;
    m_rows.clear();
    m_rows.reserve(entries.size());
    const QString folder = displayPath(nativeFolder);
    for (const LocalEntry& e : entries) {
        Row r;
        r.text = e.name;
        r.path = e.fullPath(folder);
        r.native = e.nativePath(nativeFolder);
        r.kind = e.kind;
        r.imageKey = e.imageKey;
        r.size = e.size;
        r.modified = e.modified;
        r.sizeText = e.size >= 0 ? sizeText(e.size) : QString();
        m_rows.append(std::move(r));
    }
    applyOrder();
    endResetModel();
}

void LocalListModel::showDrives(const QList<DriveEntry>& drives)
{
    beginResetModel();
    m_drives = true;
    m_rows.clear();
    for (const DriveEntry& d : drives) {
        Row r;
        r.text = d.text;
        r.path = d.path;
        r.native = nativeFromText(d.path);
        r.kind = LocalItemKind::Drive;
        r.imageKey = d.imageKey;
        m_rows.append(std::move(r));
    }
    endResetModel();
}

void LocalListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_drives = false;
    endResetModel();
}

void LocalListModel::toggleSortOrder()
{
    sort(NameColumn, m_order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void LocalListModel::sort(int, Qt::SortOrder order)
{
    m_order = order;
    if (m_drives)
        return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QList<QString> paths;
    for (const QModelIndex& i : before)
        paths.append(m_rows.value(i.row()).path);
    applyOrder();
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k)
        after.append(index(rowOfPath(paths.at(k)), before.at(k).column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void LocalListModel::applyOrder()
{
    const bool descending = m_order == Qt::DescendingOrder;
    std::stable_sort(m_rows.begin(), m_rows.end(), [descending](const Row& a, const Row& b) {
        const bool aFolder = a.kind != LocalItemKind::File;
        const bool bFolder = b.kind != LocalItemKind::File;
        if (aFolder != bFolder)
            return aFolder;
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return descending ? c > 0 : c < 0;
    });
}

QString LocalListModel::fullPath(int row) const
{
    return m_rows.value(row).path;
}

QByteArray LocalListModel::nativePath(int row) const
{
    return m_rows.value(row).native;
}

QString LocalListModel::imageKey(int row) const
{
    return m_rows.value(row).imageKey;
}

LocalItemKind LocalListModel::kind(int row) const
{
    return m_rows.value(row).kind;
}

qint64 LocalListModel::size(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).size : -1;
}

int LocalListModel::rowOfPath(const QString& path) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).path == path)
            return int(i);
    }
    return -1;
}

int LocalListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LocalListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LocalListModel::data(const QModelIndex& index, int role) const
{
    // Views ask with invalid indexes too: no data, no warning.
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return r.text;
        if (index.column() == SizeColumn)
            return r.sizeText;
        return dateText(r.modified); // only for the rows a view shows
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons)
            return m_icons(r.imageKey);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case LocalRole::FullPath:
        return r.path;
    case LocalRole::NativePath:
        return r.native;
    case LocalRole::ImageKey:
        return r.imageKey;
    case LocalRole::Kind:
        return int(r.kind);
    case LocalRole::Size:
        return r.size;
    case LocalRole::SavedImageKey:
        return r.savedImageKey;
    case LocalRole::Modified:
        return r.modified.toLocalTime();
    default:
        return {};
    }
}

bool LocalListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    Row& r = m_rows[index.row()];
    if (role == LocalRole::ImageKey)
        r.imageKey = value.toString();
    else if (role == LocalRole::SavedImageKey)
        r.savedImageKey = value.toString();
    else
        return false;
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1), {role});
    return true;
}

QVariant LocalListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool LocalListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
        (role != Qt::EditRole && role != Qt::DisplayRole) || value.toString().isEmpty())
        return false;
    m_headers[section] = value.toString();
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

Qt::ItemFlags LocalListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

} // namespace jvz
