#pragma once

// Copies of catalogue lists for another product: the same base names with the chosen product code as
// extension, beside the sources.

#include <QString>
#include <QStringList>
#include <vector>

namespace jvz {

class FileWriter;

// The product-code lines offered as targets: every line but that of the code the local filter shows
// ("*." and the line's first three characters equal to the filter text), and no line whose code holds a
// pattern character, since no file may be named after a pattern.
QStringList copyTargetLines(const QStringList& productCodeLines, const QString& filterText);

// The product code of a line: its first three characters, upper-cased.
QString productCodeOfLine(const QString& line);

// The target names, one per source: the source's name without extension, ".", the code.
QStringList copyTargetNames(const QStringList& sources, const QString& code);

struct CatalogueCopyOutcome {
    enum class Kind { Copied, AlreadyExisting, Failed };
    Kind kind;
    QString source;
    QString target; // full path
    QString detail; // the system's description of a failure
};

// Copies each source to the target of the same position in its own folder, never over an existing file; the
// copying ends at the first failure. An empty or pattern code copies nothing.
std::vector<CatalogueCopyOutcome> copyCatalogues(const QStringList& sources, const QString& code, FileWriter& writer);

} // namespace jvz
