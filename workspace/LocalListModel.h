#pragma once

// The local file list (ListView1) as a model: the entries of one folder, or the drives at the root.
// Columns: name, size ("12 Kb   "), date ("DD/MM/YYYY hh:mm"). The item data is in LocalItemRoles.h.

#include "workspace/DriveView.h"
#include "workspace/LocalListing.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <limits>

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
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // One row in as few bytes as a list of 100,000 files allows: the folder is kept once, paths, size texts
    // and dates are made when asked for, image keys are kept as indexes into a small table.
    struct Row {
        QString text;
        QByteArray native; // the entry's own bytes, only when they are not text's UTF-8 form
        qint64 size = -1;
        qint64 modified = kNoTime; // seconds since the epoch
        LocalItemKind kind = LocalItemKind::File;
        quint8 image = 0;
        quint8 savedImage = 0; // 0: none
    };
    static constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();

    void applyOrder();
    quint8 imageIndex(const QString& key);
    bool isContainer(const Row& r) const;
    QString pathOf(qsizetype row) const;
    QByteArray nativeOf(qsizetype row) const;
    QDateTime modifiedOf(const Row& r) const;

    IconLookup m_icons;
    QStringList m_headers;
    QList<Row> m_rows;
    QStringList m_imageKeys{QString()}; // index 0: none
    QString m_folder;                   // the folder shown, as text; empty for the drives
    QByteArray m_nativeFolder;          // and as bytes
    QStringList m_drivePaths;           // the drive view's paths, by row
    bool m_drives = false;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

} // namespace jvz
