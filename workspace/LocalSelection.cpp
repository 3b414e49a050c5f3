#include "LocalSelection.h"

#include "core/MbWorkFile.h"

#include <QFileInfo>

namespace jvz::LocalSelection {

namespace {
bool isDriveImage(const QString& key)
{
    static const QStringList drives = {QStringLiteral("Drive"),     QStringLiteral("NetDrive"),
                                       QStringLiteral("CdDrive"),   QStringLiteral("DiskDrive"),
                                       QStringLiteral("ClsFolder"), QStringLiteral("RemovableDrive")};
    return drives.contains(key);
}

// Files are what the list can send or delete: not drives, not folders; links to folders count as files,
// as shortcuts did.
bool isFile(const SelectionRow& row)
{
    return (row.kind == LocalItemKind::File || row.kind == LocalItemKind::FolderLink) &&
           row.imageKey != QStringLiteral("ClsFolder");
}

void mark(SelectionRow& row)
{
    row.savedImageKey = row.imageKey;
    row.imageKey = kCheckMark;
}
} // namespace

bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.permissions().testFlag(QFileDevice::WriteOwner);
}

bool isSingleProductFilter(const QString& typeFilter)
{
    return typeFilter != QStringLiteral("*.*") && typeFilter != QStringLiteral("*.M??");
}

bool ReadCatalogueComment(const QString& path, QString& comment, Notifier* notifier)
{
    comment.clear();
    MbWorkFile file(notifier);
    if (file.OpenFile(path) != 0)
        return true;
    QString line;
    while (!file.EndFile()) {
        if (file.ReadNextLine(line) != 0)
            return true;
        if (file.EndFile())
            break;
        if (line.startsWith(u';')) {
            comment = line.mid(1);
            break;
        }
    }
    file.CloseFile();
    return false;
}

LocalSelectionUpdate UpdateLocalSelection(std::vector<SelectionRow>& rows, const LocalSelectionInputs& inputs,
                                          Notifier* notifier)
{
    LocalSelectionUpdate out;
    bool firstDone = false;
    for (int i = 0; i < int(rows.size()); ++i) {
        SelectionRow& row = rows[size_t(i)];
        if (!row.selected) {
            if (!row.savedImageKey.isEmpty()) {
                row.imageKey = row.savedImageKey;
                row.savedImageKey.clear();
                out.changedRows.push_back(i);
            }
            continue;
        }
        if (isFile(row)) {
            out.comment.clear();
            // Only catalogue lists have a comment: a file marked for sending is not read as one.
            const bool catalogue = row.imageKey == QStringLiteral("CatFile") ||
                                   (row.imageKey == kCheckMark && row.savedImageKey == QStringLiteral("CatFile"));
            if (catalogue && (row.imageKey == QStringLiteral("CatFile") || !firstDone)) {
                QString comment;
                if (ReadCatalogueComment(row.fullPath, comment, notifier)) {
                    out.stopped = true;
                    break;
                }
                if (!firstDone)
                    out.comment = comment;
            }
            if (row.savedImageKey.isEmpty() && (inputs.ftpSessionOpen || row.imageKey == QStringLiteral("CatFile"))) {
                mark(row);
                out.changedRows.push_back(i);
            }
        }
        firstDone = true;
    }
    if (out.stopped)
        return out;

    for (const SelectionRow& row : rows)
        out.selectedCount += row.selected ? 1 : 0;
    LocalSelectionFlags& f = out.flags;
    f.delFile = f.contextCopy = f.packAdd = true;
    for (const SelectionRow& row : rows) {
        if (!row.selected)
            continue;
        if (row.kind == LocalItemKind::Drive || row.kind == LocalItemKind::Root || isDriveImage(row.imageKey)) {
            f.delFile = f.packAdd = false;
            break;
        }
        if ((row.imageKey == QStringLiteral("Unknown") || row.imageKey == kCheckMark) && isReadOnly(row.fullPath)) {
            f.delFile = false;
            break;
        }
    }
    if (out.selectedCount > 0)
        f.packReset = inputs.packResetEnabled;
    else
        f.delFile = f.contextCopy = false;

    bool anyMarked = false;
    bool anySelected = false;
    int markedCatalogues = 0;
    for (const SelectionRow& row : rows) {
        anyMarked = anyMarked || row.imageKey == kCheckMark;
        anySelected = anySelected || row.selected;
        if (row.imageKey == kCheckMark && row.savedImageKey == QStringLiteral("CatFile"))
            ++markedCatalogues;
    }
    f.download = inputs.ftpSessionOpen && anyMarked && !(anySelected && inputs.activityAsked == 2) &&
                 inputs.currentTerminalDir != QStringLiteral("\\");
    if (markedCatalogues > 0) {
        f.catalog = f.catalogDescription = true;
        f.catalogCreate = f.catalogFamily = isSingleProductFilter(inputs.typeFilter);
    }
    return out;
}

QString clipboardText(const std::vector<SelectionRow>& rows)
{
    QString text;
    for (const SelectionRow& row : rows) {
        if (row.selected)
            text += row.text + QStringLiteral("\r\n");
    }
    return text;
}

} // namespace jvz::LocalSelection
