#include "workspace/OpenByType.h"

#include "core/AppSettings.h"
#include "terminal_files/CompanionRun.h"
#include "terminal_files/FileViewers.h"

#include <QFileInfo>

namespace jvz {

namespace {

const QString kCompliantTerminals = QStringLiteral("Jungo USB - Compliant terminals.txt");

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

LocalOpenSettings localOpenSettingsFrom(const AppSettings& settings)
{
    LocalOpenSettings s;
    s.dispatch.certifSgn = settings.gCertifSgn;
    s.dispatch.kelmdorExt = settings.gKelmdorExt;
    s.updateFile = settings.gUpdateFile;
    return s;
}

OpenByType::OpenByType(FileViewers& viewers, CompanionRunner& companions, Hooks hooks)
    : m_viewers(viewers), m_companions(companions), m_hooks(std::move(hooks))
{
}

FileTool OpenByType::openItem(const QString& folder, const QString& name, const QString& imageKey,
                              const LocalOpenSettings& settings, const QStringList& filterItems)
{
    const FileTool tool = localItemTool(imageKey, name, settings.dispatch, filterItems);
    switch (tool) {
    case FileTool::FolderNavigation:
        if (m_hooks.navigateToFolder)
            m_hooks.navigateToFolder(withSlash(folder + name));
        return tool;
    case FileTool::FolderLink:
        // A folder link is listed under its own name.
        OpenFolderShortcut(folder + name);
        return tool;
    case FileTool::Nothing:
        return tool;
    default:
        return openFile(folder, name, settings, filterItems);
    }
}

FileTool OpenByType::openFile(const QString& folder, const QString& name, const LocalOpenSettings& settings,
                              const QStringList& filterItems)
{
    if (m_hooks.takeConnectionBarCredentials)
        m_hooks.takeConnectionBarCredentials();
    const QString path = folder + name;
    const FileTool tool = localFileTool(name, settings.dispatch, filterItems);
    switch (tool) {
    case FileTool::CatalogueList:
        ShowSelectedDescriptor(folder, name);
        break;
    case FileTool::SignedFileDump:
        m_companions.run(CompanionKind::SignedFile, path);
        break;
    case FileTool::SecurityDiagnostic:
        m_companions.run(CompanionKind::SecurityDiagnostic, path);
        break;
    case FileTool::LifeCounterRecords:
        m_companions.run(CompanionKind::LifeCounter, path);
        break;
    case FileTool::AppCounterRecords:
        m_companions.run(CompanionKind::AppCounter, path);
        break;
    case FileTool::AppDefaultRecords:
        m_companions.run(CompanionKind::AppDefault, path);
        break;
    case FileTool::DescriptorViewer:
        m_viewers.showDescriptorFile(folder, name);
        break;
    case FileTool::TextViewer: {
        TextViewRequest request;
        request.folder = folder;
        request.fileName = name;
        request.writable = settings.updateFile;
        m_viewers.showTextFile(request);
        break;
    }
    case FileTool::FolderLink:
        OpenFolderShortcut(path);
        break;
    case FileTool::Nothing:
    case FileTool::FolderNavigation:
        break;
    }
    return tool;
}

bool OpenByType::OpenFolderShortcut(const QString& linkPath)
{
    const QFileInfo link(linkPath);
    if (!link.isSymLink())
        return false;
    const QFileInfo target(link.canonicalFilePath());
    if (link.canonicalFilePath().isEmpty() || !target.isDir())
        return false; // a link to a file, or to nothing, is not opened
    if (m_hooks.navigateToFolder)
        m_hooks.navigateToFolder(withSlash(target.absoluteFilePath()));
    return true;
}

void OpenByType::ShowSelectedDescriptor(const QString& folder, const QString& selectedName)
{
    if (selectedName.isEmpty())
        return;
    m_viewers.showDescriptorList(folder, selectedName);
}

QString compliantTerminalsFile(const QString& programFolder)
{
    return withSlash(programFolder) + kCompliantTerminals;
}

bool hasCompliantTerminalsFile(const QString& programFolder)
{
    return QFileInfo(compliantTerminalsFile(programFolder)).isFile();
}

void MNU_Help_JungoTerminals_Click(const QString& programFolder, FileViewers& viewers)
{
    if (!hasCompliantTerminalsFile(programFolder))
        return;
    TextViewRequest request;
    request.folder = withSlash(programFolder);
    request.fileName = kCompliantTerminals;
    request.heightTwips = 6000;
    request.widthTwips = 7000;
    request.writable = false;
    viewers.showTextFile(request);
}

} // namespace jvz
