#pragma once

#include "session/RasFunctions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace jvz {

// What the connection list shows: the phonebook's entries in order, and which one is current.
struct ConnectionListFill {
    QStringList names;
    int current = 0; // the last entry named exactly like the default one, else the first
};

ConnectionListFill fillConnectionList(const QList<RasEntryItem>& entries, int32_t count, const QString& defaultName);

} // namespace jvz
