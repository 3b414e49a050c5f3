#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace jvz {

class MBApplications;

// Runs a program to its end with the window minimised and disabled, then gives the window back.
void StartAppliAndBlockWindow(MBApplications& applications, const QString& program, const QStringList& arguments,
                              QWidget& window);

} // namespace jvz
