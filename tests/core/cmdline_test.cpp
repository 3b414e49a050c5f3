#include "core/BatchErrorCode.h"

#include <gtest/gtest.h>

using namespace jvz;

// Scripts compare these numbers: a renumbered code breaks every caller of the batch mode.
TEST(BatchErrorCodeTable, NumbersAreFixed)
{
    const std::pair<BatchCode, int> table[] = {
        {BatchCode::Success, 0},
        {BatchCode::FileNotFound, -2},
        {BatchCode::TerminalFileOrSpace, -4},
        {BatchCode::StartupFileMissing, -6},
        {BatchCode::ConnectionSetup, -7},
        {BatchCode::PppLinkFailed, -8},
        {BatchCode::FtpOpenFailed, -9},
        {BatchCode::FtpOperationFailed, -10},
        {BatchCode::NoAnswer, -11},
        {BatchCode::IdentificationRefused, -13},
        {BatchCode::ActivityNotAuthorised, -14},
        {BatchCode::EndOfActivityProblem, -15},
        {BatchCode::DownloadForbidden, -17},
        {BatchCode::PhonebookNotFound, -18},
        {BatchCode::PortUnknown, -19},
        {BatchCode::CatalogueNotAdapted, -20},
        {BatchCode::TransferCancelled, -21},
    };
    for (const auto& [code, number] : table) {
        EXPECT_EQ(static_cast<int>(code), number);
        EXPECT_EQ(batchCodeFromNumber(number), code) << number;
        EXPECT_STRNE(describe(code), "") << number;
    }
}

TEST(BatchErrorCodeTable, UnusedNumbersAreNotCodes)
{
    for (int n : {-1, -3, -5, -12, -16, -22, 1, 32767})
        EXPECT_FALSE(batchCodeFromNumber(n).has_value()) << n;
}

TEST(BatchErrorCodeTable, MessagesAccumulateOnePerLine)
{
    BatchErrorCode r;
    EXPECT_FALSE(r.failed());
    r.set(BatchCode::FtpOperationFailed, "");
    r.appendLine("first");
    r.appendLine("second");
    EXPECT_EQ(r.gErrorCode, -10);
    EXPECT_EQ(r.gErrorText, "first\r\nsecond\r\n");
    r.appendOnNewLine("note");
    EXPECT_EQ(r.gErrorText, "first\r\nsecond\r\n\r\nnote");
    r.set(BatchCode::NoAnswer, "gone");
    EXPECT_EQ(r.code(), BatchCode::NoAnswer);
    EXPECT_EQ(r.gErrorText, "gone");
    r.reset();
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(r.gErrorText.isEmpty());
}
