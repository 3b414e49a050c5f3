#include "Vitrane.h"

#include "DiaRecordFile.h"
#include "TextFormat.h"

#include <algorithm>

namespace diagconv::vitrane {

namespace {
const RecordConverter kConverter{"AppDefault", "Vitrane", &writeReport};
} // namespace

void writeReport(std::istream& in, std::ostream& report)
{
    const DiaTimestamp header = readDiaHeader(in);
    report << "AppDefault V" << kRecordConverterVersion << "\n\n";
    report << "Date : " << headerDateText(header, ByteSign::Unsigned) << "\n";
    report << " Date            Critical  Default\n";
    DiaRecord record{};
    while (readDiaRecord(in, record)) {
        DiaTimestamp stamp{};
        std::copy_n(record.begin(), stamp.size(), stamp.begin());
        const bool critical = record[5] != 0;
        report << " " << recordDateText(stamp, ByteSign::Unsigned) << "  " << (critical ? "yes" : "no ")
               << strFormat("       %04x\n", littleEndian16(&record[6]));
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
