#include "terminal_files/FileDispatch.h"

#include "core/CatalogExtension.h"
#include "core/Cp1252.h"

#include <array>

namespace jvz {

namespace {

QString upper(const QString& text)
{
    return Cp1252::toUpper(text);
}

QString upperFirst(const QString& name, qsizetype count)
{
    return upper(name.left(count));
}

// The converter rows both tables share, in the same order.
FileTool converterTool(const QString& name)
{
    const QString u3 = upperLast(name, 3);
    if (u3 != QLatin1String("DIA"))
        return FileTool::Nothing;
    if (upperFirst(name, 11) == QLatin1String("LIFECOUNTER"))
        return FileTool::LifeCounterRecords;
    if (upperFirst(name, 10) == QLatin1String("APPCOUNTER"))
        return FileTool::AppCounterRecords;
    if (upperFirst(name, 10) == QLatin1String("APPDEFAULT"))
        return FileTool::AppDefaultRecords;
    return FileTool::Nothing;
}

bool isDescriptorName(const QString& name)
{
    const QString u4 = upperLast(name, 4);
    return u4 == QLatin1String(".ADF") || u4 == QLatin1String(".DDF") || u4 == QLatin1String(".LDF") ||
           u4 == QLatin1String(".PDF");
}

bool isSecurityDiagnostic(const QString& name)
{
    return upper(name) == QLatin1String("VORBANE.DIA");
}

} // namespace

QString upperLast(const QString& name, qsizetype count)
{
    return upper(name.right(count));
}

bool isSignedFileExtension(const QString& upperExt3, const DispatchSettings& settings)
{
    static const std::array<QLatin1String, 12> kSigned = {
        QLatin1String("SGN"), QLatin1String("MEM"), QLatin1String("AGN"), QLatin1String("PGN"),
        QLatin1String("DGN"), QLatin1String("LGN"), QLatin1String("KGN"), QLatin1String("BIN"),
        QLatin1String("SKC"), QLatin1String("SKD"), QLatin1String("MOT"), QLatin1String("MGN"),
    };
    for (const QLatin1String& ext : kSigned)
        if (upperExt3 == ext)
            return true;
    // Compared as stored: a setting written in lower case never matches.
    return !settings.kelmdorExt.isEmpty() && upperExt3 == settings.kelmdorExt;
}

FileTool terminalFileTool(const QString& name, const DispatchSettings& settings)
{
    if (isSecurityDiagnostic(name))
        return FileTool::SecurityDiagnostic;
    if (settings.certifSgn && isSignedFileExtension(upperLast(name, 3), settings))
        return FileTool::SignedFileDump;
    if (const FileTool converter = converterTool(name); converter != FileTool::Nothing)
        return converter;
    if (isDescriptorName(name))
        return FileTool::DescriptorViewer;
    return FileTool::TextViewer;
}

FileTool localFileTool(const QString& name, const DispatchSettings& settings, const QStringList& filterItems)
{
    if (isCatalogExtension(filterItems, name.right(3)))
        return FileTool::CatalogueList;
    if (settings.certifSgn && isSignedFileExtension(upperLast(name, 3), settings))
        return FileTool::SignedFileDump;
    if (isSecurityDiagnostic(name))
        return FileTool::SecurityDiagnostic;
    if (const FileTool converter = converterTool(name); converter != FileTool::Nothing)
        return converter;
    if (isDescriptorName(name))
        return FileTool::DescriptorViewer;
    if (upperLast(name, 4) != QLatin1String(".LNK"))
        return FileTool::TextViewer;
    return FileTool::FolderLink;
}

FileTool localItemTool(const QString& imageKey, const QString& name, const DispatchSettings& settings,
                       const QStringList& filterItems)
{
    static const std::array<QLatin1String, 6> kNavigation = {
        QLatin1String("Drive"),     QLatin1String("NetDrive"),       QLatin1String("CdDrive"),
        QLatin1String("DiskDrive"), QLatin1String("RemovableDrive"), QLatin1String("ClsFolder"),
    };
    for (const QLatin1String& key : kNavigation)
        if (imageKey == key)
            return FileTool::FolderNavigation;
    if (imageKey == QLatin1String("RacFolder"))
        return FileTool::FolderLink;
    if (imageKey == QLatin1String("coche") || imageKey == QLatin1String("Unknown"))
        return localFileTool(name, settings, filterItems);
    return FileTool::Nothing; // "CatFile" (an unmarked catalogue) and any other key
}

const char* fileToolName(FileTool tool)
{
    switch (tool) {
    case FileTool::Nothing:
        return "nothing";
    case FileTool::SignedFileDump:
        return "signed-file dump";
    case FileTool::SecurityDiagnostic:
        return "security diagnostic";
    case FileTool::LifeCounterRecords:
        return "life-counter records";
    case FileTool::AppCounterRecords:
        return "application-counter records";
    case FileTool::AppDefaultRecords:
        return "application-default records";
    case FileTool::DescriptorViewer:
        return "descriptor viewer";
    case FileTool::CatalogueList:
        return "catalogue list";
    case FileTool::TextViewer:
        return "text viewer";
    case FileTool::FolderLink:
        return "folder link";
    case FileTool::FolderNavigation:
        return "folder navigation";
    }
    return "?";
}

} // namespace jvz
