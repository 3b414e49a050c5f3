#include "TestEnv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace jvztest {

namespace {
std::string g_root;
int g_counter = 0;

void removeRoot()
{
    if (!g_root.empty() && !std::getenv("JVZ_KEEP_TEST_DIRS")) {
        std::error_code ec;
        fs::remove_all(g_root, ec);
    }
}
} // namespace

void isolateProcessEnvironment()
{
    if (!g_root.empty())
        return;
    std::string tmpl = (fs::temp_directory_path() / "jvz-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("cannot make the test scratch folder");
    g_root = tmpl;
    const std::pair<const char*, const char*> dirs[] = {
        {"HOME", "home"},
        {"XDG_DATA_HOME", "home/.local/share"},
        {"XDG_CONFIG_HOME", "home/.config"},
        {"XDG_CACHE_HOME", "home/.cache"},
        {"XDG_RUNTIME_DIR", "runtime"},
        {"TMPDIR", "tmp"},
    };
    for (const auto& [var, sub] : dirs) {
        const fs::path p = fs::path(g_root) / sub;
        fs::create_directories(p);
        setenv(var, p.c_str(), 1);
    }
    chmod((fs::path(g_root) / "runtime").c_str(), 0700);
    std::atexit(removeRoot);
}

const std::string& processScratchRoot()
{
    return g_root;
}

std::string makeScratchDir(const std::string& hint)
{
    if (g_root.empty())
        isolateProcessEnvironment();
    const fs::path p = fs::path(g_root) / "scratch" / (hint + "-" + std::to_string(++g_counter));
    fs::create_directories(p);
    return p.string();
}

bool writeFileBytes(const std::string& path, const std::string& bytes)
{
    std::error_code ec;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty())
        fs::create_directories(parent, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace jvztest
