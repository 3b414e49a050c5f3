#include "StartAppliAndBlockWindow.h"

#include "core/MBApplications.h"

#include <QWidget>

namespace jvz {

void StartAppliAndBlockWindow(MBApplications& applications, const QString& program, const QStringList& arguments,
                              QWidget& window)
{
    window.showMinimized();
    window.setEnabled(false);
    applications.start(program, arguments);
    window.showNormal();
    window.setEnabled(true);
}

} // namespace jvz
