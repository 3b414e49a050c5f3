#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace jvz {

// Result codes of a run, written to the batch result file for scripts. The numbers are fixed forever:
// scripts compare them, so a code is never renumbered or reused for another meaning.
enum class BatchCode : int16_t {
    Success = 0,
    FileNotFound = -2,           // the catalogue list cannot be found or opened
    TerminalFileOrSpace = -4,    // a listed or needed file is missing, or the exchange directory lacks space
    StartupFileMissing = -6,     // main INI, language, product-code or bookmark file missing
    ConnectionSetup = -7,        // dial-up entry cannot be set up or is not found
    PppLinkFailed = -8,          // the PPP link failed
    FtpOpenFailed = -9,          // the FTP session could not be opened
    FtpOperationFailed = -10,    // an FTP operation failed
    NoAnswer = -11,              // the terminal does not answer
    IdentificationRefused = -13, // the terminal's identification is refused
    ActivityNotAuthorised = -14, // the terminal refuses the requested activity
    EndOfActivityProblem = -15,  // the terminal reports a problem at the end of the activity
    DownloadForbidden = -17,     // a download asked while the activity is diagnostic
    PhonebookNotFound = -18,     // the private phonebook is missing
    PortUnknown = -19,           // the terminal's port is unknown
    CatalogueNotAdapted = -20,   // the catalogue does not suit the terminal
    TransferCancelled = -21,     // the user cancelled a batch transfer
};

// A short English description of the code, for people reading logs (not the run's message text).
const char* describe(BatchCode code);

// The code of a number, or nothing for a number that is not in the table (-1, -3, -5, -12, -16...).
std::optional<BatchCode> batchCodeFromNumber(int number);

// Fixed texts that some failures put in the result file as they are (not translated).
namespace BatchText {
inline constexpr const char* CatalogueNotFound = "catalogue file not found";
inline constexpr const char* PhonebookNotFound = "can not found the RAS phonebook";
inline constexpr const char* PortUnknown = "COM port unknown";
} // namespace BatchText

inline const QString kCrLf = QStringLiteral("\r\n");

// The result of a run: the code for scripts and the accumulated message for people.
struct BatchErrorCode {
    int16_t gErrorCode = 0;
    QString gErrorText;

    bool failed() const { return gErrorCode != 0; }
    BatchCode code() const { return static_cast<BatchCode>(gErrorCode); }

    // Records a failure, replacing the previous message.
    void set(BatchCode code, const QString& text)
    {
        gErrorCode = static_cast<int16_t>(code);
        gErrorText = text;
    }
    // Messages that accumulate one per line: the text and CR LF go after what is there.
    void appendLine(const QString& text) { gErrorText += text + kCrLf; }
    // A remark on a new line below the message: CR LF, then the text.
    void appendOnNewLine(const QString& text) { gErrorText += kCrLf + text; }
    void reset()
    {
        gErrorCode = 0;
        gErrorText.clear();
    }
};

} // namespace jvz
