#pragma once

#include "session/RasFunctions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace jvz {

struct BatchRun;
class MBLanguages;

// What the connection list shows: the phonebook's entries in order, and which one is current.
struct ConnectionListFill {
    QStringList names;
    int current = 0; // the last entry named exactly like the default one, else the first
};

ConnectionListFill fillConnectionList(const QList<RasEntryItem>& entries, int32_t count, const QString& defaultName);

// The entry an unattended run dials: the one the connection list would show as current. Without a phonebook
// the run records its connection-setup code with the not-found text (language: the main window's texts); an
// empty phonebook gives an empty name.
QString unattendedConnectionEntry(const RasFunctions& ras, const MBLanguages& language, const QString& defaultName,
                                  BatchRun& batch);

} // namespace jvz
