#include "workspace/CatalogueCopy.h"

#include "core/Cp1252.h"
#include "core/MbFilename.h"
#include "workspace/AuthoringFiles.h"

#include <QFileInfo>

namespace jvz {

namespace {
bool holdsPattern(const QString& code)
{
    return code.contains(u'?') || code.contains(u'*');
}
} // namespace

QString productCodeOfLine(const QString& line)
{
    return Cp1252::toUpper(line.left(3));
}

QStringList copyTargetLines(const QStringList& productCodeLines, const QString& filterText)
{
    QStringList lines;
    for (const QString& line : productCodeLines) {
        if (QStringLiteral("*.") + line.left(3) == filterText)
            continue;
        const QString code = productCodeOfLine(line);
        if (code.size() < 3 || holdsPattern(code))
            continue;
        lines << line;
    }
    return lines;
}

QStringList copyTargetNames(const QStringList& sources, const QString& code)
{
    QStringList names;
    if (code.isEmpty() || holdsPattern(code))
        return names;
    for (const QString& source : sources)
        names << MbFilename(source).Name() + u'.' + code;
    return names;
}

std::vector<CatalogueCopyOutcome> copyCatalogues(const QStringList& sources, const QString& code, FileWriter& writer)
{
    std::vector<CatalogueCopyOutcome> outcomes;
    const QStringList names = copyTargetNames(sources, code);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& source = sources[i];
        const QString target = QFileInfo(source).absolutePath() + u'/' + names[i];
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
            outcomes.push_back({CatalogueCopyOutcome::Kind::AlreadyExisting, source, target, {}});
            continue;
        }
        QString error;
        if (!copyFileAtomically(source, target, writer, &error)) {
            outcomes.push_back({CatalogueCopyOutcome::Kind::Failed, source, target, error});
            break;
        }
        outcomes.push_back({CatalogueCopyOutcome::Kind::Copied, source, target, {}});
    }
    return outcomes;
}

} // namespace jvz
