#pragma once

// The local file list (ListView1) as a model: the entries of one folder, or the drives at the root.
// Columns: name, size ("12 Kb   "), date ("DD/MM/YYYY hh:mm"). The item data is in LocalItemRoles.h.

#include "workspace/DriveView.h"
#include "workspace/LocalListing.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

namespace jvz {

using IconLookup = std::function<QIcon(const QString& imageKey)>;

class LocalListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, SizeColumn = 1, DateColumn = 2, ColumnCount = 3 };

    explicit LocalListModel(IconLookup icons = {}, QObject* parent = nullptr);

    void setIconLookup(IconLookup icons) { m_icons = std::move(icons); }
    void setHeaders(const QStringList& headers);

    // Replaces the rows with the entries of the folder (ending in "/").
    void showFolder(const QByteArray& nativeFolder, const QList<LocalEntry>& entries);
    // Replaces the rows with the drives, in their order; the drive view is never sorted.
    void showDrives(const QList<DriveEntry>& drives);
    void clear();

    bool showsDrives() const { return m_drives; }
    // Toggled by a header click: ascending, descending. Folders stay ahead of files.
    Qt::SortOrder sortOrder() const { return m_order; }
    void toggleSortOrder();

    QString fullPath(int row) const;
    QByteArray nativePath(int row) const;
    QString imageKey(int row) const;
    LocalItemKind kind(int row) const;
    qint64 size(int row) const;
    // The row whose full path is the given one; -1 when none.
    int rowOfPath(const QString& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The check mark of a selection: ImageKey and SavedImageKey can be written.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // The window's translation writes the column headers; an empty text keeps the one there.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Row {
        QString text;
        QString path;
        QByteArray native;
        LocalItemKind kind = LocalItemKind::File;
        QString imageKey;
        QString savedImageKey;
        qint64 size = -1;
        QDateTime modified;
        QString sizeText;
    };
    void applyOrder();

    IconLookup m_icons;
    QStringList m_headers;
    QList<Row> m_rows;
    bool m_drives = false;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

} // namespace jvz
