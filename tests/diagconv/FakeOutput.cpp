#include "FakeOutput.h"

#include "diagconv/ReportOutput.h"

namespace diagtest {

std::ostream* FakeOutput::open(const std::string& /*path*/)
{
    return m_failure == Failure::Open ? nullptr : &m_text;
}

bool FakeOutput::commit()
{
    return m_failure == Failure::None;
}

diagconv::RunEnv testEnv(const std::string& folder, int* keyPresses, FakeOutput::Failure failure)
{
    diagconv::RunEnv env;
    env.currentDir = folder;
    if (keyPresses)
        env.waitForKey = [keyPresses] { ++*keyPresses; };
    if (failure != FakeOutput::Failure::None)
        env.makeOutput = [failure] { return std::make_unique<FakeOutput>(failure); };
    return env;
}

} // namespace diagtest
