#include "terminal_files/TerminalExplorer.h"

#include "core/Cp1252.h"
#include "platform/FtpClient.h"
#include "platform/Notifier.h"
#include "terminal_files/BatchTransfers.h"
#include "terminal_files/SafeTransfer.h"
#include "terminal_files/TerminalDiskInfo.h"

namespace jvz {

TerminalExplorer::TerminalExplorer(TransferContext& ctx, TerminalListModel& model, TerminalListSession& session,
                                   TerminalListWindow& window)
    : m_ctx(ctx), m_model(model), m_session(session), m_window(window)
{
}

QString TerminalExplorer::pattern() const
{
    return m_window.filterText();
}

void TerminalExplorer::showDirectoryCaption()
{
    m_window.showCaption(label("TerminalContent") + u'\'' + m_ctx.currentTerminalDir + u'\'');
}

void TerminalExplorer::ClearTerminalList()
{
    m_model.clear();
}

void TerminalExplorer::FtpEnumDirectory(const QString& /*directory*/, const QString& pattern)
{
    m_model.clear();
    const QString command = label("FTPCmd") + QStringLiteral("LIST");
    m_ctx.host.setTransferStatus(command);
    m_ctx.host.trace(command);
    QList<FtpFileEntry> entries;
    QList<FtpDroppedLine> droppedLines;
    const uint32_t error =
        findFtpFiles(m_ctx.ftp, Cp1252::encode(pattern), &entries, QDate::currentDate(), &droppedLines);
    for (const FtpDroppedLine& line : droppedLines) {
        const char* key = line.reason == FtpLineDrop::TooLong ? "TRC_TerminalLineTooLong" : "TRC_TerminalSizeTooLarge";
        constexpr qsizetype kShown = 120; // of a line that may hold megabytes
        QString text = visibleName(Cp1252::decode(line.line.left(kShown)));
        if (line.line.size() > kShown)
            text += QStringLiteral("...");
        m_ctx.host.trace(label(key) + text);
    }
    if (error != FtpError::None && error != FtpError::NoMoreFiles)
        m_ctx.host.ReportFtpError(error, QStringLiteral("FtpFindFirstFile"));
    TerminalImageRules rules;
    rules.catalogFilterItems = m_window.catalogFilterItems();
    QStringList dropped;
    QList<TerminalListRow> rows = terminalListRows(entries, rules, &dropped);
    for (const QString& name : dropped)
        m_ctx.host.trace(label("TRC_TerminalNameDropped") + name);
    m_model.setRows(std::move(rows));
}

void TerminalExplorer::relist()
{
    FtpEnumDirectory(m_ctx.currentTerminalDir, pattern());
}

void TerminalExplorer::OpenTerminalItem(const QList<int>& selectedRows)
{
    if (selectedRows.isEmpty())
        return;
    const int rowIndex = selectedRows.first();
    if (rowIndex < 0 || rowIndex >= m_model.rows().size())
        return;
    const TerminalListRow row = m_model.rows().at(rowIndex);
    if (row.imageKey == QLatin1String("ClsFolder")) {
        if (refuseUnsendableTerminalName(m_ctx, row.listedName))
            return;
        if (row.name == QLatin1String("HOST"))
            m_window.showAllLocalFiles();
        else
            m_session.showProductFilter(m_ctx.identity.productCode);
        const QString remembered = m_ctx.currentTerminalDir;
        m_ctx.currentTerminalDir = remembered + row.listedName + u'\\';
        if (changeTerminalDirectory(m_ctx, m_ctx.currentTerminalDir) != FtpError::None) {
            m_ctx.currentTerminalDir = remembered;
            return;
        }
        showDirectoryCaption();
        relist();
        return;
    }
    if (Cp1252::toUpper(row.name.right(4)) == QLatin1String(".SIZ")) {
        ShowTerminalDiskInfo(m_ctx.currentTerminalDir, m_model.rows(), m_ctx.language, m_ctx.notifier);
        return;
    }
    m_window.openTerminalFile(m_ctx.currentTerminalDir, row.listedName, listedBytes(row.size));
}

TerminalExplorer::BackSelection TerminalExplorer::TerminalBackFolder()
{
    const QString old = m_ctx.currentTerminalDir;
    if (old != QLatin1String("\\")) {
        QString parent = old.left(old.size() - 1);
        parent = parent.left(parent.lastIndexOf(u'\\') + 1);
        m_ctx.currentTerminalDir = parent;
        showDirectoryCaption();
        if (changeTerminalDirectory(m_ctx, QStringLiteral("..")) == FtpError::None) {
            m_window.setFilterText(QStringLiteral("*.*"));
            FtpEnumDirectory(m_ctx.currentTerminalDir, QStringLiteral("*.*"));
        }
    }
    BackSelection selection;
    const QList<TerminalListRow>& rows = m_model.rows();
    for (int i = 0; i < rows.size(); ++i) {
        if (Cp1252::toUpper(rows.at(i).name) == m_ctx.identity.swapDisk) {
            selection.deselect = i;
            break;
        }
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (u'\\' + rows.at(i).listedName + u'\\' == old) {
            selection.select = i;
            break;
        }
    }
    return selection;
}

bool TerminalExplorer::DeleteTerminalFile(const QString& name)
{
    const bool refused = refuseUnsendableTerminalName(m_ctx, name);
    const uint32_t error = refused ? FtpError::InvalidParameter : m_ctx.ftp.deleteFile(Cp1252::encode(name));
    if (error == FtpError::None) {
        const QString status = label("FTPCmd") + label("DelOK");
        m_ctx.host.setTransferStatus(status);
        m_ctx.host.trace(status);
        m_ctx.host.trace(label("TRC_DelFile") + label("TRC_TerminalDisk") + m_ctx.currentTerminalDir +
                         QStringLiteral(": ") + name);
        return true;
    }
    if (!refused)
        m_ctx.host.ReportFtpError(error, QStringLiteral("FtpDeleteFile"));
    const QString status = label("FTPCmd") + label("DelKO");
    m_ctx.host.setTransferStatus(status);
    m_ctx.host.trace(status);
    return false;
}

bool TerminalExplorer::DeleteTerminalSelection(const QList<int>& selectedRows)
{
    QList<int> rows;
    for (int r : selectedRows) {
        if (r >= 0 && r < m_model.rows().size() && !rows.contains(r))
            rows.append(r);
    }
    if (rows.isEmpty())
        return false;
    std::sort(rows.begin(), rows.end());
    QStringList names;  // as shown, for the question
    QStringList listed; // as the terminal listed them, to delete
    for (int r : rows) {
        names.append(m_model.rows().at(r).name);
        listed.append(m_model.rows().at(r).listedName);
    }
    const QString text = names.size() == 1
                             ? label("MSG_DelFile") + QStringLiteral(" '") + names.first() + QStringLiteral("' ?")
                             : label("MSG_DelFiles1") + u' ' + QString::number(names.size()) + u' ' +
                                   label("MSG_DelFiles2") + QStringLiteral(" ?");
    const MessageAnswer answer =
        m_ctx.notifier.message(text, label("TIT_DelFile"), MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes) {
        for (const QString& name : std::as_const(listed))
            DeleteTerminalFile(name);
    }
    relist();
    return true;
}

void TerminalExplorer::RefreshTerminalList()
{
    if (!m_session.FtpSessionOpen())
        return;
    if (m_window.sessionProtocol()) {
        m_session.CloseFtpSession();
        m_model.clear();
        m_session.SendTerminalMessage(0, m_window.activityAsked());
        return;
    }
    relist();
}

void TerminalExplorer::Combo3_Click()
{
    if (m_session.FtpSessionOpen())
        relist();
}

void TerminalExplorer::Combo3_Validate()
{
    if (m_window.filterText().trimmed().isEmpty())
        m_window.setFilterText(QStringLiteral("*"));
    if (m_session.FtpSessionOpen())
        RefreshTerminalList();
}

} // namespace jvz
