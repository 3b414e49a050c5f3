#include "core/BatchErrorCode.h"

namespace jvz {

const char* describe(BatchCode code)
{
    switch (code) {
    case BatchCode::Success:
        return "success";
    case BatchCode::FileNotFound:
        return "the catalogue list is not found";
    case BatchCode::TerminalFileOrSpace:
        return "a file the catalogue lists is missing, or the terminal lacks a file or exchange space";
    case BatchCode::StartupFileMissing:
        return "a start-up file is missing";
    case BatchCode::ConnectionSetup:
        return "the dial-up connection could not be set up, or its entry is not found";
    case BatchCode::PppLinkFailed:
        return "the PPP link failed";
    case BatchCode::FtpOpenFailed:
        return "the FTP session could not be opened";
    case BatchCode::FtpOperationFailed:
        return "an FTP operation failed";
    case BatchCode::NoAnswer:
        return "the terminal does not answer";
    case BatchCode::IdentificationRefused:
        return "the terminal's identification is refused";
    case BatchCode::ActivityNotAuthorised:
        return "the requested activity is not authorised by the terminal";
    case BatchCode::EndOfActivityProblem:
        return "the terminal reports a problem at the end of the activity";
    case BatchCode::DownloadForbidden:
        return "a download is asked while the activity is diagnostic";
    case BatchCode::PhonebookNotFound:
        return "the dial-up phonebook is not found";
    case BatchCode::PortUnknown:
        return "the port is unknown";
    case BatchCode::CatalogueNotAdapted:
        return "the catalogue is not adapted to the terminal";
    case BatchCode::TransferCancelled:
        return "the transfer was cancelled by the user";
    }
    return "unknown result code";
}

std::optional<BatchCode> batchCodeFromNumber(int number)
{
    static constexpr BatchCode all[] = {
        BatchCode::Success,
        BatchCode::FileNotFound,
        BatchCode::TerminalFileOrSpace,
        BatchCode::StartupFileMissing,
        BatchCode::ConnectionSetup,
        BatchCode::PppLinkFailed,
        BatchCode::FtpOpenFailed,
        BatchCode::FtpOperationFailed,
        BatchCode::NoAnswer,
        BatchCode::IdentificationRefused,
        BatchCode::ActivityNotAuthorised,
        BatchCode::EndOfActivityProblem,
        BatchCode::DownloadForbidden,
        BatchCode::PhonebookNotFound,
        BatchCode::PortUnknown,
        BatchCode::CatalogueNotAdapted,
        BatchCode::TransferCancelled,
    };
    for (BatchCode c : all) {
        if (static_cast<int>(c) == number)
            return c;
    }
    return std::nullopt;
}

} // namespace jvz
