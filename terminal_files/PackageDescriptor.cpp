#include "terminal_files/PackageDescriptor.h"

#include "core/CaseLookup.h"
#include "core/PathMapper.h"
#include "platform/Notifier.h"
#include "terminal_files/CatalogList.h"

#include <QFileInfo>

namespace jvz {

namespace {

const QLatin1String kPackageOpen("<PACKAGE");
const QLatin1String kPackageClose("</PACKAGE>");
const QLatin1String kTechnologyUpper("technology=\"MORVIX\"");
const QLatin1String kTechnologyMixed("technology=\"Morvix\"");
const QLatin1String kApplicationOpen("<application");
const QLatin1String kApplicationClose("</application>");
const QLatin1String kCodeFileOpen("<codeFile>");
const QLatin1String kCodeFileClose("</codeFile>");
const QLatin1String kDataOpen("<data>");
const QLatin1String kDataClose("</data>");
const QLatin1String kDataFileOpen("<dataFile>");
const QLatin1String kDataFileClose("</dataFile>");
const QLatin1String kTarget("<target location=");
const QLatin1String kSource("<source location=");

QString productMarker(const QString& productCode)
{
    return QStringLiteral("productCode=\"") + productCode + u'"';
}

// One reading of the descriptor: the second pass of the check, entry by entry.
class DescriptorCheck {
public:
    DescriptorCheck(TransferContext& ctx, const QString& folder, int& count)
        : m_ctx(ctx), m_folder(folder), m_count(count)
    {
    }

    // False when the check must stop (already reported).
    bool run(CatalogListReader& reader, const QString& marker)
    {
        QString line;
        reader.ReadTextLine(line);
        while (!line.isEmpty()) {
            if (line.contains(kApplicationOpen) && line.contains(marker)) {
                m_found = true;
                if (!readBlock(reader, line, kApplicationClose, kCodeFileOpen, kCodeFileClose, Entry::CodeFile))
                    return false;
            }
            // The same line, also the one that closed an application block, may open the data block.
            if (line.contains(kDataOpen)) {
                m_found = true;
                if (!readBlock(reader, line, kDataClose, kDataFileOpen, kDataFileClose, Entry::DataFile))
                    return false;
            }
            if (line.isEmpty())
                break;
            reader.ReadTextLine(line);
        }
        return true;
    }

    bool found() const { return m_found; }

private:
    enum class Entry { CodeFile, DataFile };

    // Reads up to the line that closes the block (left in line); false when a source fails.
    bool readBlock(CatalogListReader& reader, QString& line, QLatin1String close, QLatin1String entryOpen,
                   QLatin1String entryClose, Entry kind)
    {
        bool inEntry = false;
        reader.ReadTextLine(line);
        while (!line.isEmpty() && !line.contains(close)) {
            if (line.contains(entryOpen)) {
                inEntry = true;
            } else if (line.contains(entryClose)) {
                inEntry = false;
            } else if (inEntry && line.contains(kTarget)) {
                if (!checkTarget(descriptorQuotedValue(line)))
                    return false;
            } else if (inEntry && line.contains(kSource)) {
                if (!checkSource(descriptorQuotedValue(line), kind))
                    return false;
            }
            reader.ReadTextLine(line);
        }
        return true;
    }

    bool checkTarget(const QString& target)
    {
        if (isValidDescriptorTarget(target))
            return true;
        m_ctx.notifier.message(target + QStringLiteral(" : ") + m_ctx.label("MSG_DescriptorBadTarget"), QString(),
                               MessageIcon::Exclamation, MessageButtons::Ok);
        return false;
    }

    bool checkSource(const QString& source, Entry kind)
    {
        // Descriptors written on Windows name their sources in any case.
        const QString path = resolvePathAnyCase(m_folder + mapWindowsPath(source));
        const QFileInfo info(path);
        if (!info.isFile()) {
            m_ctx.notifier.message(m_folder + source + QStringLiteral(" : ") + m_ctx.label("MSG_FileNotFound"),
                                   QString(), MessageIcon::Exclamation, MessageButtons::Ok);
            return false;
        }
        if (kind == Entry::DataFile) {
            ++m_count;
        } else if (m_ctx.currentTerminalDir.contains(QLatin1String("SWAP"))) {
            m_ctx.session.swapTotalSize += info.size();
            ++m_count;
        }
        return true;
    }

    TransferContext& m_ctx;
    QString m_folder;
    int& m_count;
    bool m_found = false;
};

} // namespace

QString descriptorQuotedValue(const QString& line)
{
    const qsizetype first = line.indexOf(u'"');
    if (first < 0)
        return {};
    const qsizetype second = line.indexOf(u'"', first + 1);
    if (second < 0)
        return {};
    return line.mid(first + 1, second - first - 1);
}

bool isValidDescriptorTarget(const QString& target)
{
    return target != QLatin1String(".") && target != QLatin1String("..") && !target.contains(u'/') &&
           !target.contains(u'\\');
}

bool CheckPackageDescriptor(TransferContext& ctx, const QString& folder, const QString& name, int& count)
{
    const QString path = resolvePathAnyCase(folder + name);
    CatalogListReader reader;
    bool package = false;
    bool packageEnd = false;
    bool technology = false;
    if (reader.OpenTextFileForRead(path)) {
        QString line;
        for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
            package = package || line.contains(kPackageOpen);
            packageEnd = packageEnd || line.contains(kPackageClose);
            technology = technology || line.contains(kTechnologyUpper) || line.contains(kTechnologyMixed);
        }
        reader.CloseTextFile();
    }
    if (!package || !packageEnd || !technology)
        return false;
    if (!reader.OpenTextFileForRead(path))
        return false;
    DescriptorCheck check(ctx, folder, count);
    const bool complete = check.run(reader, productMarker(ctx.terminalInfo.ProductCodeTerminal()));
    reader.CloseTextFile();
    return complete && check.found();
}

bool ParseDescriptorTargets(DescriptorParseState& state, const QString& productCode, const QString& line,
                            QString& source)
{
    if (line.isEmpty())
        return false;
    if (line.contains(productMarker(productCode)) && line.contains(kApplicationOpen)) {
        state.InApplication = true;
        return false;
    }
    if (line.contains(QLatin1String("</application"))) {
        state.InApplication = false;
        return false;
    }
    auto takeSource = [&] {
        source = descriptorQuotedValue(line).replace(u'/', u'\\');
        return true;
    };
    if (line.contains(kCodeFileOpen) && state.InApplication) {
        // A code file without its own target is never sent under the previous component's name.
        state.DescriptorTarget.clear();
        state.InCodeFile = true;
    } else if (line.contains(kCodeFileClose) && state.InApplication) {
        state.InCodeFile = false;
    } else if (line.contains(kTarget) && state.InCodeFile) {
        state.DescriptorTarget = descriptorQuotedValue(line);
    } else if (line.contains(kSource) && state.InCodeFile) {
        return takeSource();
    } else if (line.contains(kDataOpen)) {
        state.InData = true;
    } else if (line.contains(kDataClose)) {
        state.InData = false;
    } else if (line.contains(kDataFileOpen) && state.InData) {
        state.DescriptorTarget.clear();
        state.InDataFile = true;
    } else if (line.contains(kDataFileClose) && state.InData) {
        state.InDataFile = false;
    } else if (line.contains(kTarget) && state.InDataFile) {
        state.DescriptorTarget = descriptorQuotedValue(line);
    } else if (line.contains(kSource) && state.InDataFile) {
        return takeSource();
    }
    return false;
}

} // namespace jvz
