#pragma once

// The path combo (ImageCombo1): "My Computer", the drives, and below the current drive one indented entry
// per folder level of the folder shown. Entries keep their path (ending in "/") as item data.

#include "workspace/DriveView.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/LocalListModel.h"

#include <QAbstractListModel>

namespace jvz {

class PathComboModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int IndentRole = LocalRole::Modified + 10;

    explicit PathComboModel(IconLookup icons = {}, QObject* parent = nullptr);

    void setIconLookup(IconLookup icons) { m_icons = std::move(icons); }
    // "My Computer" then the drives; the folder entries go.
    void setDrives(const QString& rootText, const QList<DriveEntry>& drives);
    // The drive view's text, after the language changed; the entries and the current one stay.
    void setRootText(const QString& rootText);
    // Adds the missing entries of the folder's levels below its drive (driveRoot: the mount point that holds
    // it); returns the row of the folder's entry (the drive's when the folder is the drive), -1 when the
    // drive has no entry.
    int addFolderEntries(const QString& folder, const QString& driveRoot);
    // Removes the folder entries of the last folder shown; the drives stay.
    void trimFolders();
    // The deepest folder entry the listing added; empty when there is none.
    QString pathComboKey() const { return m_pathComboKey; }

    int rowOfKey(const QString& key) const;
    QString keyAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Entry {
        QString key;
        QString text;
        QString imageKey;
        int indent = 0;
        LocalItemKind kind = LocalItemKind::Folder;
    };
    IconLookup m_icons;
    QList<Entry> m_entries;
    QString m_pathComboKey;
};

} // namespace jvz
