#include "TerminalPane.h"

#include "LocalExplorerPane.h"
#include "MainSessionWindow.h"
#include "core/AppSettings.h"
#include "frmMainJVZ.h"
#include "session/SessionRuntime.h"
#include "workspace/CommandState.h"
#include "workspace/LocalItemRoles.h"

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

std::unique_ptr<TerminalPane> TerminalPane::attach(frmMainJVZ& window, const SessionRuntimeState& state,
                                                   Notifier& notifier, FtpClient& ftp)
{
    if (!window.controls().listView2)
        return nullptr;
    return std::unique_ptr<TerminalPane>(new TerminalPane(window, state, notifier, ftp));
}

TerminalPane::TerminalPane(frmMainJVZ& window, const SessionRuntimeState& state, Notifier& notifier, FtpClient& ftp)
    : m_window(window),
      m_host(window, notifier, state.settings, state.batch), m_context{ftp,
                                                                       m_host,
                                                                       notifier,
                                                                       window.language(),
                                                                       state.batch,
                                                                       state.session,
                                                                       state.identity,
                                                                       state.terminalInfo,
                                                                       state.session.currentTerminalDir},
      m_ftp(ftp)
{
    // An FTP call lets the window repaint and take input; its commands wait for the call's end.
    m_ftp.setCallObserver([this](bool running) {
        if (running) {
            m_callBusy.emplace(m_window);
            return;
        }
        m_callBusy.reset();
        // A call that ended the session (a bound ran out, the terminal went): the window closes its side too,
        // once the command under way is over, rather than show a session that answers nothing. An unattended
        // run reports the lost session itself and ends.
        if (!m_ftp.isOpen() && m_window.FtpSessionOpen() && !m_context.batch.gBatchMode && !m_sessionLost.isActive()) {
            m_recordAtLoss = m_context.batch.gErrorText;
            m_sessionLost.start(0);
        }
    });
    m_sessionLost.setSingleShot(true);
    QObject::connect(&m_sessionLost, &QTimer::timeout, &m_window, [this] { closeLostSession(); });
    frmMainJVZ* w = &window;
    const AppSettings* settings = &state.settings;
    const MainWindowControls& ui = window.controls();
    QComboBox* combo2 = ui.combo2;
    QTreeView* listView1 = ui.listView1;
    QTreeView* treeView1 = ui.treeView1;

    // What the pane asks; what it reports, the window answers (frmMainJVZ::connectPanes).
    TerminalExplorerHooks explorer;
    explorer.sessionOpen = [w] { return w->FtpSessionOpen(); };
    explorer.sessionProtocol = [settings] { return settings->gNTProtocol; };
    explorer.activityAsked = [w] { return w->activityAsked(); };
    explorer.catalogFilterItems = [combo2] {
        QStringList items;
        for (int i = 0; combo2 && i < combo2->count(); ++i)
            items.append(combo2->itemText(i));
        return items;
    };

    TerminalPaneQueries queries;
    queries.localSelection = [listView1] { return selectedLocalItems(listView1); };
    queries.localFolder = [w] {
        const LocalExplorerPane* local = w->localExplorer();
        const QString folder = local ? local->CurrentLocalFolder() : w->currentLocalFolder();
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
    queries.downloadEnabled = [w] { return w->DownloadEnabled(); };
    queries.isBusy = [w] { return w->isBusy(); };

    TerminalPaneWidgets widgets;
    widgets.listView2 = ui.listView2;
    widgets.combo3 = ui.combo3;
    widgets.statusBar4 = ui.statusBar4;
    widgets.localList = listView1;
    // Terminal items dropped on the local panes: handled here before the panes' own drops see them.
    widgets.uploadDropTargets = {listView1, treeView1};
    widgets.contextMenu = ui.mnuContextuel;
    widgets.catalogMenu = ui.mnuCatalog;
    widgets.window = &window;
    m_view = std::make_unique<TerminalExplorerView>(m_context, std::move(explorer), widgets, std::move(queries));

    TerminalExplorerView* view = m_view.get();
    window.wireCommand(Command::Download, [view] { view->MNU_Terminal_Download_Click(); });
    window.wireCommand(Command::Upload, [view] { view->MNU_Terminal_Upload_Click(); });
    window.wireCommand(Command::TerminalBackFolder, [view, w] {
        if (w->FtpSessionOpen())
            view->TerminalBackFolder();
    });
    window.wireCommand(Command::TerminalDelFile, [view] { view->DeleteTerminalSelection(); });
    window.wireCommand(Command::TerminalRefresh, [view] { view->RefreshTerminalList(); });
}

TerminalPane::~TerminalPane()
{
    m_ftp.setCallObserver({});
}

void TerminalPane::closeLostSession()
{
    constexpr int kIdlePollMs = 50;
    if (m_window.isBusy()) {
        m_sessionLost.start(kIdlePollMs);
        return;
    }
    if (m_ftp.isOpen() || !m_window.FtpSessionOpen())
        return; // opened again or closed meanwhile
    // A walk of several files may have said it already, as it stopped: its report closes the run's record.
    const QString lost = m_context.label("MSG_FtpSessionLost");
    const QString& record = m_context.batch.gErrorText;
    if (record == m_recordAtLoss || !record.endsWith(lost))
        m_host.trace(lost);
    if (SessionRuntime* session = m_window.session())
        session->CloseFtpSession();
}

void setTerminalListParts(MainSessionWindowParts& parts, frmMainJVZ& window)
{
    frmMainJVZ* w = &window;
    // The refresh button follows the session: it asks the terminal again only while a list stands.
    parts.clearTerminalList = [w] {
        if (TerminalPane* pane = w->terminalPane())
            pane->view().ClearTerminalList();
        w->switchCommand(Command::TerminalRefresh, false);
    };
    parts.enumTerminalDirectory = [w](const QString& directory) {
        if (TerminalPane* pane = w->terminalPane())
            pane->view().FtpEnumDirectory(directory);
        w->switchCommand(Command::TerminalRefresh, true);
    };
}

} // namespace jvz
