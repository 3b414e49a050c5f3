#pragma once

namespace jvz {

// The program's title: the name of its per-user settings and of windows without a caption of their own.
inline constexpr const char* kProgramTitle = "JVZ";

// The program version of the build (major.minor.patch of the project).
int programVersionMajor();
int programVersionMinor();

} // namespace jvz
