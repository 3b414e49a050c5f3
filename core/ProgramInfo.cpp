#include "core/ProgramInfo.h"

namespace jvz {

int programVersionMajor()
{
    return JVZ_VERSION_MAJOR;
}

int programVersionMinor()
{
    return JVZ_VERSION_MINOR;
}

} // namespace jvz
