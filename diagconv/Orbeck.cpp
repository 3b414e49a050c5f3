#include "Orbeck.h"

#include <sstream>

namespace diagconv::orbeck {

namespace {

enum ExitCode { kDone = 0, kSyntax = -1, kInputNotFound = -2, kOutputNotWritten = -3 };

int syntaxError(const std::vector<std::string>& args, std::ostream& out)
{
    const std::string program = args.empty() ? std::string("Orbeck") : args[0];
    out << "syntax : " << program << " <path + diagnostic file name>"
        << " [<path + destination file name>]"
        << " [option]\n"
        << kSyntax << "\n";
    out.flush();
    return kSyntax;
}

int outputError(std::ostream& out, const std::string& outputPath, const char* reason)
{
    out << "error : " << kOutputNotWritten << "\nImpossible to write in " << outputPath << reason << " \n";
    out.flush();
    return kOutputNotWritten;
}

} // namespace

bool isOptionArgument(const std::string& argument)
{
    return !argument.empty() && argument.front() == '/' && argument.find('/', 1) == std::string::npos;
}

View viewForOption(const std::string& option)
{
    return option == kFullViewOption ? View::Full : View::User;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return run(args, out, err, systemEnv());
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& /*err*/, const RunEnv& env)
{
    out << "\nTool Version: " << kToolVersion << " \n";
    const std::size_t argumentCount = args.empty() ? 0 : args.size() - 1;
    if (argumentCount < 1 || argumentCount > 3)
        return syntaxError(args, out);

    const std::string currentDir = currentDirOf(env);
    std::string outputPath = currentDir + "/" + kDefaultOutputName;
    std::string option;
    if (argumentCount >= 2) {
        if (isOptionArgument(args[2]))
            option = args[2];
        else
            outputPath = args[2];
    }
    if (argumentCount >= 3 && isOptionArgument(args[3]))
        option = args[3];

    const std::string& inputPath = args[1];
    std::istringstream in;
    const InputOpen opened = openInputFile(resolvePath(env, inputPath), in);
    if (opened != InputOpen::Opened) {
        out << "error : " << kInputNotFound << "\n"
            << currentDir << "/" << inputPath
            << (opened == InputOpen::TooLarge ? kInputTooLargeText : " file not found") << "\n";
        out.flush();
        return kInputNotFound;
    }
    if (outputPath.size() > kMaxOutputPath)
        return outputError(out, outputPath, " (path longer than 255 characters)");
    if (isInputFile(resolvePath(env, inputPath), resolvePath(env, outputPath)))
        return outputError(out, outputPath, " (it is the input file)");

    const auto output = makeOutputOf(env);
    std::ostream* report = output->open(resolvePath(env, outputPath));
    if (report)
        writeSecurityReport(in, *report, viewForOption(option));
    if (!report || !output->commit())
        return outputError(out, outputPath, "");

    out << "the Analyzed diagnostic file is stored in : " << outputPath << "\n";
    out.flush();
    return kDone;
}

} // namespace diagconv::orbeck
