#include "sigdump/Kelmdor.h"

#include "platform/posix/PlainFiles.h"
#include "sigdump/CodeTables.h"
#include "sigdump/SignedFileDump.h"
#include "sigdump/SignedFileLayout.h"
#include "sigdump/TextFormat.h"

#include <optional>
#include <string_view>

namespace kelmdor {

namespace {

constexpr const char* kVersion = "03.08";
constexpr size_t kMaxPathLength = 199;
constexpr std::string_view kIssuer = signedfile::kNewerIssuer;
constexpr const char* kNoCertificate = "File without certificat\n";

void printUsage(std::ostream& out)
{
    out << "Kelmdor [-x] [-m] <InputFile>.xGN [<OutputFile>] \n"
        << "        [-x] more details for Morvix 2 (optional)\n"
        << "        [-m] for Mockup application (optional)\n";
}

std::string banner()
{
    return format("\nKelmdor : v%s\n\n", kVersion);
}

enum class Trailer { Short, Long };

void writeNewerSummary(const DumpSettings& settings, Trailer trailer, const RepudiationMask& mask, std::ostream& report)
{
    if (settings.detailView)
        report << "\n\n Application repudiated keys: ";
    else
        report << "\n Application repudiated keys:" << std::string(trailer == Trailer::Short ? 24 : 20, ' ');
    report << format("%02X%02X-%02X%02X-%02X / %s", mask[0], mask[1], mask[2], mask[3], mask[4],
                     areaPageText(mask.data()).c_str());
}

void runNewer(const DumpSettings& settings, Trailer trailer, const ByteSource& input, std::ostream& report,
              RepudiationMask& mask, FileSystem& fs)
{
    const NewerDumpResult r = dumpNewer(settings, input, report, mask, fs);
    if (!r.ok) {
        report << kNoCertificate;
        return;
    }
    if (r.componentType != '4' && r.descriptorVersion != 0)
        writeNewerSummary(settings, trailer, mask, report);
}

} // namespace

void writeDump(const DumpSettings& settings, const ByteSource& input, std::ostream& report, FileSystem& fs)
{
    RepudiationMask mask;
    mask.fill(0xFF);
    const int64_t size = input.size();
    if (size < signedfile::kLegacyBlockSize)
        return;
    if (input.holdsAt(size - signedfile::kLegacyBlockSize, signedfile::kLegacyIssuer)) {
        if (!dumpLegacy(settings, input, report, mask, fs)) {
            report << kNoCertificate;
            return;
        }
        report << "\nApplication repudiation key :" << std::string(25, ' ');
        for (uint8_t b : mask)
            report << format("%02X", b);
        report << " / " << maskPageText(mask.data());
        return;
    }
    if (size < signedfile::kShortTrailerSize)
        report << kNoCertificate;
    else if (settings.mockupMode || input.holdsAt(size - signedfile::kShortTrailerIssuerFromEnd, kIssuer))
        runNewer(settings, Trailer::Short, input, report, mask, fs);
    else if (size < signedfile::kLongTrailerSize)
        report << kNoCertificate;
    else if (input.holdsAt(size - signedfile::kLongTrailerIssuerFromEnd, kIssuer))
        runNewer(settings, Trailer::Long, input, report, mask, fs);
    else
        report << kNoCertificate;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    PosixFileSystem fs;
    return run(args, out, err, fs);
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& /*err*/, FileSystem& fs)
{
    out << banner();
    DumpSettings settings;
    size_t i = 0;
    for (; i < args.size() && !args[i].empty() && args[i][0] == '-'; ++i) {
        const char option = args[i].size() > 1 ? args[i][1] : '\0';
        if (option == 'x') {
            settings.detailView = true;
        } else if (option == 'm') {
            settings.mockupMode = true;
        } else {
            printUsage(out);
            return static_cast<int>(ExitCode::Done);
        }
    }
    const size_t files = args.size() - i;
    if (files < 1 || files > 2) {
        printUsage(out);
        return static_cast<int>(ExitCode::Done);
    }
    settings.inputPath = args[i];
    const std::optional<std::string> outputPath = files == 2 ? std::optional<std::string>(args[i + 1]) : std::nullopt;

    const bool pathTooLong = settings.inputPath.size() > kMaxPathLength;
    std::unique_ptr<ByteSource> input = pathTooLong ? nullptr : fs.openInput(settings.inputPath);
    std::unique_ptr<OutputFile> output;
    std::ostream* report = &out;
    if (outputPath) {
        // Writing the report over the file being dumped would destroy it before it is read.
        if (!pathTooLong && jvzio::sameFile(settings.inputPath, *outputPath)) {
            out << "Error : " << *outputPath << " is the input file, not open to write\n";
            return static_cast<int>(ExitCode::OutputNotWritten);
        }
        output = fs.createOutput(*outputPath);
        if (!output) {
            out << "Error : " << *outputPath << " not open to write\n";
            return static_cast<int>(ExitCode::OutputNotWritten);
        }
        report = &output->stream();
        *report << banner();
    }

    if (pathTooLong)
        *report << format("Error : input path longer than %zu characters\n", kMaxPathLength);
    else if (!input)
        *report << "Error : " << settings.inputPath << " not open to read\n";
    if (input) {
        *report << "Checked file : [" << settings.inputPath << "]\n\n";
        writeDump(settings, *input, *report, fs);
        *report << "\n";
    }

    if (output && !output->commit()) {
        out << "Error : " << *outputPath << " not written\n";
        return static_cast<int>(ExitCode::OutputNotWritten);
    }
    out.flush();
    return static_cast<int>(ExitCode::Done);
}

} // namespace kelmdor
