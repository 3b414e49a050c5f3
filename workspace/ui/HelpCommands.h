#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace jvz {

class MBLanguages;
class Notifier;

// The Help menu's commands, over the window they belong to.
namespace HelpCommands {

// The about box, with the window's icon and the program's version.
void showAbout(QWidget& owner, const MBLanguages& language);
// The user's guide in the program folder, opened with openDocument (empty: the desktop's program for it).
void openUserGuide(QWidget& owner, const QString& programFolder, const MBLanguages& language, Notifier& notifier,
                   const std::function<bool(const QString& path)>& openDocument);

} // namespace HelpCommands

} // namespace jvz
