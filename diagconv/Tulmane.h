#pragma once

#include "RunEnv.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Tulmane: an application-counter diagnostic file as a table of counters sorted by number.
namespace diagconv::tulmane {

struct Counter {
    std::uint16_t number = 0;
    std::uint32_t value = 0;
};

// Counters kept in ascending order of number; equal numbers stay in reading order.
class CounterTable {
public:
    static constexpr std::size_t kCapacity = 128;

    // False when the table is already full (the counter is not taken).
    bool insert(const Counter& counter);
    bool full() const { return m_counters.size() >= kCapacity; }
    const std::vector<Counter>& counters() const { return m_counters; }

private:
    std::vector<Counter> m_counters;
};

void writeReport(std::istream& in, std::ostream& report);

// args as argv: the program, the input path, optionally the output path.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const RunEnv& env);

} // namespace diagconv::tulmane
