#include "KelmdorHarness.h"

#include "TestEnv.h"
#include "sigdump/Kelmdor.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <streambuf>
#include <unistd.h>

namespace sigtest {

std::string writeInput(const std::string& name, const std::string& content)
{
    const std::string path = jvztest::makeScratchDir("in") + "/" + name;
    jvztest::writeFileBytes(path, content);
    return path;
}

RunResult dumpToFile(const std::vector<std::string>& options, const std::string& inputPath)
{
    kelmdor::PosixFileSystem fs;
    return dumpToFile(options, inputPath, fs);
}

RunResult dumpToFile(const std::vector<std::string>& options, const std::string& inputPath, kelmdor::FileSystem& fs)
{
    const std::string outPath = jvztest::makeScratchDir("out") + "/report.txt";
    std::vector<std::string> args = options;
    args.push_back(inputPath);
    args.push_back(outPath);
    std::ostringstream console, err;
    RunResult r;
    r.exitCode = kelmdor::run(args, console, err, fs);
    r.console = console.str();
    r.report = jvztest::readFileBytes(outPath);
    return r;
}

std::string reportHead(const std::string& inputPath)
{
    return "\nKelmdor : v03.08\n\nChecked file : [" + inputPath + "]\n\n";
}

namespace {

// Accepts a number of bytes, then fails every write.
class LimitedBuf : public std::streambuf {
public:
    explicit LimitedBuf(long limit) : m_left(limit) {}

protected:
    int_type overflow(int_type ch) override
    {
        if (m_left <= 0)
            return traits_type::eof();
        --m_left;
        return traits_type::not_eof(ch);
    }

private:
    long m_left;
};

class FailingOutput : public kelmdor::OutputFile {
public:
    explicit FailingOutput(long limit) : m_buf(limit), m_stream(&m_buf) {}
    std::ostream& stream() override { return m_stream; }
    bool commit() override { return m_stream.good(); }

private:
    LimitedBuf m_buf;
    std::ostream m_stream;
};

} // namespace

int FaultyFileSystem::createScratch()
{
    if (failScratch)
        return -1;
    if (scratchWritesFail) {
        // A descriptor open for reading only: every write to it fails.
        const std::string path = jvztest::makeScratchDir("ro") + "/scratch";
        jvztest::writeFileBytes(path, "");
        return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    return PosixFileSystem::createScratch();
}

std::unique_ptr<kelmdor::OutputFile> FaultyFileSystem::createOutput(const std::string& path)
{
    if (outputOpenFails)
        return nullptr;
    if (outputFailsAfter >= 0)
        return std::make_unique<FailingOutput>(outputFailsAfter);
    return PosixFileSystem::createOutput(path);
}

std::vector<std::string> folderListing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string() + ":" + std::to_string(e.is_regular_file() ? e.file_size() : 0));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace sigtest
