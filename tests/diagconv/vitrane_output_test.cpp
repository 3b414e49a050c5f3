#include "DiaBuilders.h"
#include "ReportCase.h"
#include "diagconv/RunEnv.h"
#include "diagconv/Vitrane.h"

#include <QByteArrayView>
#include <QCryptographicHash>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

// Vitrane's report is read by people and by scripts that compare it with stored ones, so a faster writer
// must give the same bytes. The expected hashes are the SHA-256 of what the previous formatter (one
// vsnprintf string per piece, pieces laid over each other) wrote for the same inputs.
namespace {

std::string sha256(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string report(const std::string& file)
{
    return diagtest::reportOf(&diagconv::vitrane::writeReport, file);
}

// The reports of every file of the fuzz corpus, in name order, one after the other.
std::string corpusReports()
{
    const std::filesystem::path folder = VITRANE_CORPUS_DIR;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    EXPECT_GE(files.size(), 10u) << folder;
    std::string all;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        all += report(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    return all;
}

struct HashCase {
    const char* what;
    std::string (*reportText)();
    const char* previousSha256;
};

const HashCase kHashCases[] = {
    {"fuzz corpus", &corpusReports, "52903706d77a8b70bed68625fb88b1a25004f5a602e5bb62d001c38549fa4a8d"},
    {"16 MiB of pseudo-random records", [] { return report(diagtest::appDefaultFileOfSize(diagconv::kMaxInputBytes)); },
     "0b75eaf748ab3ddf5d9edda4e151ce94ecc0822a39cfd9495bdacc9b34f96fc7"},
};

void PrintTo(const HashCase& c, std::ostream* os)
{
    *os << c.what;
}

class VitraneOutputTest : public testing::TestWithParam<HashCase> {};

TEST_P(VitraneOutputTest, SameBytesAsThePreviousFormatter)
{
    EXPECT_EQ(sha256(GetParam().reportText()), GetParam().previousSha256) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Inputs, VitraneOutputTest, testing::ValuesIn(kHashCases),
                         [](const testing::TestParamInfo<HashCase>& row) {
                             return diagtest::testName(row.param.what);
                         });

} // namespace
