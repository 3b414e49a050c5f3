#pragma once

// Moving one catalogue file at a time between the PC and the terminal's current FTP directory, with the
// copy progress window, the status bar and the trace. A long name never stands half-written on the
// terminal: the file goes under a short temporary name first and is renamed once complete.

#include "platform/FtpClient.h"
#include "terminal_files/TransferContext.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace jvz {

// Names of this many characters or more go through the temporary name.
inline constexpr qsizetype kTemporaryNameThreshold = 16;

// "TMP" and the last four characters of the seconds since midnight written as a number with its leading
// blank, rounded half to even: 3512.4 gives "TMP3512", 5 gives "TMP 5", 43512 gives "TMP3512".
QString TemporaryPutName(double secondsSinceMidnight);

// The terminal's name of a file: upper case, in the terminal's code page. Nothing when the name holds a
// character the code page has no byte for: written with '?' it would reach the terminal as another file's name.
std::optional<QByteArray> terminalFileName(const QString& name);

// A name with no exact terminal name is refused: a message names the file (path: the local file, or the name
// it was to take), a trace line too, and in an unattended run the result records it (the notifier does not wait
// there). True when refused; nothing is then sent for it.
bool refuseInexactLocalName(TransferContext& ctx, const QString& name, const QString& path);

// Whether a name can be used as a single file name on either side: not empty, not "." or "..", no
// separator and no control character.
bool isPlainFileName(const QString& name);

// A listed terminal name that cannot go back on the wire as listed (see isPlainFileName) is refused: a
// message names it, a trace line too, and true is returned. Nothing is sent for it, never another name.
bool refuseUnsendableTerminalName(TransferContext& ctx, const QString& listedName);
// A name with its control characters written out ("X<CR>Y.TXT"), for messages and traces.
QString visibleName(const QString& name);

// How a file that arrived complete under a temporary name takes the name of an older file.
enum class OldFileRoad {
    DeleteFirst, // the old file goes, then the rename
    RenameOver,  // a rename onto the old name; a server that refuses it gets DeleteFirst's road
};

struct NameTaken {
    uint32_t error = 0;                 // the rename's, when the file did not take its name
    bool temporaryHoldsTheFile = false; // the old file went and the new one stands only under the temporary name
};

// The new file stands complete under temporary and takes finalName, over an older file standing there. Once
// the old file is gone the new one is never lost: a refused rename stores localPath again under the final name,
// and when that fails too the file stays under the temporary name. A failure is left to the caller to report,
// and the temporary file to remove unless it holds the file.
NameTaken giveTemporaryItsName(TransferContext& ctx, const QString& localPath, const QByteArray& temporary,
                               const QByteArray& finalName, OldFileRoad road);

// Puts localFolder + name into the current terminal directory under the upper-cased name, or under the
// upper-cased remoteName when one is given. first opens the progress window (an empty destLabel then
// becomes "."); total is the operation's file count. cancelled takes the progress window's Cancel once the
// file is done, whatever its outcome. True when the file stands under its final name; a failure is reported
// through the host.
// While the progress window's Cancel can cut a put short, a short name that already stands in the directory
// (the operation lists each directory once, at its first put) goes through the temporary name and a rename
// over the old file, so a cancel leaves the old file whole; a new name is stored straight away, and what a
// cancel left of it is removed. Whatever a cancel leaves and the terminal refuses to delete is reported.
bool FtpPutFileSafe(TransferContext& ctx, const QString& name, const QString& localFolder, QString& destLabel,
                    bool first, bool& cancelled, int total, const QString& remoteName = QString());

// How the terminal is asked for a file: the catalogue lists' names upper-cased, a listed name as listed.
enum class TerminalNameCase { UpperCased, AsListed };

// Gets name from the current terminal directory into localFolder + name, bringing no more than bound allows
// (a file of the terminal list: its listed size and the margin). A name with no listing asks its size first.
bool FtpGetFileTraced(TransferContext& ctx, const QString& name, const QString& localFolder, QString& srcLabel,
                      bool first, bool& cancelled, int total, TerminalNameCase nameCase = TerminalNameCase::UpperCased,
                      FetchBound bound = FetchBound::unlisted());

} // namespace jvz
