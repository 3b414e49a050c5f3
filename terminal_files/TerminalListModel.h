#pragma once

// The terminal's directory as the terminal list shows it: one row per entry the terminal listed, in the
// terminal's order, with its image key, its size in Kb and its date.

#include "platform/FtpClientListing.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace jvz {

struct TerminalListRow {
    QString name;       // as shown: cut at a NUL and trimmed
    QString listedName; // the bytes the terminal listed (Cp1252, which keeps every byte): what commands send
    QString imageKey;   // "ClsFolder", "RacFolder", "CatFile" or "Unknown"
    bool isFolder = false;
    quint64 size = 0;
    QString sizeText; // files only: "<n> Kb   "
    QString dateText; // "DD/MM/YYYY hh:mm"; empty when the terminal gave no readable date
};

// Kilobytes as both file lists show them: (size - 1) / 1024 + 1, so 0 and 1024 bytes are 1 Kb.
QString sizeInKbText(quint64 size);
// A row's size as the bound of its fetch: a size no signed 64-bit count holds is unknown (-1).
qint64 listedBytes(quint64 size);
// "DD/MM/YYYY hh:mm" of the time as the terminal gave it (no time-zone conversion).
QString terminalDateText(const QDateTime& lastWrite);

struct TerminalImageRules {
    QStringList catalogFilterItems;                       // the local catalogue filters ("*.M40", ..., "*.*")
    std::function<bool(const QString&)> isFolderShortcut; // a ".LNK" name that leads to a local folder
};

// The image key of a listed entry.
QString terminalImageKey(const QString& name, bool isDirectory, const TerminalImageRules& rules);

// The text a row shows for a listed name: cut at its first NUL and trimmed.
QString terminalRowText(const QString& listedName);

// Rows of a listing: TERMINAL.CNF (exactly so), "." and ".." never show; a name holding "/" or "\" is
// dropped (into dropped, for the trace); a name listed twice shows once; names are cut at a NUL and trimmed,
// so two listed names may show the same text, each row still naming its own file.
QList<TerminalListRow> terminalListRows(const QList<FtpFileEntry>& entries, const TerminalImageRules& rules,
                                        QStringList* dropped = nullptr);

class TerminalListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, DateColumn, ColumnCount };
    enum Role {
        ImageKeyRole = Qt::UserRole + 1, // QString
        IsFolderRole,                    // bool
        SizeBytesRole,                   // quint64
    };
    // The drag of terminal items carries their names, one a line.
    static constexpr const char* kMimeType = "application/x-jvz-terminal-items";

    explicit TerminalListModel(QObject* parent = nullptr);

    void setRows(QList<TerminalListRow> rows);
    void clear();
    const QList<TerminalListRow>& rows() const { return m_rows; }
    void setHeaders(const QStringList& headers);
    void setIconProvider(std::function<QIcon(const QString&)> provider);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    QList<TerminalListRow> m_rows;
    QStringList m_headers;
    std::function<QIcon(const QString&)> m_icons;
};

} // namespace jvz
