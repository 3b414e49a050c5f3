#pragma once

// A catalogue family: the lines of several catalogue lists one after the other, file lines cut to their bare
// names, and every named file copied into the family's folder so that the folder holds a whole load.

#include <QString>
#include <QStringList>
#include <vector>

namespace jvz {

class FileWriter;
class MBLanguages;

struct FamilyRequest {
    QString folder;         // the family's folder
    QString name;           // the family's name, without extension
    QString extension;      // ".M40": the last four characters of the local filter
    QString description;    // the header line of a new family
    QStringList catalogues; // full paths of the catalogue lists, in list order
};

struct FamilyProblem {
    enum class Kind {
        MissingFile,         // a file line names no file: the rest of that catalogue is left out
        UnreadableCatalogue, // a catalogue list could not be opened: it is left out
        FolderMissing,       // the family's folder does not exist: nothing is done
        ReadOnlyFamily,      // the family file is read-only: nothing is done
        FamilyIsSource,      // the family file is one of the catalogues it is made from: nothing is done
        CopyFailed,          // a file could not be copied: the command ends, the family file is not written
        FamilyWriteFailed,   // the family file could not be written; it is as it was
    };
    Kind kind;
    QString path;   // the file line, the catalogue or the file that failed
    QString detail; // the system's description, when there is one
};

struct FamilyResult {
    bool familyWritten = false;
    QStringList copied; // targets written, in order
    std::vector<FamilyProblem> problems;
};

QString familyFilePath(const FamilyRequest& request);

// Whether the family file would be one of its own catalogues (under any spelling of its path).
bool familyIsOneOfItsCatalogues(const FamilyRequest& request);

// Builds the family: appends to an existing family file (a new one starts with "; " and the description),
// copies the named files, and writes the family file at the end through a temporary file.
FamilyResult buildFamily(const FamilyRequest& request, FileWriter& writer);

// The message of a problem, in the table's language; MissingFile is the family error text and the line.
QString describeFamilyProblem(const FamilyProblem& problem, const MBLanguages& language);

} // namespace jvz
