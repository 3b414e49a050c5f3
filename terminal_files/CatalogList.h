#pragma once

// Catalogue lists as the transfers read them: one reader, the kinds of line, and where a file line points.
// Lists come from Windows (CR LF, "\" paths, drive letters) or from Linux (LF, "/" paths); both read alike.

#include "core/CaseLookup.h"
#include "platform/FileReader.h"

#include <QString>
#include <functional>
#include <optional>

namespace jvz {

enum class CatalogLineKind {
    End,       // an empty line (or the end of the file): the list stops there
    Directory, // "-e" and the terminal directory of the file lines that follow
    Comment,   // ";" and anything
    File,      // a local file to transfer
};

// Classifies the raw line, never trimmed: "-E" is a file line, " ;x" too.
CatalogLineKind classifyCatalogLine(const QString& line);

// The line rules of a caller. The transfers (the defaults) stop at the first empty line and know directory
// lines; the authoring commands read every line of a list and some of them take "-e" lines for file names.
struct CatalogLineRules {
    enum class EmptyLines {
        EndList,   // an empty line ends the list
        Skip,      // an empty line is skipped, the list goes on
        SkipBlank, // a line of blanks only is skipped too
    };
    enum class DirectoryLines { Recognised, AsFiles };

    EmptyLines empty = EmptyLines::EndList;
    DirectoryLines directories = DirectoryLines::Recognised;
};

// Classifies the raw line by the caller's rules; nothing for a line the rules skip.
std::optional<CatalogLineKind> classifyCatalogLine(const QString& line, const CatalogLineRules& rules);

// The terminal directory of a directory line: after "-e", trailing blanks removed, leading blanks kept,
// upper-cased.
QString catalogDirectoryArgument(const QString& line);

// The part after the last "\" or "/" (the whole text without one).
QString FileNameOf(const QString& path);
// The part up to and including the last "\" or "/" (empty without one).
QString FolderOf(const QString& path);

enum class CatalogPathForm {
    DriveAbsolute, // "C:\LOADS\APP.SGN", "C:APP.SGN"
    Network,       // "\\SERVER\SHARE\APP.SGN"
    Absolute,      // "/srv/loads/APP.SGN", written on Linux
    DriveRooted,   // "\LOADS\APP.SGN": the root of the list's drive, "/" here
    Relative,      // "SUB\APP.SGN", against the base folder
};

// A file line resolved to a local file.
struct CatalogFileRef {
    CatalogPathForm form = CatalogPathForm::Relative;
    QString folder; // local, "/" separated; ends in "/" or is empty (the current folder)
    QString name;   // the name as written; upper-cased only on the terminal side

    QString localPath() const { return folder + name; }
};

// Resolves a file line; baseFolder (local, ending in "/" or empty) is where relative lines start.
// Network and absolute lines keep their own folder.
CatalogFileRef resolveCatalogFile(const QString& line, const QString& baseFolder);
// The same, for the lines of one pass over a list: each folder searched for a name in another case is read once.
CatalogFileRef resolveCatalogFile(const QString& line, const QString& baseFolder, PathCaseResolver& resolver);

// The base folder of the lines of a list: the list's own folder.
QString catalogBaseFolder(const QString& listPath);

// Whether a list suits the terminal of that product code: the last three characters of its path, upper-cased,
// are the product code; with AnyX a list whose path ends in "X" suits every terminal.
enum class XListRule { NotAccepted, AnyX };
bool catalogSuitsTerminal(const QString& listPath, const QString& productCode, XListRule rule);

// Reads a list line by line: CR LF, CR and LF all end a line; text is Windows-1252. Only one list is read
// at a time, as the transfers do. The list is read whole when it is opened: only a regular file within the
// ceiling, so a FIFO, a device or a folder given as a list is refused at once instead of read for ever.
class CatalogListReader {
public:
    // A longer line is cut to this many characters (the rest of it is skipped).
    static constexpr qsizetype MaxLineLength = 32767;
    // Real lists are a few kilobytes.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // reader: how the file is read; the real reader of regular files when null.
    explicit CatalogListReader(FileReader* reader = nullptr);

    bool OpenTextFileForRead(const QString& path);
    // Empty at the end of the file; an empty line reads the same, and callers stop on both.
    void ReadTextLine(QString& line);
    // True once every line has been read, for callers that read on past empty lines.
    bool AtEndOfStream();
    void CloseTextFile();
    bool isOpen() const { return m_open; }

private:
    int nextByte();

    FileReader& m_reader;
    bool m_open = false;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
};

// Walks a list up to its end, handing directory and file lines to their actions; comments are skipped.
// An action answers false to stop the walk there, which then answers false too.
using CatalogLineAction = std::function<bool(const QString&)>;
bool forEachListLine(CatalogListReader& reader, const CatalogLineAction& onDirectory, const CatalogLineAction& onFile);

} // namespace jvz
