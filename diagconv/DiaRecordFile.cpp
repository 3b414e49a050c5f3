#include "DiaRecordFile.h"

#include <sstream>

namespace diagconv {

namespace {

enum ExitCode { kDone = 0, kInputNotOpened = 1, kOutputNotOpened = 2, kNoArgument = 6 };

std::size_t readBytes(std::istream& in, std::uint8_t* bytes, std::size_t count)
{
    in.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in.gcount());
}

} // namespace

DiaTimestamp readDiaHeader(std::istream& in)
{
    DiaTimestamp stamp{};
    readBytes(in, stamp.data(), stamp.size());
    return stamp;
}

bool readDiaRecord(std::istream& in, DiaRecord& record)
{
    return readBytes(in, record.data(), record.size()) == record.size();
}

std::uint16_t littleEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t littleEndian32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

int runRecordConverter(const RecordConverter& converter, const std::vector<std::string>& args, std::ostream& out,
                       const RunEnv& env)
{
    const std::string banner = std::string("\n") + converter.title + " V" + kRecordConverterVersion + "\n";
    if (args.size() < 2) {
        out << banner << converter.programName << "  <OpenFile.dia> [outputfile.txt]";
        out.flush();
        return kNoArgument;
    }
    const std::string& inputPath = args[1];
    std::istringstream in;
    const InputOpen opened = openInputFile(resolvePath(env, inputPath), in);
    if (opened != InputOpen::Opened) {
        out << banner << "  Error : " << inputPath
            << (opened == InputOpen::TooLarge ? kInputTooLargeText : " impossible to open or to find") << "\n";
        out.flush();
        return kInputNotOpened;
    }
    if (args.size() < 3) {
        converter.writeReport(in, out);
        out.flush();
        if (env.waitForKey)
            env.waitForKey();
        return kDone;
    }
    const std::string& outputPath = args[2];
    if (isInputFile(resolvePath(env, inputPath), resolvePath(env, outputPath))) {
        out << banner << "  Error : " << outputPath << " is the input file, impossible to open\n";
        out.flush();
        return kOutputNotOpened;
    }
    const auto output = makeOutputOf(env);
    std::ostream* report = output->open(resolvePath(env, outputPath));
    if (report)
        converter.writeReport(in, *report);
    if (!report || !output->commit()) {
        out << banner << "  Error : " << outputPath << " impossible to open\n";
        out.flush();
        return kOutputNotOpened;
    }
    return kDone;
}

} // namespace diagconv
