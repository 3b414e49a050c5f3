// Safe behaviour where a careless reading would lose files, report failure as success or read out of bounds.
#include "KelmdorHarness.h"
#include "LzssPacker.h"
#include "SignedFileBuilder.h"
#include "TestEnv.h"
#include "sigdump/Kelmdor.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace sigtest;

const std::string kScratchMessage = "\n\nCan't create temporary file (check: write protection,...)\n";

std::string legacyFile()
{
    return lzssPack(std::string(200, 'b')) + legacyBlock({});
}

TEST(KelmdorScratchFile, UnpackingLeavesTheInputFolderAsItWas)
{
    struct Row {
        const char* inputName;
        std::string content;
        const char* columns; // proof that the unpacked copy was scanned
    };
    const Row rows[] = {
        {"APP.AGN", zippedComponent(std::string(500, 'z')), " 01020304 00000040"},
        {"FOutp.sgn", zippedComponent(std::string(500, 'z')), " 01020304 00000040"}, // the old scratch name
        {"OLD.SGN", legacyFile(), " 11223344 00000020"},
        {"FOutp.sgn", legacyFile(), " 11223344 00000020"},
    };
    for (const Row& row : rows) {
        const std::string folder = jvztest::makeScratchDir("keep");
        const std::string input = folder + "/" + row.inputName;
        ASSERT_TRUE(jvztest::writeFileBytes(input, row.content));
        const bool userFile = std::string(row.inputName) != "FOutp.sgn";
        if (userFile) {
            ASSERT_TRUE(jvztest::writeFileBytes(folder + "/FOutp.sgn", "the user's own file"));
        }
        const auto before = folderListing(folder);
        const RunResult r = dumpToFile({"-m"}, input);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.report.find(row.columns), std::string::npos) << row.inputName << r.report;
        EXPECT_EQ(folderListing(folder), before) << row.inputName;
        EXPECT_EQ(jvztest::readFileBytes(input), row.content) << row.inputName;
        if (userFile) {
            EXPECT_EQ(jvztest::readFileBytes(folder + "/FOutp.sgn"), "the user's own file");
        }
    }
}

TEST(KelmdorScratchFile, NoScratchFileMeansNoCertificateReport)
{
    struct Row {
        const char* what;
        bool failCreate;
        std::string content;
        std::string bodyStart; // the text before the scratch message
    };
    const Row rows[] = {
        {"zipped component, no scratch file", true, zippedComponent("code"), "DESCRIPTOR\n"},
        {"zipped component, scratch refuses writes", false, zippedComponent("code"), "DESCRIPTOR\n"},
        {"legacy file, no scratch file", true, legacyFile(), ""},
        {"legacy file, scratch refuses writes", false, legacyFile(), ""},
    };
    for (const Row& row : rows) {
        FaultyFileSystem fs;
        fs.failScratch = row.failCreate;
        fs.scratchWritesFail = !row.failCreate;
        const std::string path = writeInput("X.SGN", row.content);
        const RunResult r = dumpToFile({"-m"}, path, fs);
        EXPECT_EQ(r.exitCode, 0) << row.what;
        const std::string tail = kScratchMessage + "File without certificat\n\n";
        ASSERT_GE(r.report.size(), tail.size()) << row.what;
        EXPECT_EQ(r.report.substr(r.report.size() - tail.size()), tail) << row.what;
        EXPECT_EQ(r.report.compare(reportHead(path).size(), row.bodyStart.size(), row.bodyStart), 0) << row.what;
        EXPECT_EQ(r.report.find("CERTIFICATES"), std::string::npos) << row.what;
    }
}

TEST(KelmdorOutputFile, UnwritableOutputExitsWithFive)
{
    const std::string input = writeInput("APP.AGN", componentHeader({}) + signatureTrailer({}));
    struct Row {
        const char* what;
        bool openFails;
        long failAfter;
        const char* console;
    };
    const Row rows[] = {
        {"cannot be created", true, -1, " not open to write\n"},
        {"fails at the first write", false, 0, " not written\n"},
        {"fails half-way through the report", false, 200, " not written\n"},
    };
    for (const Row& row : rows) {
        FaultyFileSystem fs;
        fs.outputOpenFails = row.openFails;
        fs.outputFailsAfter = row.failAfter;
        const RunResult r = dumpToFile({"-m"}, input, fs);
        EXPECT_EQ(r.exitCode, 5) << row.what;
        EXPECT_NE(r.console.find(row.console), std::string::npos) << row.what << r.console;
    }
}

TEST(KelmdorOutputFile, OutputInMissingFolderExitsWithFiveAndLeavesNothing)
{
    const std::string input = writeInput("APP.AGN", componentHeader({}) + signatureTrailer({}));
    const std::string folder = jvztest::makeScratchDir("missing");
    const std::string output = folder + "/no/such/report.txt";
    std::ostringstream console, err;
    const int code = kelmdor::run({"-m", input, output}, console, err);
    EXPECT_EQ(code, 5);
    EXPECT_EQ(console.str(), "\nKelmdor : v03.08\n\nError : " + output + " not open to write\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(KelmdorOutputFile, ReportReplacesAnOldFileAndLeavesNoTemporarySibling)
{
    const std::string input = writeInput("APP.AGN", componentHeader({}) + signatureTrailer({}));
    const std::string folder = jvztest::makeScratchDir("out");
    const std::string output = folder + "/report.txt";
    ASSERT_TRUE(jvztest::writeFileBytes(output, std::string(100000, 'o')));
    std::ostringstream console, err;
    EXPECT_EQ(kelmdor::run({"-m", input, output}, console, err), 0);
    EXPECT_EQ(jvztest::readFileBytes(output).rfind(reportHead(input), 0), 0u);
    EXPECT_EQ(folderListing(folder).size(), 1u);
}

// Fields and counts read from the file never lead outside it.
TEST(KelmdorBounds, HostileLayoutsGiveSaneReports)
{
    struct Row {
        const char* what;
        std::string name;
        std::string content;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    std::vector<Row> rows;

    // An issuer with dates right at the start of the unpacked copy has no room for its header.
    rows.push_back({"certificate marker too near the start",
                    "APP.AGN",
                    zippedComponent(kIssuer + "0102202331122030" + std::string(300, 'z')),
                    {" Application:MYAPP            01020304 00000040 1234 F0FF-FFFF-00 12 FE\n"},
                    {"00000000 0000"}});

    {
        Descriptor d;
        d.componentType = '4';
        KeyBlock k;
        k.declaredKeys = 1000000;
        rows.push_back(
            {"key count far larger than the file",
             "KEYS.KEY",
             componentHeader(d) + keyBlock(k) + keyEntry(3, 0x0101) + keyEntry(7, 0x0101) + signatureTrailer({}),
             {"Number of keys:     1000000\n", "Keys number:        (3,7,"},
             {"CERTIFICATES\n------------             CRC  Card Nb  Key Nb   VI   Repud.Keys   KS CT\n "}});
        k.declaredKeys = 0xFFFFFFFF;
        rows.push_back({"negative key count",
                        "KEYS.KEY",
                        componentHeader(d) + keyBlock(k) + signatureTrailer({}),
                        {"Number of keys:     -1\n", " Application:MYAPP"},
                        {"Keys number"}});
    }

    {
        // The CRC of key number 5 runs 262 bytes past the trailer; here the file ends 100 bytes after it.
        Certificate c;
        c.keyNumber = 5;
        const std::string file = std::string(104, 'N') + std::string(150, 'c') + certificate(c) + std::string(100, 0);
        rows.push_back({"CRC end past the end of the file",
                        "RAW.BIN",
                        file,
                        {"       Name :RAW" + std::string(9, ' ') + hex4(referenceCrc(file)) + " 01020304 00000005"},
                        {}});
    }

    rows.push_back({"only dot in a folder name",
                    "dir.d/RAWFILE",
                    std::string(104, 'N') + std::string(50, 'c') + signatureTrailer({}),
                    {"\n       Name :           "},
                    {"Name :dir"}});

    {
        Descriptor d;
        d.name = std::string("AB\0CD", 5);
        rows.push_back({"NUL inside the component name",
                        "APP.AGN",
                        componentHeader(d) + signatureTrailer({}),
                        {" Application:AB CD            01020304 00000040 1234 F0FF-FFFF-00 12 FE\n"},
                        {}});
    }

    {
        // A legacy block at the very start of the unpacked copy: its CRC range would end before it starts.
        rows.push_back({"legacy CRC range ending before its start",
                        "OLD.SGN",
                        lzssPack(legacyBlock({}) + std::string(100, 'b')) + legacyBlock({}),
                        {"       Name :OLD              11223344 00000020 05 07 "},
                        {}});
    }

    for (const Row& row : rows) {
        const std::string folder = jvztest::makeScratchDir("bounds");
        const std::string path = folder + "/" + row.name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        ASSERT_TRUE(jvztest::writeFileBytes(path, row.content));
        const RunResult r = dumpToFile({"-m"}, path);
        EXPECT_EQ(r.exitCode, 0) << row.what;
        for (const std::string& text : row.present)
            EXPECT_NE(r.report.find(text), std::string::npos) << row.what << "\n" << r.report;
        for (const std::string& text : row.absent)
            EXPECT_EQ(r.report.find(text), std::string::npos) << row.what << "\n" << r.report;
    }
}

TEST(KelmdorBounds, LongKeyListIsCutWithinItsText)
{
    Descriptor d;
    d.componentType = '4';
    KeyBlock k;
    k.declaredKeys = 60;
    std::string keys;
    for (uint32_t n = 1000; n < 1060; ++n)
        keys += keyEntry(n, 0x0101);
    const std::string path = writeInput("KEYS.KEY", componentHeader(d) + keyBlock(k) + keys + signatureTrailer({}));
    const RunResult r = dumpToFile({"-m"}, path);
    const std::string lead = "Keys number:        ";
    const size_t at = r.report.find(lead);
    ASSERT_NE(at, std::string::npos);
    const std::string list = r.report.substr(at + lead.size(), r.report.find('\n', at) - at - lead.size());
    EXPECT_LE(list.size(), 99u);
    EXPECT_EQ(list.rfind("(1000,1001,", 0), 0u) << list;
    EXPECT_EQ(list.substr(list.size() - 4), "...)") << list;
    // The scan still starts behind the last key entry.
    EXPECT_NE(r.report.find(" Application:MYAPP"), std::string::npos);
}

TEST(KelmdorBounds, OverlongInputPathIsRefused)
{
    const std::string path = jvztest::makeScratchDir("long") + "/" + std::string(200, 'L') + ".AGN";
    const RunResult r = dumpToFile({}, path);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.report, "\nKelmdor : v03.08\n\nError : input path longer than 199 characters\n");
}

} // namespace
