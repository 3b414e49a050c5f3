#include "terminal_files/TerminalDiskInfo.h"

#include "core/Cp1252.h"
#include "core/MBLanguages.h"
#include "platform/Notifier.h"
#include "terminal_files/TerminalFetch.h"

namespace jvz {

TerminalDiskInfoText terminalDiskInfoText(const QString& directory, const QList<TerminalListRow>& rows,
                                          const MBLanguages& language)
{
    if (rows.isEmpty())
        return {};
    const auto label = [&language](const char* key) { return language.GetFormLabel(QString::fromLatin1(key)); };
    QString total;
    QString free;
    for (const TerminalListRow& row : rows) {
        if (!total.isEmpty() && !free.isEmpty())
            break;
        const QString upper = Cp1252::toUpper(row.name);
        if (upper == QLatin1String("DIRECTORY.SIZ"))
            total = row.sizeText.trimmed();
        else if (upper == QLatin1String("DIRFREE.SIZ"))
            free = row.sizeText.trimmed();
    }
    const QString lineStart = QStringLiteral("\r\n    ");
    QString text = QString::number(rows.size()) + u' ' + label("MSG_SIZ_VisibleItemsIn") + u' ' + directory;
    if (!free.isEmpty())
        text += lineStart + label("MSG_SIZ_FreeSpace") + u'\t' + free;
    if (!total.isEmpty()) {
        if (!free.isEmpty()) {
            // 64 bits: a disk of 4 GiB and more reads and subtracts like any other.
            const int64_t used = readLeadingInteger64(total).value_or(0) - readLeadingInteger64(free).value_or(0);
            text += lineStart + label("MSG_SIZ_UsedSpace") + u'\t' + QString::number(used) + QStringLiteral(" Kb");
        }
        text += lineStart + label("MSG_SIZ_TotalSpace") + u'\t' + total;
    }
    return {label("MSG_SIZ_InfoAbout") + u' ' + directory + u':', text};
}

void ShowTerminalDiskInfo(const QString& directory, const QList<TerminalListRow>& rows, const MBLanguages& language,
                          Notifier& notifier)
{
    const TerminalDiskInfoText info = terminalDiskInfoText(directory, rows, language);
    if (info.text.isEmpty())
        return;
    notifier.message(info.text, info.title, MessageIcon::Information, MessageButtons::Ok);
}

} // namespace jvz
