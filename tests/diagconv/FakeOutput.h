#pragma once

#include "diagconv/RunEnv.h"

#include <memory>
#include <sstream>
#include <string>

namespace diagtest {

// An output whose open or commit fails on demand, standing in for a full disk or a refused folder.
class FakeOutput : public diagconv::OutputTarget {
public:
    enum class Failure { None, Open, Commit };
    explicit FakeOutput(Failure failure) : m_failure(failure) {}

    std::ostream* open(const std::string& path) override;
    bool commit() override;

private:
    Failure m_failure;
    std::ostringstream m_text;
};

// Surroundings for in-process runs: relative paths below folder, a counted key press, outputs that fail
// as asked.
diagconv::RunEnv testEnv(const std::string& folder, int* keyPresses = nullptr,
                         FakeOutput::Failure failure = FakeOutput::Failure::None);

} // namespace diagtest
