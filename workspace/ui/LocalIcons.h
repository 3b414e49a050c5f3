#pragma once

#include <QIcon>
#include <QString>

namespace jvz {

// The local explorer's image keys as icons, each made once and shared by every row.
QIcon localExplorerIcon(const QString& imageKey);

} // namespace jvz
