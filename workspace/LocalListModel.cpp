#include "LocalListModel.h"

#include <algorithm>

namespace jvz {

LocalListModel::LocalListModel(IconLookup icons, QObject* parent)
    : QAbstractTableModel(parent), m_icons(std::move(icons))
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

quint8 LocalListModel::imageIndex(const QString& key)
{
    if (key.isEmpty())
        return 0;
    const qsizetype i = m_imageKeys.indexOf(key);
    if (i >= 0)
        return quint8(i);
    if (m_imageKeys.size() >= 255)
        return 0; // never reached by the keys the list uses
    m_imageKeys.append(key);
    return quint8(m_imageKeys.size() - 1);
}

bool LocalListModel::isContainer(const Row& r) const
{
    return r.kind == LocalItemKind::Folder || r.kind == LocalItemKind::FolderLink;
}

QString LocalListModel::pathOf(qsizetype row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    if (m_drives)
        return m_drivePaths.value(row);
    const Row& r = m_rows.at(row);
    QString p = m_folder + r.text;
    if (isContainer(r))
        p += QLatin1Char('/');
    return p;
}

QByteArray LocalListModel::nativeOf(qsizetype row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    if (m_drives)
        return nativeFromText(m_drivePaths.value(row));
    const Row& r = m_rows.at(row);
    QByteArray p = m_nativeFolder + (r.native.isEmpty() ? r.text.toUtf8() : r.native);
    if (isContainer(r))
        p += '/';
    return p;
}

QDateTime LocalListModel::modifiedOf(const Row& r) const
{
    return r.modified == kNoTime ? QDateTime() : QDateTime::fromSecsSinceEpoch(r.modified, Qt::UTC);
}

void LocalListModel::showFolder(const QByteArray& nativeFolder, const QList<LocalEntry>& entries)
{
    beginResetModel();
    m_drives = false;
    m_drivePaths.clear();
    m_rows.clear();
    m_rows.squeeze();
    m_rows.reserve(entries.size());
    m_nativeFolder = nativeFolder;
    m_folder = displayPath(nativeFolder);
    for (const LocalEntry& e : entries) {
        Row r;
        r.text = e.name;
        r.native = e.nativeName; // empty unless the bytes differ from the text's UTF-8
        r.kind = e.kind;
        r.image = imageIndex(e.imageKey);
        r.size = e.size;
        r.modified = e.modified.isValid() ? e.modified.toSecsSinceEpoch() : kNoTime;
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
    m_drivePaths.clear();
    m_folder.clear();
    m_nativeFolder.clear();
    for (const DriveEntry& d : drives) {
        Row r;
        r.text = d.text;
        r.kind = LocalItemKind::Drive;
        r.image = imageIndex(d.imageKey);
        m_rows.append(std::move(r));
        m_drivePaths.append(d.path);
    }
    endResetModel();
}

void LocalListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_drivePaths.clear();
    m_folder.clear();
    m_nativeFolder.clear();
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
        paths.append(pathOf(i.row()));
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
    const auto before = [descending](const Row& a, const Row& b) {
        const bool aFolder = a.kind != LocalItemKind::File;
        const bool bFolder = b.kind != LocalItemKind::File;
        if (aFolder != bFolder)
            return aFolder;
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        return descending ? c > 0 : c < 0;
    };
    // A listing arrives in this order already: one pass tells.
    if (!std::is_sorted(m_rows.cbegin(), m_rows.cend(), before))
        std::stable_sort(m_rows.begin(), m_rows.end(), before);
}

QString LocalListModel::fullPath(int row) const
{
    return pathOf(row);
}

QByteArray LocalListModel::nativePath(int row) const
{
    return nativeOf(row);
}

QString LocalListModel::imageKey(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_imageKeys.value(m_rows.at(row).image) : QString();
}

LocalItemKind LocalListModel::kind(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).kind : LocalItemKind::File;
}

qint64 LocalListModel::size(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).size : -1;
}

int LocalListModel::rowOfPath(const QString& path) const
{
    if (m_drives)
        return int(m_drivePaths.indexOf(path));
    if (!path.startsWith(m_folder))
        return -1;
    QStringView rest = QStringView(path).mid(m_folder.size());
    const bool container = rest.endsWith(QLatin1Char('/'));
    if (container)
        rest.chop(1);
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const Row& r = m_rows.at(i);
        if (isContainer(r) == container && r.text == rest)
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
            return r.size >= 0 && !m_drives ? sizeText(r.size) : QString();
        return dateText(modifiedOf(r)); // only for the rows a view shows
    case Qt::DecorationRole:
        if (index.column() == NameColumn && m_icons)
            return m_icons(m_imageKeys.value(r.image));
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case LocalRole::FullPath:
        return pathOf(index.row());
    case LocalRole::NativePath:
        return nativeOf(index.row());
    case LocalRole::ImageKey:
        return m_imageKeys.value(r.image);
    case LocalRole::Kind:
        return int(r.kind);
    case LocalRole::Size:
        return r.size;
    case LocalRole::SavedImageKey:
        return m_imageKeys.value(r.savedImage);
    case LocalRole::Modified:
        return modifiedOf(r).toLocalTime();
    default:
        return {};
    }
}

bool LocalListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    if (role != LocalRole::ImageKey && role != LocalRole::SavedImageKey)
        return false;
    const quint8 image = imageIndex(value.toString());
    Row& r = m_rows[index.row()];
    if (role == LocalRole::ImageKey)
        r.image = image;
    else
        r.savedImage = image;
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
