#include "RunEnv.h"

#include "ConsoleKey.h"
#include "platform/posix/PlainFiles.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace diagconv {

RunEnv systemEnv()
{
    RunEnv env;
    env.waitForKey = [] { waitForKeyPress(STDIN_FILENO); };
    return env;
}

std::string currentDirOf(const RunEnv& env)
{
    if (!env.currentDir.empty())
        return env.currentDir;
    std::string folder(PATH_MAX, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    return folder;
}

std::string resolvePath(const RunEnv& env, const std::string& path)
{
    if (env.currentDir.empty() || path.empty() || path.front() == '/')
        return path;
    return env.currentDir + "/" + path;
}

std::unique_ptr<OutputTarget> makeOutputOf(const RunEnv& env)
{
    if (env.makeOutput)
        return env.makeOutput();
    return std::make_unique<FileOutput>();
}

InputOpen openInputFile(const std::string& path, std::istringstream& in)
{
    std::string bytes;
    switch (jvzio::readRegularFile(path, kMaxInputBytes, bytes)) {
    case jvzio::InputStatus::Read:
        break;
    case jvzio::InputStatus::TooLarge:
        return InputOpen::TooLarge;
    case jvzio::InputStatus::Missing:
    case jvzio::InputStatus::NotAFile:
    case jvzio::InputStatus::Failed:
        return InputOpen::NotOpened;
    }
    in.str(std::move(bytes));
    in.clear();
    return InputOpen::Opened;
}

bool isInputFile(const std::string& inputPath, const std::string& outputPath)
{
    return jvzio::sameFile(inputPath, outputPath);
}

} // namespace diagconv
