#include "TerminalPane.h"

#include "core/AppSettings.h"
#include "session/SessionRuntime.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/ui/MainWindowCommands.h"
#include "workspace/ui/MainWindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace jvz {

namespace {

QList<LocalSelectedItem> selectedLocalItems(QTreeView* list)
{
    QList<LocalSelectedItem> items;
    if (!list || !list->selectionModel())
        return items;
    QModelIndexList rows = list->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows) {
        // A marked item shows the check mark; its own image waits in SavedImageKey.
        const QString saved = i.data(LocalRole::SavedImageKey).toString();
        items.append({i.data().toString(), saved.isEmpty() ? i.data(LocalRole::ImageKey).toString() : saved});
    }
    return items;
}

} // namespace

TerminalPane::TerminalPane(TerminalPaneControls window, const SessionRuntimeState& state, TerminalListSession& session,
                           Notifier& notifier, FtpClient& ftp, Wininet& wininet)
    : m_window(window), m_host({window.window, window.controls, window.trace, window.language}, wininet, notifier,
                               state.settings, state.batch),
      m_context{ftp,
                m_host,
                notifier,
                window.language,
                state.batch,
                state.session,
                state.identity,
                state.terminalInfo,
                state.session.currentTerminalDir},
      m_ftp(ftp)
{
    // An FTP call lets the window repaint and take input; its commands wait for the call's end.
    m_ftp.setCallObserver([this](bool running) {
        emit ftpCallRunning(running);
        if (running)
            return;
        // A call that ended the session (a bound ran out, the terminal went): the window closes its side too,
        // once the command under way is over, rather than show a session that answers nothing. An unattended
        // run reports the lost session itself and ends.
        if (!m_ftp.isOpen() && m_window.commands.FtpSessionOpen() && !m_context.batch.gBatchMode &&
            !m_sessionLost.isActive() && !m_lossWaiting) {
            m_recordAtLoss = m_context.batch.gErrorText;
            m_sessionLost.start(0);
        }
    });
    m_sessionLost.setSingleShot(true);
    connect(&m_sessionLost, &QTimer::timeout, this, &TerminalPane::closeLostSession);
    MainWindowCommands* commands = &window.commands;
    const AppSettings* settings = &state.settings;
    const MainWindowControls& ui = window.controls;
    QComboBox* combo2 = ui.combo2;
    QTreeView* listView1 = ui.listView1;
    QTreeView* treeView1 = ui.treeView1;

    // What the pane asks; what it reports comes out as its view's signals, which the assembly connects.
    TerminalExplorerHooks queries;
    queries.sessionProtocol = [settings] { return settings->gNTProtocol; };
    queries.activityAsked = [commands] { return commands->activityAsked(); };
    queries.catalogFilterItems = [combo2] {
        QStringList items;
        for (int i = 0; combo2 && i < combo2->count(); ++i)
            items.append(combo2->itemText(i));
        return items;
    };
    queries.localSelection = [listView1] { return selectedLocalItems(listView1); };
    queries.localFolder = [commands] {
        const QString folder = commands->currentLocalFolder();
        return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
    };
    // The tree's root ("My Computer") holds no path: nothing is got there.
    queries.treeFolder = [treeView1] {
        if (!treeView1 || !treeView1->selectionModel())
            return QString();
        const QModelIndexList selected = treeView1->selectionModel()->selectedRows();
        const QModelIndex node = selected.isEmpty() ? treeView1->currentIndex() : selected.first();
        return node.isValid() ? node.data(LocalRole::FullPath).toString() : QString();
    };
    queries.downloadEnabled = [commands] { return commands->DownloadEnabled(); };
    queries.isBusy = [commands] { return commands->isBusy(); };

    TerminalExplorerControls widgets;
    widgets.listView2 = ui.listView2;
    widgets.combo3 = ui.combo3;
    widgets.statusBar4 = ui.statusBar4;
    widgets.localList = listView1;
    // Terminal items dropped on the local panes: handled here before the panes' own drops see them.
    widgets.uploadDropTargets = {listView1, treeView1};
    widgets.contextMenu = ui.mnuContextuel;
    widgets.window = &window.window;
    m_view = std::make_unique<TerminalExplorerView>(m_context, session, widgets, std::move(queries));
    connect(m_view.get(), &TerminalExplorerView::showAllLocalFilesAsked, this, &TerminalPane::showAllLocalFiles);

    TerminalExplorerView* view = m_view.get();
    commands->wireCommand(Command::Download, [view] { view->MNU_Terminal_Download_Click(); });
    commands->wireCommand(Command::Upload, [view] { view->MNU_Terminal_Upload_Click(); });
    commands->wireCommand(Command::TerminalBackFolder, [view, commands] {
        if (commands->FtpSessionOpen())
            view->TerminalBackFolder();
    });
    commands->wireCommand(Command::TerminalDelFile, [view] { view->DeleteTerminalSelection(); });
    commands->wireCommand(Command::TerminalRefresh, [view] { view->RefreshTerminalList(); });
}

TerminalPane::~TerminalPane()
{
    m_ftp.setCallObserver({});
}

void TerminalPane::windowBusyChanged(bool busy)
{
    if (busy || !m_lossWaiting)
        return;
    m_lossWaiting = false;
    m_sessionLost.start(0);
}

void TerminalPane::closeLostSession()
{
    if (m_window.commands.isBusy()) {
        m_lossWaiting = true; // windowBusyChanged starts it again
        return;
    }
    if (m_ftp.isOpen() || !m_window.commands.FtpSessionOpen())
        return; // opened again or closed meanwhile
    // A walk of several files may have said it already, as it stopped: its report closes the run's record.
    const QString lost = m_context.label("MSG_FtpSessionLost");
    const QString& record = m_context.batch.gErrorText;
    if (record == m_recordAtLoss || !record.endsWith(lost))
        m_host.trace(lost);
    emit ftpSessionLost();
}

void TerminalPane::runListCommand(Command command)
{
    if (command == Command::ContextDelete)
        m_view->DeleteTerminalSelection();
    else if (command == Command::ContextRefresh)
        m_view->RefreshTerminalList();
}

void TerminalPane::showAllLocalFiles()
{
    QComboBox* combo2 = m_window.controls.combo2;
    const int all = combo2->findText(QStringLiteral("*.*"));
    if (all >= 0)
        combo2->setCurrentIndex(all);
    else if (combo2->isEditable())
        combo2->setEditText(QStringLiteral("*.*"));
}

} // namespace jvz
