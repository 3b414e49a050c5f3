#include "ConnectionList.h"

#include "core/BatchRun.h"
#include "core/MBLanguages.h"

namespace jvz {

ConnectionListFill fillConnectionList(const QList<RasEntryItem>& entries, int32_t count, const QString& defaultName)
{
    ConnectionListFill fill;
    const qsizetype n = std::min<qsizetype>(count, entries.size());
    for (qsizetype i = 0; i < n; ++i) {
        fill.names << entries.at(i).EntryName;
        if (entries.at(i).EntryName == defaultName)
            fill.current = static_cast<int>(i);
    }
    return fill;
}

QString unattendedConnectionEntry(const RasFunctions& ras, const MBLanguages& language, const QString& defaultName,
                                  BatchRun& batch)
{
    QString path;
    if (!ras.GetPhonebookPath(path)) {
        batch.set(BatchCode::ConnectionSetup, language.GetFormLabel(QStringLiteral("MSG_ConnectionNotFound")) + path);
        return {};
    }
    QList<RasEntryItem> entries;
    const ConnectionListFill fill = fillConnectionList(entries, ras.ListRasEntries(entries, path), defaultName);
    return fill.names.isEmpty() ? QString() : fill.names.at(fill.current);
}

} // namespace jvz
