#include "terminal_files/DownloadPlanner.h"

#include "core/Cp1252.h"
#include "core/PathMapper.h"
#include "platform/FtpClient.h"
#include "platform/Notifier.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/CatalogList.h"
#include "terminal_files/PackageDescriptor.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalFetch.h"

#include <QFileInfo>

namespace jvz {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

DownloadStep directoryStep(const QString& directory)
{
    DownloadStep step;
    step.kind = DownloadStep::Kind::ChangeDirectory;
    step.directory = directory;
    return step;
}

DownloadStep putStep(const QString& name, const QString& folder, const QString& traceText)
{
    DownloadStep step;
    step.name = name;
    step.folder = folder;
    step.traceText = traceText;
    return step;
}

void warn(TransferContext& ctx, const QString& text)
{
    ctx.notifier.message(text, QString(), MessageIcon::Exclamation, MessageButtons::Ok);
}

bool listSuitsTerminal(const TransferContext& ctx, const LocalSelectedItem& item)
{
    // Interactively a list must name the terminal's product exactly: no list for any terminal.
    return catalogSuitsTerminal(item.text, ctx.terminalInfo.ProductCodeTerminal(), XListRule::NotAccepted);
}

// The question the settings want for a list, or nothing.
QString confirmationText(const TransferContext& ctx, const DownloadConfirmations& c, const QString& itemText)
{
    const QString upper = Cp1252::toUpper(itemText);
    const bool mockup = upper.contains(QLatin1String("MOCKUP"));
    const bool prod = upper.contains(QLatin1String("PROD"));
    if (mockup && c.mockup)
        return ctx.label("MSG_ConfirmMockupCatDL");
    if (!mockup && prod && c.prod)
        return ctx.label("MSG_ConfirmProdCatDL");
    if (!mockup && !prod && c.other)
        return ctx.label("MSG_ConfirmOtherCatDL");
    return {};
}

class Planner {
public:
    Planner(TransferContext& ctx, const DownloadRequest& request) : m_ctx(ctx), m_request(request) {}

    DownloadPlan run()
    {
        m_passDirectory = m_ctx.currentTerminalDir;
        for (const LocalSelectedItem& item : m_request.items) {
            const Step step = checkItem(item);
            if (step == Step::Cancel)
                return outcome(DownloadPlan::Outcome::Cancelled);
            if (step == Step::Refuse)
                return outcome(DownloadPlan::Outcome::Refused);
        }
        if (m_plan.count < 1)
            return outcome(DownloadPlan::Outcome::NothingToSend);
        const SwapCheck swap = SwapSpaceCheck(m_ctx);
        if (swap.sessionEnded)
            return outcome(DownloadPlan::Outcome::SessionEnded);
        if (!swap.enoughSpace) {
            warn(m_ctx, m_ctx.label("MSG_SwapSpace"));
            return outcome(DownloadPlan::Outcome::NoSwapSpace);
        }
        for (const LocalSelectedItem& item : m_request.items)
            addSteps(item);
        return outcome(DownloadPlan::Outcome::Send);
    }

private:
    enum class Step { Next, Refuse, Cancel };

    DownloadPlan outcome(DownloadPlan::Outcome o)
    {
        m_plan.outcome = o;
        if (o != DownloadPlan::Outcome::Send)
            m_plan.steps.clear();
        return m_plan;
    }

    bool keptBack(const QString& name) const { return m_request.activity == 3 && maintenanceKeepsBack(name); }

    // A file bound for the terminal: counted, and its size added when it goes to an exchange directory.
    void countFile(const QString& name, qint64 size)
    {
        if (keptBack(name)) {
            m_plan.maintenanceHeld = true;
            return;
        }
        if (m_passDirectory.contains(QLatin1String("SWAP")))
            m_ctx.session.swapTotalSize += size;
        ++m_plan.count;
    }

    Step checkItem(const LocalSelectedItem& item)
    {
        const QString path = m_request.localFolder + item.text;
        switch (selectedItemKind(item)) {
        case SelectedItemKind::CatalogueList:
            return checkList(item, path);
        case SelectedItemKind::Descriptor:
            if (CheckPackageDescriptor(m_ctx, m_request.localFolder, item.text, m_plan.count))
                return Step::Next;
            warn(m_ctx, path + kCrLf + m_ctx.label("MSG_DescriptorFileNotAdapted"));
            return Step::Refuse;
        case SelectedItemKind::Folder:
            return Step::Next;
        case SelectedItemKind::SingleFile:
            countFile(item.text, QFileInfo(path).size());
            return Step::Next;
        }
        return Step::Next;
    }

    Step checkList(const LocalSelectedItem& item, const QString& path)
    {
        if (!listSuitsTerminal(m_ctx, item)) {
            warn(m_ctx, path + kCrLf + m_ctx.label("MSG_CatalogueFileNotAdapted"));
            return Step::Refuse;
        }
        if (!m_answered) {
            const QString question = confirmationText(m_ctx, m_request.confirmations, item.text);
            if (!question.isEmpty()) {
                const MessageAnswer answer = m_ctx.notifier.message(
                    question + kCrLf + kCrLf + m_ctx.label("MSG_ConfirmThisOperation"), m_ctx.label("TIT_ConfirmCatDL"),
                    MessageIcon::Question, MessageButtons::OkCancel);
                if (answer != MessageAnswer::Ok)
                    return Step::Cancel;
                m_answered = true;
            }
        }
        CatalogListReader reader;
        if (!reader.OpenTextFileForRead(path)) {
            warn(m_ctx, path + QStringLiteral(" : ") + m_ctx.label("MSG_FileNotFound"));
            return Step::Refuse;
        }
        PathCaseResolver resolver;
        const bool whole = forEachListLine(
            reader,
            [&](const QString& line) {
                m_passDirectory = catalogDirectoryArgument(line);
                return true;
            },
            [&](const QString& line) {
                const CatalogFileRef ref = resolveCatalogFile(line, m_request.localFolder, resolver);
                if (ref.form == CatalogPathForm::Network) {
                    warn(m_ctx, line + QStringLiteral(" : ") + m_ctx.label("MSG_NetworkFileDenied"));
                    return false;
                }
                const QFileInfo info(ref.localPath());
                if (!info.isFile()) {
                    warn(m_ctx, ref.localPath() + QStringLiteral(" : ") + m_ctx.label("MSG_FileNotFound"));
                    return false;
                }
                countFile(ref.name, info.size());
                return true;
            });
        return whole ? Step::Next : Step::Refuse;
    }

    // The second pass's reading of an item, turned into steps.
    void addSteps(const LocalSelectedItem& item)
    {
        if (keptBack(item.text))
            return;
        switch (selectedItemKind(item)) {
        case SelectedItemKind::CatalogueList:
            addListSteps(item);
            return;
        case SelectedItemKind::Descriptor:
            addDescriptorSteps(item);
            return;
        case SelectedItemKind::Folder:
            return;
        case SelectedItemKind::SingleFile:
            m_plan.steps.append(putStep(item.text, m_request.localFolder, item.text));
            return;
        }
    }

    void addListSteps(const LocalSelectedItem& item)
    {
        if (!listSuitsTerminal(m_ctx, item))
            return;
        CatalogListReader reader;
        if (!reader.OpenTextFileForRead(m_request.localFolder + item.text))
            return;
        PathCaseResolver resolver;
        forEachListLine(
            reader,
            [&](const QString& line) {
                m_plan.steps.append(directoryStep(catalogDirectoryArgument(line)));
                return true;
            },
            [&](const QString& line) {
                const CatalogFileRef ref = resolveCatalogFile(line, m_request.localFolder, resolver);
                if (!keptBack(ref.name))
                    m_plan.steps.append(putStep(ref.name, ref.folder, line));
                return true;
            });
    }

    void addDescriptorSteps(const LocalSelectedItem& item)
    {
        CatalogListReader reader;
        if (!reader.OpenTextFileForRead(m_request.localFolder + item.text))
            return;
        DescriptorParseState state;
        const QString productCode = m_ctx.terminalInfo.ProductCodeTerminal();
        QString line;
        for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
            QString source;
            if (!ParseDescriptorTargets(state, productCode, line, source))
                continue;
            const QString local = mapWindowsPath(source);
            DownloadStep put = putStep(FileNameOf(local), m_request.localFolder + FolderOf(local), source);
            // The source goes straight under its target name; a target that is already the source's own
            // file name needs no other name.
            const QString& target = state.DescriptorTarget;
            if (!target.isEmpty() && target != FileNameOf(source))
                put.remoteName = target;
            m_plan.steps.append(put);
        }
    }

    TransferContext& m_ctx;
    const DownloadRequest& m_request;
    DownloadPlan m_plan;
    QString m_passDirectory;
    bool m_answered = false;
};

void unloadProgress(TransferContext& ctx)
{
    if (!ctx.showProgress())
        return;
    if (TransferProgress* progress = ctx.host.progressWindow())
        progress->unload();
}

} // namespace

SelectedItemKind selectedItemKind(const LocalSelectedItem& item)
{
    if (item.imageKey == QLatin1String("CatFile"))
        return SelectedItemKind::CatalogueList;
    if (Cp1252::toUpper(item.text).contains(QLatin1String("DESCRIPTOR.XML")))
        return SelectedItemKind::Descriptor;
    if (item.imageKey == QLatin1String("ClsFolder"))
        return SelectedItemKind::Folder;
    return SelectedItemKind::SingleFile;
}

bool maintenanceKeepsBack(const QString& name)
{
    if (!name.endsWith(QLatin1String("DF")) && !name.endsWith(QLatin1String("GN")))
        return false;
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.size() - dot == 4;
}

DownloadPlan planDownload(TransferContext& ctx, const DownloadRequest& request)
{
    return Planner(ctx, request).run();
}

bool runDownload(TransferContext& ctx, const DownloadPlan& plan, const DownloadRunHooks& hooks)
{
    bool first = true;
    bool cancelled = false;
    for (const DownloadStep& step : plan.steps) {
        if (step.kind == DownloadStep::Kind::ChangeDirectory) {
            if (changeTerminalDirectory(ctx, QStringLiteral("..\\") + step.directory) != FtpError::None)
                return false;
            ctx.currentTerminalDir = u'\\' + step.directory + u'\\';
            if (hooks.setStatusBar4)
                hooks.setStatusBar4(ctx.label("TerminalContent") + u'\'' + ctx.currentTerminalDir + u'\'');
            continue;
        }
        const bool put = FtpPutFileSafe(ctx, step.name, step.folder, ctx.currentTerminalDir, first, cancelled,
                                        plan.count, step.remoteName);
        first = false;
        ctx.host.trace(ctx.label("TRC_DownloadedFile") + ctx.label("TRC_TerminalDisk") + ctx.currentTerminalDir +
                       QStringLiteral(": ") + step.traceText);
        if (cancelled)
            return true;
        // A put that ended the session was reported as it failed: the walk stops there, on the client's own
        // state, before any later call could fail on the closed session.
        if (!put && !ctx.ftp.isOpen())
            return false;
        // The terminal may have ended the session while the progress window's wait handled events.
        if (!ctx.ftp.isOpen() || (hooks.sessionOpen && !hooks.sessionOpen())) {
            warn(ctx, ctx.label("MSG_TerminalSessionClosed"));
            return false;
        }
    }
    return true;
}

bool DownloadSelectedCatalogues(TransferContext& ctx, const DownloadRequest& request, const DownloadRunHooks& hooks)
{
    const DownloadPlan plan = planDownload(ctx, request);
    switch (plan.outcome) {
    case DownloadPlan::Outcome::Cancelled:
    case DownloadPlan::Outcome::NoSwapSpace:
    case DownloadPlan::Outcome::SessionEnded:
        return false;
    case DownloadPlan::Outcome::Refused:
        return true;
    case DownloadPlan::Outcome::NothingToSend:
        break;
    case DownloadPlan::Outcome::Send:
        if (!runDownload(ctx, plan, hooks)) {
            unloadProgress(ctx);
            return false;
        }
        break;
    }
    if (plan.maintenanceHeld)
        warn(ctx, ctx.label("MSG_MaintenanceDlFiles"));
    unloadProgress(ctx);
    return true;
}

} // namespace jvz
