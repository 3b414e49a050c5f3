#include "ConnectionList.h"

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

} // namespace jvz
