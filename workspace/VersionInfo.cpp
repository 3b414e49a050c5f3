#include "workspace/VersionInfo.h"

#include "core/ProgramInfo.h"

namespace jvz {

VersionInfo programVersionInfo()
{
    VersionInfo info;
    info.legalTrademarks = QLatin1String(kProgramTitle);
    info.productName = QLatin1String(kProgramTitle);
    info.title = QLatin1String(kProgramTitle);
    info.major = programVersionMajor();
    info.minor = programVersionMinor();
    info.revision = JVZ_VERSION_PATCH;
    return info;
}

} // namespace jvz
