#pragma once

#include <QString>

namespace jvz {

// The per-user folder: the generic data location plus "JVZ/" (normally ~/.local/share/JVZ/), ending in "/".
// Built from the environment at each call and created, with its "temp/" sub-folder, when missing.
// When it cannot be created the path is still returned: the caller's own write then fails and reports.
QString GetAppDataDir();

// The "temp/" sub-folder of the per-user folder, ending in "/", created when missing. Files fetched from
// the terminal and the output of the companion programs land here.
QString GetAppTempDir();

} // namespace jvz
