#pragma once

#include <QString>

namespace jvztest {

// Folder of the built programs and libraries (JVZ, Kelmdor, libYeldrin.so, the default data files).
QString binDir();

// The source tree, for checked-in fixtures.
QString sourceDir();

// Where window tests put their screenshots for people to look at (screenshots/ in the build folder), created.
QString screenshotFolder();

} // namespace jvztest
