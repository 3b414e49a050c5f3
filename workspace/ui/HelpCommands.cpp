#include "HelpCommands.h"

#include "core/CaseLookup.h"
#include "core/MBLanguages.h"
#include "core/ProgramInfo.h"
#include "platform/Notifier.h"
#include "workspace/VersionInfo.h"
#include "workspace/ui/frmAbout.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

namespace jvz::HelpCommands {

void showAbout(QWidget& owner, const MBLanguages& language)
{
    frmAbout about(&owner);
    VersionInfo info = programVersionInfo();
    info.fileDescription = language.GetFormLabel(QStringLiteral("FileDescription"), QStringLiteral("frmAbout"));
    about.init(language, owner.windowIcon(), info);
    about.exec();
}

void openUserGuide(QWidget& owner, const QString& programFolder, const MBLanguages& language, Notifier& notifier,
                   const std::function<bool(const QString& path)>& openDocument)
{
    const QString path = resolvePathAnyCase(programFolder + QStringLiteral("/JVZ User Guide.pdf"));
    if (!QFileInfo(path).isFile()) {
        notifier.message(language.GetFormLabel(QLatin1String("MSG_UsersGuideNotFound")), QLatin1String(kProgramTitle),
                         MessageIcon::Critical, MessageButtons::Ok, &owner);
        return;
    }
    const bool opened = openDocument ? openDocument(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened)
        notifier.message(language.GetFormLabel(QLatin1String("MSG_ErrNeedPdfReader")), QLatin1String(kProgramTitle),
                         MessageIcon::Exclamation, MessageButtons::Ok, &owner);
}

} // namespace jvz::HelpCommands
