#include "LocalStatusTexts.h"

#include "core/MBLanguages.h"

namespace jvz {

QString objectCountText(qint64 count, CountFormat format, const QString& label)
{
    QString number = QString::number(count);
    if (format == CountFormat::Grouped) {
        for (qsizetype at = number.size() - 3; at > (count < 0 ? 1 : 0); at -= 3)
            number.insert(at, QLatin1Char(','));
    }
    return number + QLatin1Char(' ') + label;
}

SizeLabels SizeLabels::from(const MBLanguages& language)
{
    return {language.GetFormLabel(QStringLiteral("bytes")), language.GetFormLabel(QStringLiteral("Kb")),
            language.GetFormLabel(QStringLiteral("Mb")), language.GetFormLabel(QStringLiteral("Gb")),
            language.GetFormLabel(QStringLiteral("DriveSpaceFree"))};
}

QString formatOneOrTwoDecimals(double value)
{
    QString text = QString::number(value, 'f', 2);
    if (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

QString formatUpToTwoDecimals(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString selectionSizeText(qint64 totalKb, const std::optional<DiskSpace>& space, const SizeLabels& labels)
{
    if (!space)
        return {};
    QString text;
    if (totalKb == 0)
        text = QStringLiteral("0 ") + labels.bytes;
    else if (totalKb > 1024)
        text = formatOneOrTwoDecimals(double(totalKb) / 1024.0) + QLatin1Char(' ') + labels.mb;
    else
        text = QString::number(totalKb) + QLatin1Char(' ') + labels.kb;

    const double freeMb = double(space->freeBytes) / 1024.0 / 1024.0;
    text += QStringLiteral(" (") + labels.driveSpaceFree + QStringLiteral(" : ");
    if (space->freeBytes == 0)
        text += QStringLiteral("0 ") + labels.bytes;
    else if (freeMb > 1024.0)
        text += formatUpToTwoDecimals(freeMb / 1024.0) + QLatin1Char(' ') + labels.gb;
    else
        text += formatUpToTwoDecimals(freeMb) + QLatin1Char(' ') + labels.mb;
    return text + QLatin1Char(')');
}

} // namespace jvz
