#pragma once

// The disk of a terminal directory as its two size entries tell it: DIRECTORY.SIZ stands for the total
// space and DIRFREE.SIZ for the free space, both read from the list as it shows them (in Kb).

#include "terminal_files/TerminalListModel.h"

#include <QList>
#include <QString>

namespace jvz {

class MBLanguages;
class Notifier;

struct TerminalDiskInfoText {
    QString title;
    QString text;
};

// Empty text when the list is empty.
TerminalDiskInfoText terminalDiskInfoText(const QString& directory, const QList<TerminalListRow>& rows,
                                          const MBLanguages& language);

void ShowTerminalDiskInfo(const QString& directory, const QList<TerminalListRow>& rows, const MBLanguages& language,
                          Notifier& notifier);

} // namespace jvz
