#include "ReportOutput.h"

namespace diagconv {

std::ostream* FileOutput::open(const std::string& path)
{
    return m_file.open(path) ? &m_file.stream() : nullptr;
}

bool FileOutput::commit()
{
    return m_file.commit();
}

} // namespace diagconv
