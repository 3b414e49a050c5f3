#include "Vitrane.h"

#include "BufferedWriter.h"
#include "DiaRecordFile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace diagconv::vitrane {

namespace {
const RecordConverter kConverter{"AppDefault", "Vitrane", &writeReport};
} // namespace

void writeReport(std::istream& in, std::ostream& report)
{
    const DiaTimestamp header = readDiaHeader(in);
    BufferedWriter out(report);
    const auto text = [&out](std::string_view piece) { out.append(piece.data(), piece.size()); };
    text("AppDefault V");
    text(kRecordConverterVersion);
    text("\n\nDate : ");
    out.commit(layHeaderDate(out.reserve(kLongestDateText), header, ByteSign::Unsigned));
    text("\n Date            Critical  Default\n");

    // " <date>  <yes|no >       <code>\n", written in place.
    constexpr std::size_t kLongestLine = 1 + kLongestDateText + 5 + 7 + 4 + 1;
    static constexpr char kHexDigits[] = "0123456789abcdef";
    // Records straight from the buffer: the stream's per-call checks cost more than the formatting.
    std::streambuf* const records = in.rdbuf();
    DiaRecord record{};
    while (records && records->sgetn(reinterpret_cast<char*>(record.data()), kDiaRecordSize) ==
                          static_cast<std::streamsize>(kDiaRecordSize)) {
        DiaTimestamp stamp{};
        std::copy_n(record.begin(), stamp.size(), stamp.begin());
        char* const line = out.reserve(kLongestLine);
        char* at = line;
        *at++ = ' ';
        at += layRecordDate(at, stamp, ByteSign::Unsigned);
        std::memcpy(at, record[5] != 0 ? "  yes       " : "  no        ", 12);
        at += 12;
        const std::uint16_t code = littleEndian16(&record[6]);
        for (int shift = 12; shift >= 0; shift -= 4)
            *at++ = kHexDigits[(code >> shift) & 0xF];
        *at++ = '\n';
        out.commit(static_cast<std::size_t>(at - line));
    }
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return run(args, out, err, systemEnv());
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& /*err*/, const RunEnv& env)
{
    return runRecordConverter(kConverter, args, out, env);
}

} // namespace diagconv::vitrane
