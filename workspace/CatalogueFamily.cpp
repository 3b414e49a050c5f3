#include "workspace/CatalogueFamily.h"

#include "core/Cp1252.h"
#include "core/MBLanguages.h"
#include "platform/FileReader.h"
#include "platform/FileWriter.h"
#include "terminal_files/CatalogList.h"
#include "workspace/AuthoringFiles.h"

#include <QFile>
#include <QFileInfo>

namespace jvz {

QString familyFilePath(const FamilyRequest& request)
{
    QString folder = request.folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + request.name + request.extension;
}

bool familyIsOneOfItsCatalogues(const FamilyRequest& request)
{
    const QString family = familyFilePath(request);
    for (const QString& catalogue : request.catalogues) {
        if (isSameFile(family, catalogue))
            return true;
    }
    return false;
}

namespace {

enum class CatalogueOutcome { Done, Stop };

// One catalogue's lines into the family; Stop when a copy failed and the command must end.
CatalogueOutcome addCatalogue(const QString& catalogue, const QString& folder, QStringList& lines, FamilyResult& result,
                              FileWriter& writer)
{
    CatalogListReader reader;
    if (!reader.OpenTextFileForRead(catalogue)) {
        result.problems.push_back({FamilyProblem::Kind::UnreadableCatalogue, catalogue, {}});
        return CatalogueOutcome::Done;
    }
    const CatalogLineRules rules{CatalogLineRules::EmptyLines::Skip, CatalogLineRules::DirectoryLines::Recognised};
    const QString base = catalogBaseFolder(catalogue);
    while (!reader.AtEndOfStream()) {
        QString line;
        reader.ReadTextLine(line);
        const std::optional<CatalogLineKind> kind = classifyCatalogLine(line, rules);
        if (!kind)
            continue;
        if (*kind != CatalogLineKind::File) {
            lines << line;
            continue;
        }
        const QString name = FileNameOf(line);
        lines << name;
        const QString source = resolveCatalogFile(line, base).localPath();
        if (name.isEmpty() || !QFileInfo(source).isFile()) {
            result.problems.push_back({FamilyProblem::Kind::MissingFile, line, {}});
            return CatalogueOutcome::Done;
        }
        const QString target = folder + name;
        if (isSameFile(source, target))
            continue;
        if (isReadOnlyFile(target))
            clearReadOnly(target);
        QString error;
        if (!copyFileAtomically(source, target, writer, &error)) {
            result.problems.push_back({FamilyProblem::Kind::CopyFailed, target, error});
            return CatalogueOutcome::Stop;
        }
        result.copied << target;
    }
    return CatalogueOutcome::Done;
}

} // namespace

FamilyResult buildFamily(const FamilyRequest& request, FileWriter& writer)
{
    FamilyResult result;
    const QString path = familyFilePath(request);
    if (!QFileInfo(request.folder).isDir()) {
        result.problems.push_back({FamilyProblem::Kind::FolderMissing, request.folder, {}});
        return result;
    }
    if (familyIsOneOfItsCatalogues(request)) {
        result.problems.push_back({FamilyProblem::Kind::FamilyIsSource, path, {}});
        return result;
    }
    const bool exists = QFileInfo::exists(path);
    if (exists && isReadOnlyFile(path)) {
        result.problems.push_back({FamilyProblem::Kind::ReadOnlyFamily, path, {}});
        return result;
    }

    QByteArray content;
    QStringList lines;
    if (exists) {
        QFile old;
        QString openError;
        if (!openRegularFile(old, path, &openError)) {
            result.problems.push_back({FamilyProblem::Kind::FamilyWriteFailed, path, openError});
            return result;
        }
        content = old.readAll();
        // Appended lines start on a line of their own.
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += "\r\n";
    } else {
        lines << QStringLiteral("; ") + request.description;
    }

    QString folder = request.folder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    for (const QString& catalogue : request.catalogues) {
        if (addCatalogue(catalogue, folder, lines, result, writer) == CatalogueOutcome::Stop)
            return result;
    }

    content += encodeLines(lines, true);
    FileWriteError error;
    if (!writer.writeAll(path, content, &error)) {
        result.problems.push_back({FamilyProblem::Kind::FamilyWriteFailed, path, error.text});
        return result;
    }
    result.familyWritten = true;
    return result;
}

QString describeFamilyProblem(const FamilyProblem& problem, const MBLanguages& language)
{
    auto aboutFile = [&](const char* key) {
        QString text = problem.path + QStringLiteral(" : ") + language.GetFormLabel(QLatin1String(key));
        if (!problem.detail.isEmpty())
            text += QStringLiteral("\r\n") + problem.detail;
        return text;
    };
    switch (problem.kind) {
    case FamilyProblem::Kind::MissingFile:
        return language.GetFormLabel(QStringLiteral("MSG_FamilyError")) + problem.path;
    case FamilyProblem::Kind::UnreadableCatalogue:
        return aboutFile("MSG_FileNotFound");
    case FamilyProblem::Kind::FolderMissing:
        return aboutFile("MSG_FolderNotFound");
    case FamilyProblem::Kind::ReadOnlyFamily:
        return aboutFile("MSG_ReadOnlyFile");
    case FamilyProblem::Kind::FamilyIsSource:
        return aboutFile("MSG_FamilyIsSource");
    case FamilyProblem::Kind::CopyFailed:
    case FamilyProblem::Kind::FamilyWriteFailed:
        return aboutFile("MSG_WriteFileError");
    }
    return {};
}

} // namespace jvz
