#include "Tulmane.h"

#include "DiaRecordFile.h"
#include "TextFormat.h"

#include <algorithm>

namespace diagconv::tulmane {

namespace {
const RecordConverter kConverter{"AppCounter", "Tulmane", &writeReport};
constexpr std::size_t kCountersPerLine = 4;
} // namespace

bool CounterTable::insert(const Counter& counter)
{
    if (full())
        return false;
    const auto after = std::upper_bound(m_counters.begin(), m_counters.end(), counter,
                                        [](const Counter& a, const Counter& b) { return a.number < b.number; });
    m_counters.insert(after, counter);
    return true;
}

void writeReport(std::istream& in, std::ostream& report)
{
    const DiaTimestamp header = readDiaHeader(in);
    CounterTable table;
    DiaRecord record{};
    while (!table.full() && readDiaRecord(in, record))
        table.insert({littleEndian16(&record[0]), littleEndian32(&record[4])});

    report << "AppCounter V" << kRecordConverterVersion << "\n\n";
    report << "Date : " << headerDateText(header, ByteSign::Signed) << "\n";
    report << "Counters [number:value]\n";
    const auto& counters = table.counters();
    for (std::size_t i = 0; i < counters.size(); ++i) {
        report << strFormat("    %04X:%5lu", static_cast<unsigned>(counters[i].number),
                            static_cast<unsigned long>(counters[i].value));
        if ((i + 1) % kCountersPerLine == 0 || i + 1 == counters.size())
            report << "\n";
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

} // namespace diagconv::tulmane
