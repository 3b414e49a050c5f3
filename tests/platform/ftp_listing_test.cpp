// Listing parser, name patterns, the one libcurl-to-error-number table, the SIZE reply and the gets' bounds:
// pure functions, no server.
#include "platform/FtpClient.h"
#include "platform/FtpClientListing.h"
#include "platform/FtpClientReplies.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
}

const QDate Today(2026, 3, 15);

TEST(FtpListingParser, ReadsUnixAndDosLines)
{
    struct Case {
        QByteArray line;
        FtpFileEntry expected;
    };
    const Case cases[] = {
        // The form the test server writes.
        {"-rw-r--r--   1 root     root           11 Mar 09 22:30 A.TXT", {"A.TXT", false, 11, at(2026, 3, 9, 22, 30)}},
        {"drwxr-xr-x   2 root     root         4096 Jan 02  2024 SWAP", {"SWAP", true, 4096, at(2024, 1, 2)}},
        // A time stands for the last twelve months: December is last year's.
        {"-rw-r--r-- 1 u g 5 Dec 31 23:59 OLD.BIN", {"OLD.BIN", false, 5, at(2025, 12, 31, 23, 59)}},
        {"-rw-r--r-- 1 u g 5 Mar 16 08:00 TOMORROW.BIN", {"TOMORROW.BIN", false, 5, at(2026, 3, 16, 8, 0)}},
        // Without a group column, with blanks inside the name, sizes past 32 bits.
        {"-rw-r--r-- 1 owner 3 Feb 01 2025 MY FILE.TXT", {"MY FILE.TXT", false, 3, at(2025, 2, 1)}},
        {"-rw-r--r-- 1 u g 4294967296 Feb 01 2025 BIG", {"BIG", false, 4294967296ULL, at(2025, 2, 1)}},
        {"lrwxrwxrwx 1 u g 7 Feb 01 2025 LINK -> TARGET", {"LINK", false, 7, at(2025, 2, 1)}},
        // DOS form, 12 and 24 hour clocks, two- and four-digit years.
        {"03-09-26  10:30PM       <DIR>          HOST", {"HOST", true, 0, at(2026, 3, 9, 22, 30)}},
        {"03-09-26  12:05AM                 1234 APP.SGN", {"APP.SGN", false, 1234, at(2026, 3, 9, 0, 5)}},
        {"12-31-1999  23:59  1 Y2K.TXT", {"Y2K.TXT", false, 1, at(1999, 12, 31, 23, 59)}},
        {"01-01-70  00:00  0 EPOCH", {"EPOCH", false, 0, at(1970, 1, 1)}},
        // The name is kept as listed after its one separating blank: a leading blank is part of it.
        {"-rw-r--r-- 1 u g 6 Mar 01 2025  LEAD.TXT", {" LEAD.TXT", false, 6, at(2025, 3, 1)}},
        {"03-09-26  12:05AM  6  LEAD.TXT", {" LEAD.TXT", false, 6, at(2026, 3, 9, 0, 5)}},
        {"-rw-r--r-- 1 u g 6 Mar 01 2025 X\rY.TXT", {"X\rY.TXT", false, 6, at(2025, 3, 1)}},
        {QByteArray("-rw-r--r-- 1 u g 6 Mar 01 2025 A\0B.TXT", 38),
         {QByteArray("A\0B.TXT", 7), false, 6, at(2025, 3, 1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        const std::optional<FtpFileEntry> entry = parseFtpListLine(c.line, Today);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->name, c.expected.name);
        EXPECT_EQ(entry->isDirectory, c.expected.isDirectory);
        EXPECT_EQ(entry->size, c.expected.size);
        EXPECT_EQ(entry->lastWrite, c.expected.lastWrite);
    }
}

TEST(FtpListingParser, RefusesWhatIsNotAnEntry)
{
    const QByteArray overlong = "-rw-r--r-- 1 u g 5 Mar 01 2025 " + QByteArray(5000, 'N');
    const QByteArray cases[] = {
        "total 12",
        "",
        "garbage line",
        "-rw-r--r-- 1 u g 5 Mar 01 2025",                      // no name
        "-rw-r--r-- 1 u g 5 Foo 01 2025 X",                    // no month
        "-rw-r--r-- 1 u g 5 Mar 32 2025 X",                    // day out of range
        "-rw-r--r-- 1 u g 5 Mar 01 25:00 X",                   // hour out of range
        "-rw-r--r-- 1 u g 99999999999999999999 Mar 01 2025 X", // size past 63 bits
        "13-01-26  10:30AM  5 X",                              // month out of range
        "03-09-26  10:30AM  <DIR>",                            // no name
        "03-09-26  10:30AM  12x X",                            // size not a number
        overlong,
    };
    for (const QByteArray& line : cases)
        EXPECT_FALSE(parseFtpListLine(line, Today).has_value()) << line.left(80).toStdString();
}

TEST(FtpListingParser, SaysWhichLinesItLeftOutForTheirLengthOrSize)
{
    const struct {
        QByteArray line;
        FtpLineDrop drop;
    } cases[] = {
        {"-rw-r--r-- 1 u g 5 Mar 01 2025 " + QByteArray(5000, 'N'), FtpLineDrop::TooLong},
        {"-rw-r--r-- 1 u g 99999999999999999999 Mar 01 2025 X", FtpLineDrop::SizeTooLarge},
        {"03-09-26  10:30AM  12345678901234567890 X", FtpLineDrop::SizeTooLarge},
        {"total 12", FtpLineDrop::None},
        {"garbage line", FtpLineDrop::None},
        {"-rw-r--r-- 1 u g 5 Foo 01 2025 X", FtpLineDrop::None},
    };
    QByteArrayList lines;
    QList<FtpDroppedLine> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.left(60).toStdString());
        FtpLineDrop drop = FtpLineDrop::TooLong;
        EXPECT_FALSE(parseFtpListLine(c.line, Today, &drop).has_value());
        EXPECT_EQ(drop, c.drop);
        lines << c.line;
        if (c.drop != FtpLineDrop::None)
            expected.append({c.drop, c.line});
    }
    lines << "-rw-r--r-- 1 u g 1 Mar 01 2025 KEPT";
    QList<FtpDroppedLine> dropped;
    ASSERT_EQ(parseFtpListing(lines, Today, &dropped).size(), 1);
    ASSERT_EQ(dropped.size(), expected.size());
    for (qsizetype i = 0; i < dropped.size(); ++i) {
        EXPECT_EQ(dropped[i].reason, expected[i].reason);
        EXPECT_EQ(dropped[i].line, expected[i].line);
    }
}

TEST(FtpListingParser, ANameCutByALineBreakKeepsItsRest)
{
    // "X<CR>Y.TXT" as the transfer delivers it: the CR became a line end.
    const QByteArrayList lines = {"-rw-r--r-- 1 u g 1 Mar 01 2025 X", "Y.TXT", "-rw-r--r-- 1 u g 2 Mar 01 2025 B",
                                  "total 3", "garbage after no entry"};
    const QList<FtpFileEntry> entries = parseFtpListing(lines, Today);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, "X\nY.TXT");
    EXPECT_EQ(entries[1].name, "B");
}

TEST(FtpListingParser, ListingKeepsTheServersOrderAndSkipsNoise)
{
    // Noise ahead of the entries; a line right after an entry is the rest of its name (below).
    const QByteArrayList lines = {"total 3", "nonsense", "-rw-r--r-- 1 u g 1 Mar 01 2025 B",
                                  "-rw-r--r-- 1 u g 2 Mar 01 2025 A"};
    const QList<FtpFileEntry> entries = parseFtpListing(lines, Today);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, "B");
    EXPECT_EQ(entries[1].name, "A");
}

TEST(FtpNamePattern, MatchesLikeTheTerminal)
{
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"APP.SGN", "*", true},       {"NODOT", "*.*", true},     {"APP.SGN", "", true},
        {"APP.SGN", "*.SGN", true},   {"app.sgn", "*.SGN", true}, {"APP.SGN", "*.sgn", true},
        {"APP.SGN", "*.CAT", false},  {"APP.SGN", "A?P.*", true}, {"AP.SGN", "A?P.*", false},
        {"APP.SGN", "APP.SGN", true}, {"APP.SGN", "APP", false},  {"APP.SGN.OLD", "*.SGN", false},
        {"ABCABD", "*ABD", true},     {"X", "**", true},          {"", "?", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesFtpPattern(c.name, c.pattern), c.matches) << c.name << " / " << c.pattern;
}

// A listing double: the lines or the error the server would give.
class ListingClient final : public FtpClient {
public:
    QByteArrayList lines;
    uint32_t error = FtpError::None;

    uint32_t open(const QString&, uint16_t, const QByteArray&, const QByteArray&) override { return 0; }
    bool isOpen() const override { return true; }
    void close() override {}
    uint32_t setCurrentDirectory(const QByteArray&) override { return 0; }
    QByteArray currentDirectory() const override { return "\\"; }
    uint32_t getFile(const QByteArray&, const QString&, FetchBound) override { return 0; }
    uint32_t putFile(const QString&, const QByteArray&) override { return 0; }
    uint32_t deleteFile(const QByteArray&) override { return 0; }
    uint32_t renameFile(const QByteArray&, const QByteArray&) override { return 0; }
    uint32_t listDirectory(QByteArrayList* out) override
    {
        *out = error ? QByteArrayList() : lines;
        return error;
    }
    QByteArray lastResponse() const override { return {}; }
    uint32_t lastError() const override { return error; }
};

TEST(FtpFindFiles, FiltersAndReportsNoMoreFiles)
{
    ListingClient client;
    client.lines = {"-rw-r--r-- 1 u g 1 Mar 01 2025 APP.SGN", "drwxr-xr-x 2 u g 0 Mar 01 2025 SWAP",
                    "-rw-r--r-- 1 u g 1 Mar 01 2025 LIST.CAT"};
    QList<FtpFileEntry> entries;
    EXPECT_EQ(findFtpFiles(client, "*.SGN", &entries, Today), FtpError::None);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, "APP.SGN");

    EXPECT_EQ(findFtpFiles(client, "*.*", &entries, Today), FtpError::None);
    EXPECT_EQ(entries.size(), 3);

    EXPECT_EQ(findFtpFiles(client, "*.XYZ", &entries, Today), FtpError::NoMoreFiles);
    EXPECT_TRUE(entries.isEmpty());

    client.lines.clear();
    EXPECT_EQ(findFtpFiles(client, "*", &entries, Today), FtpError::NoMoreFiles);

    client.error = FtpError::ConnectionAborted;
    EXPECT_EQ(findFtpFiles(client, "*", &entries, Today), FtpError::ConnectionAborted);
}

TEST(FtpErrorMapping, LibcurlResultsBecomeTheReportedNumbers)
{
    struct Case {
        CurlFailure failure;
        uint32_t expected;
    };
    const Case cases[] = {
        {{CURLE_OK, 0, "RETR", false}, FtpError::None},
        {{CURLE_OPERATION_TIMEDOUT, 0, "RETR", false}, 12002},
        {{CURLE_OPERATION_TIMEDOUT, 0, "RETR", false, 150}, 12002},
        // libcurl's "timeout" on a 421 is the terminal closing the session, at any command.
        {{CURLE_OPERATION_TIMEDOUT, 0, "RETR", false, 421}, 12030},
        {{CURLE_OPERATION_TIMEDOUT, 0, "PASS", false, 421}, 12030},
        {{CURLE_OPERATION_TIMEDOUT, ECONNRESET, "CWD", false, 421}, 12030},
        {{CURLE_FTP_ACCEPT_TIMEOUT, 0, "RETR", false}, 12002},
        {{CURLE_REMOTE_FILE_NOT_FOUND, 0, "RETR", false}, 12003},
        {{CURLE_QUOTE_ERROR, 0, "DELE", false}, 12003},
        {{CURLE_UPLOAD_FAILED, 0, "STOR", false}, 12003},
        {{CURLE_REMOTE_ACCESS_DENIED, 0, "CWD", false}, 12003},
        {{CURLE_WEIRD_SERVER_REPLY, 0, "", false}, 12003},
        {{CURLE_LOGIN_DENIED, 0, "PASS", false}, 12014},
        {{CURLE_LOGIN_DENIED, 0, "USER", false}, 12013},
        {{CURLE_COULDNT_CONNECT, ECONNREFUSED, "", false}, 12029},
        {{CURLE_COULDNT_RESOLVE_HOST, 0, "", false}, 12007},
        {{CURLE_RECV_ERROR, 0, "RETR", false}, 12030},
        {{CURLE_GOT_NOTHING, 0, "USER", false}, 12030},
        {{CURLE_PARTIAL_FILE, 0, "RETR", false}, 12030},
        {{CURLE_RECV_ERROR, ECONNRESET, "RETR", false}, 12031},
        {{CURLE_SEND_ERROR, ECONNRESET, "STOR", false}, 12031},
        // A refused reconnection is the session lost, whatever libcurl made of it.
        {{CURLE_COULDNT_CONNECT, 0, "", true}, 12030},
        {{CURLE_WRITE_ERROR, 0, "RETR", false}, FtpError::WriteFault},
        {{CURLE_READ_ERROR, 0, "STOR", false}, FtpError::ReadFault},
        {{CURLE_ABORTED_BY_CALLBACK, 0, "", false}, FtpError::OperationCancelled},
        {{CURLE_SSL_CONNECT_ERROR, 0, "", false}, FtpError::InternalError},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ftpErrorFromCurl(c.failure), c.expected)
            << curl_easy_strerror(CURLcode(c.failure.curlCode)) << " after " << c.failure.lastCommandVerb.constData();
    }
}

// What a get may bring and how long it may run. A size the terminal gave, with its margin, caps it up to the fixed
// cap and never past it (the cut is named for the size only where the size set the cap), and buys its time at the
// rate floor on top of the listing's bound; no size, the fixed cap and the listing's bound; the control files their
// own.
TEST(FetchBoundOfAGet, CapAndTimeFollowTheSizeUpToTheFixedCap)
{
    constexpr qint64 Largest = std::numeric_limits<qint64>::max();
    FtpTimeouts t;
    t.listedMarginBytes = 1000;
    t.unlistedMaxBytes = 100000;
    t.controlFileMaxBytes = 500;
    t.controlFileTotalSeconds = 30;
    t.listingTotalSeconds = 120;
    t.floorBytesPerSecond = 200;
    FtpTimeouts noCap = t;
    noCap.unlistedMaxBytes = 0;
    FtpTimeouts noFloor = t;
    noFloor.floorBytesPerSecond = 0;
    struct Case {
        const char* what;
        FtpTimeouts timeouts;
        FetchBound bound;
        qint64 maxBytes;
        bool followsSize;
        int seconds;
    };
    const Case cases[] = {
        {"empty file", t, FetchBound::listed(0), 1000, true, 120},
        {"small file: the margin, a second begun", t, FetchBound::listed(10), 1010, true, 121},
        {"bytes of a whole number of seconds", t, FetchBound::listed(2000), 3000, true, 130},
        {"a byte more takes a second more", t, FetchBound::listed(2001), 3001, true, 131},
        {"larger file: an eighth", t, FetchBound::listed(80000), 90000, true, 520},
        {"size whose margin passes the fixed cap", t, FetchBound::listed(95000), 100000, false, 595},
        {"size past the fixed cap buys no more than that cap", t, FetchBound::listed(Largest), 100000, false, 620},
        {"size past every number without a fixed cap", noCap, FetchBound::listed(Largest), Largest, true,
         std::numeric_limits<int>::max()},
        {"size without a rate floor: no time bound", noFloor, FetchBound::listed(2000), 3000, true, 0},
        {"unknown size", t, FetchBound::listed(-1), 100000, false, 120},
        {"fetched by name", t, FetchBound::unlisted(), 100000, false, 120},
        {"control file", t, FetchBound::controlFile(), 500, false, 30},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fetchMaxBytes(c.timeouts, c.bound), c.maxBytes) << c.what;
        EXPECT_EQ(fetchCapFollowsSize(c.timeouts, c.bound), c.followsSize) << c.what;
        EXPECT_EQ(fetchTotalSeconds(c.timeouts, c.bound), c.seconds) << c.what;
    }
}

// A terminal's reply to SIZE is its own text: only one plain decimal number is a size.
TEST(FtpSizeReply, OnlyAPlainDecimalNumberIsASize)
{
    struct Case {
        QByteArray reply;
        std::optional<qint64> size;
    };
    const Case cases[] = {
        {"213 0", 0},
        {"213 1500", 1500},
        {"213 1500 ", 1500},
        {"213 999999999999999999", 999999999999999999},
        {"213 9999999999999999999", std::nullopt}, // past the range
        {"213 -5", std::nullopt},
        {"213 +5", std::nullopt},
        {"213 15 00", std::nullopt},
        {"213 0x10", std::nullopt},
        {"213 ", std::nullopt},
        {"213-1500\r\n213 End", std::nullopt},
        {"550 1500", std::nullopt},
        {"2131500", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ftpSizeReply(c.reply), c.size) << c.reply.constData();
}

TEST(FtpHost, UnspecifiedAddressesAreRecognised)
{
    struct Case {
        const char* host;
        bool unspecified;
    };
    const Case cases[] = {
        {"0.0.0.0", true},        {"0", true},        {"0.0", true},        {" 0.0.0.0 ", true}, {"::", true},
        {"::ffff:0.0.0.0", true}, {"", true},         {"127.0.0.1", false}, {"10.0.0.1", false}, {"::1", false},
        {"terminal", false},      {"0.0.0.1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isUnspecifiedFtpHost(c.host), c.unspecified) << "'" << c.host << "'";
}

} // namespace
