#pragma once

// Moving one catalogue file at a time between the PC and the terminal's current FTP directory, with the
// copy progress window, the status bar and the trace. A long name never stands half-written on the
// terminal: the file goes under a short temporary name first and is renamed once complete.

#include "terminal_files/TransferContext.h"

#include <QByteArray>
#include <QString>

namespace jvz {

// Names of this many characters or more go through the temporary name.
inline constexpr qsizetype kTemporaryNameThreshold = 16;

// "TMP" and the last four characters of the seconds since midnight written as a number with its leading
// blank, rounded half to even: 3512.4 gives "TMP3512", 5 gives "TMP 5", 43512 gives "TMP3512".
QString TemporaryPutName(double secondsSinceMidnight);

// The terminal's name of a file: upper case, in the terminal's code page.
QByteArray terminalFileName(const QString& name);

// Whether a name can be used as a single file name on either side: not empty, not "." or "..", no
// separator and no control character.
bool isPlainFileName(const QString& name);

// A listed terminal name that cannot go back on the wire as listed (see isPlainFileName) is refused: a
// message names it, a trace line too, and true is returned. Nothing is sent for it, never another name.
bool refuseUnsendableTerminalName(TransferContext& ctx, const QString& listedName);
// A name with its control characters written out ("X<CR>Y.TXT"), for messages and traces.
QString visibleName(const QString& name);

// Puts localFolder + name into the current terminal directory under the upper-cased name, or under the
// upper-cased remoteName when one is given. first opens the progress window (an empty destLabel then
// becomes "."); total is the operation's file count. cancelled takes the progress window's Cancel once the
// file is done, whatever its outcome. True when the file stands under its final name; a failure is reported
// through the host.
bool FtpPutFileSafe(TransferContext& ctx, const QString& name, const QString& localFolder, QString& destLabel,
                    bool first, bool& cancelled, int total, const QString& remoteName = QString());

// How the terminal is asked for a file: the catalogue lists' names upper-cased, a listed name as listed.
enum class TerminalNameCase { UpperCased, AsListed };

// Gets name from the current terminal directory into localFolder + name.
bool FtpGetFileTraced(TransferContext& ctx, const QString& name, const QString& localFolder, QString& srcLabel,
                      bool first, bool& cancelled, int total, TerminalNameCase nameCase = TerminalNameCase::UpperCased);

} // namespace jvz
