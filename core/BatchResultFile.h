#pragma once

#include <QString>

namespace jvz {

struct BatchRun;
class FileWriter;
class MBLanguages;

// Name of the result file in the program folder when the command line names none.
inline constexpr const char* kDefaultResultFileName = "ResBatch.txt";

// Message used when the result file cannot be written and no language table is loaded yet.
inline constexpr const char* kErrWriteResultFallback = "Cannot write the result file";

// Writes the result file of the run: the code in decimal, CR LF, the message, CR LF, in the 8-bit code page.
// An empty gResultFile becomes "ResBatch.txt" in programFolder (the field keeps it). An existing file is
// removed first, so a script never reads the result of an earlier run. On failure only gErrorText is
// extended: CR LF, the "MSG_ErrWriteResult" text (language may be null before the table is loaded), " '",
// the path and "'". Returns true when the file was written.
bool WriteBatchResult(BatchRun& batch, const QString& programFolder, const MBLanguages* language, FileWriter& writer);

} // namespace jvz
