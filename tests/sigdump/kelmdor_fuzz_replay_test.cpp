// Replays the fuzz corpus; in the sanitised build this runs under ASan and UBSan.
#include "TestEnv.h"
#include "sigdump/FuzzEntry.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

std::filesystem::path corpusFolder()
{
    const char* env = std::getenv("JVZ_SOURCE_DIR");
    return std::filesystem::path(env && *env ? env : JVZ_TEST_SOURCE_DIR) / "sigdump" / "fuzz" / "corpus";
}

TEST(KelmdorFuzzCorpus, EveryInputDumpsWithoutFault)
{
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpusFolder())) {
        if (!entry.is_regular_file())
            continue;
        const std::string bytes = jvztest::readFileBytes(entry.path().string());
        std::ostringstream report;
        kelmdor::dumpFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), report);
        EXPECT_TRUE(report.good()) << entry.path();
        ++inputs;
    }
    EXPECT_GT(inputs, 0u) << "no corpus in " << corpusFolder();
}

} // namespace
