#pragma once

#include <QString>
#include <QStringList>

namespace jvz {

struct AppSettings;
struct BatchRun;

// The options of the command line. The arguments are joined with one blank; a "-" (or a run of them) that
// begins an argument starts a new option, a "-" inside an argument belongs to its value. Options keep the
// blank that stood before the next one, as the scripts written for this program expect.
class CommandLineTokens {
public:
    explicit CommandLineTokens(const QStringList& arguments);
    // The next option text (letter and value); empty once the options are used up.
    QString next();

private:
    QStringList m_tokens;
    qsizetype m_index = 0;
};

// Fills the request from the arguments after the program name; sets -2 when the catalogue list is missing.
// Also resets the FTP credentials, which the options "l" and "p" may give.
void ParseCommandLine(const QStringList& arguments, BatchRun& batch, AppSettings& settings);

// Reads the options that follow the first one. Lower-case letters only; others are ignored.
void ParseCommandOptions(CommandLineTokens& tokens, BatchRun& batch, AppSettings& settings);

} // namespace jvz
