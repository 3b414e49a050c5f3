#include "PathComboModel.h"

namespace jvz {

PathComboModel::PathComboModel(IconLookup icons, QObject* parent)
    : QAbstractListModel(parent), m_icons(std::move(icons))
{
}

void PathComboModel::setDrives(const QString& rootText, const QList<DriveEntry>& drives)
{
    beginResetModel();
    m_entries.clear();
    m_entries.append({QString(), rootText, QStringLiteral("My Computer"), 0, LocalItemKind::Root});
    for (const DriveEntry& d : drives)
        m_entries.append({d.path, d.text, d.imageKey, 1, LocalItemKind::Drive});
    m_pathComboKey.clear();
    endResetModel();
}

void PathComboModel::setRootText(const QString& rootText)
{
    if (m_entries.isEmpty())
        return;
    m_entries.first().text = rootText;
    emit dataChanged(index(0), index(0), {Qt::DisplayRole});
}

int PathComboModel::addFolderEntries(const QString& folder, const QString& driveRoot)
{
    int row = rowOfKey(driveRoot);
    if (row < 0 || driveRoot.isEmpty() || !folder.startsWith(driveRoot))
        return -1;
    int indent = m_entries.at(row).indent;
    QString key = driveRoot;
    const QStringList levels = folder.mid(driveRoot.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& level : levels) {
        key += level + QLatin1Char('/');
        ++row;
        ++indent;
        if (rowOfKey(key) < 0) {
            const int at = qMin(row, int(m_entries.size()));
            beginInsertRows({}, at, at);
            m_entries.insert(at, {key, level, QStringLiteral("ClsFolder"), indent, LocalItemKind::Folder});
            endInsertRows();
            row = at;
            m_pathComboKey = key;
        } else {
            row = rowOfKey(key);
        }
    }
    return row;
}

void PathComboModel::trimFolders()
{
    // Entries whose key is not there any more cannot break this: every folder entry goes.
    for (int row = int(m_entries.size()) - 1; row >= 0; --row) {
        if (m_entries.at(row).kind == LocalItemKind::Folder) {
            beginRemoveRows({}, row, row);
            m_entries.removeAt(row);
            endRemoveRows();
        }
    }
    m_pathComboKey.clear();
}

int PathComboModel::rowOfKey(const QString& key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key)
            return int(i);
    }
    return -1;
}

QString PathComboModel::keyAt(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries.at(row).key : QString();
}

int PathComboModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant PathComboModel::data(const QModelIndex& index, int role) const
{
    // Views ask with invalid indexes too (no current row): no data, no warning.
    if (!index.isValid() || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry& e = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString(e.indent * 3, QLatin1Char(' ')) + e.text;
    case Qt::EditRole:
        return e.text;
    case Qt::DecorationRole:
        return m_icons ? QVariant(m_icons(e.imageKey)) : QVariant();
    case LocalRole::FullPath:
        return e.key;
    case LocalRole::NativePath:
        return nativeFromText(e.key);
    case LocalRole::ImageKey:
        return e.imageKey;
    case LocalRole::Kind:
        return int(e.kind);
    case IndentRole:
        return e.indent;
    default:
        return {};
    }
}

} // namespace jvz
