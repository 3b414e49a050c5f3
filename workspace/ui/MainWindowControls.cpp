#include "workspace/ui/MainWindowControls.h"

#include "core/MBLanguages.h"
#include "core/ui/IconTable.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace jvz {

namespace {

enum Flags : unsigned {
    Hidden = 1,
    Disabled = 2,
    Checkable = 4,
    Checked = 8,
};

struct ItemRow {
    Command command;
    const char* caption; // design caption, kept when the language file has none
    const char* shortcut;
    unsigned flags;
};

QString nameOf(Command c)
{
    const std::string_view n = commandName(c);
    return QString::fromUtf8(n.data(), qsizetype(n.size()));
}

QMenu* namedMenu(QWidget* parent, const char* name, const char* title)
{
    auto* menu = new QMenu(QString::fromUtf8(title), parent);
    menu->setObjectName(QString::fromUtf8(name));
    return menu;
}

QAction* separator(QMenu* menu, const char* name)
{
    QAction* s = menu->addSeparator();
    s->setObjectName(QLatin1String(name));
    return s;
}

QLineEdit* lineEdit(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QComboBox* combo(QWidget* parent, const char* name, bool editable)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(editable);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

QTreeView* detailList(QWidget* parent, const char* name)
{
    auto* view = new QTreeView(parent);
    view->setObjectName(QLatin1String(name));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(true);
    view->setAllColumnsShowFocus(true);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    return view;
}

QToolBar* paneToolbar(QWidget* parent, const char* name)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed); // the filters beside it take the room
    return bar;
}

QStatusBar* statusBar(QWidget* parent, const char* name)
{
    auto* bar = new QStatusBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setSizeGripEnabled(false);
    return bar;
}

QLabel* panel(QStatusBar* bar, const char* name, int stretch)
{
    auto* label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    bar->addPermanentWidget(label, stretch); // a status tip never hides a panel
    return label;
}

} // namespace

const QStringList& captionlessControlNames()
{
    static const QStringList names = {
        QStringLiteral("TreeView1"),   QStringLiteral("ListView1"),   QStringLiteral("ListView2"),
        QStringLiteral("ImageCombo1"), QStringLiteral("Combo2"),      QStringLiteral("Filter"),
        QStringLiteral("Combo5"),      QStringLiteral("Combo3"),      QStringLiteral("Combo_DefaultConnection"),
        QStringLiteral("Text3"),       QStringLiteral("TXT_login"),   QStringLiteral("TXT_password"),
        QStringLiteral("TXT_Port"),    QStringLiteral("TXT_IP"),      QStringLiteral("TXT_Trace"),
        QStringLiteral("TLB_Icon"),    QStringLiteral("TLB_Connect"), QStringLiteral("Toolbar1"),
        QStringLiteral("Toolbar2"),    QStringLiteral("Toolbar3"),    QStringLiteral("StatusBar1"),
        QStringLiteral("StatusBar2"),  QStringLiteral("StatusBar3"),  QStringLiteral("StatusBar4"),
    };
    return names;
}

QList<QWidget*> MainWindowControls::captionless() const
{
    return {treeView1,   listView1,  listView2,
            imageCombo1, combo2,     filter,
            combo5,      combo3,     comboDefaultConnection,
            text3,       txtLogin,   txtPassword,
            txtPort,     txtIp,      txtTrace,
            tlbIcon,     tlbConnect, toolbar1,
            toolbar2,    toolbar3,   statusBar1,
            statusBar2,  statusBar3, statusBar4};
}

void MainWindowControls::build(QMainWindow& window)
{
    buildMenus(window);
    buildIconBars(window);
    buildPanes(window);
    buildStatusBar(window);
}

void MainWindowControls::buildMenus(QMainWindow& window)
{
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    auto add = [&](QMenu* menu, const ItemRow& row) {
        auto* a = new QAction(QString::fromUtf8(row.caption), &window);
        a->setObjectName(nameOf(row.command));
        if (row.shortcut[0] != '\0')
            a->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        a->setCheckable(row.flags & Checkable);
        a->setChecked(row.flags & Checked);
        a->setVisible(!(row.flags & Hidden));
        a->setEnabled(!(row.flags & Disabled));
        menu->addAction(a);
        actions[static_cast<int>(row.command)] = a;
        return a;
    };

    mnuTerminal = namedMenu(&window, "MNU_Terminal", "&Terminal");
    add(mnuTerminal, {Command::Connect, "Connect To Terminal", "F4", 0});
    add(mnuTerminal, {Command::Disconnect, "Disconnect", "Ctrl+F4", Disabled});
    separator(mnuTerminal, "MNU_line1");
    add(mnuTerminal, {Command::Download, "Download", "F2", Disabled});
    add(mnuTerminal, {Command::Upload, "Upload", "Ctrl+F2", Disabled});
    separator(mnuTerminal, "MNU_line2");
    add(mnuTerminal, {Command::ApplicationList, "Descriptor list", "Ctrl+F", Disabled});
    add(mnuTerminal, {Command::TerminalConfig, "Terminal identification", "Ctrl+I", Disabled});
    add(mnuTerminal, {Command::TerminalInfo, "Terminal configuration", "Ctrl+J", Disabled});
    separator(mnuTerminal, "MNU_line3");
    add(mnuTerminal, {Command::Quit, "Quit", "Ctrl+Q", 0});

    mnuActivity = namedMenu(&window, "MNU_Activity", "&Activity");
    activityGroup = new QActionGroup(&window);
    activityGroup->setObjectName(QStringLiteral("ActivityGroup"));
    for (const ItemRow& row : {ItemRow{Command::ActivityDownload, "Download", "", Checkable},
                               ItemRow{Command::ActivityDiagnostic, "Diagnostic", "", Checkable},
                               ItemRow{Command::ActivityMaintenance, "Maintenance", "", Checkable}})
        activityGroup->addAction(add(mnuActivity, row));

    mnuView = namedMenu(&window, "MNU_View", "&View");
    add(mnuView, {Command::ViewConnectBar, "Connection bar", "", Checkable});
    add(mnuView, {Command::ViewIconBar, "Icon bar", "", Checkable | Checked});
    mnuV1 = separator(mnuView, "MNU_V1");
    add(mnuView, {Command::ViewTrace, "Trace window", "", Checkable});

    mnuConnection = namedMenu(&window, "MNU_Connection", "&Connection");
    add(mnuConnection, {Command::ConnectionConfig, "Configuration ...", "", 0});
    add(mnuConnection, {Command::ConnectionModem, "Modem properties ...", "", 0});
    add(mnuConnection, {Command::ConnectionDevice, "Device manager ...", "", Hidden});
    add(mnuConnection, {Command::ConnectionNetwork, "Network properties ...", "", Hidden | Disabled});
    mnuB1 = separator(mnuConnection, "B1");
    mnuB1->setVisible(false);
    mnuConnectionDefault = namedMenu(&window, "MNU_Connection_Default", "Default Connection");
    add(mnuConnectionDefault, {Command::ConnectionDefaultL1, "L1", "", 0});
    add(mnuConnectionDefault, {Command::ConnectionDefaultL2, "L2", "", 0});
    mnuConnection->addMenu(mnuConnectionDefault)->setVisible(false);
    add(mnuConnection, {Command::ConnectionHangUp, "Hang up", "", Hidden});

    mnuLanguage = namedMenu(&window, "MNU_Language", "&Language");
    QAction* english = add(mnuLanguage, {Command::LanguageEnglish, "english", "Ctrl+E", Disabled | Checkable});
    QAction* french = add(mnuLanguage, {Command::LanguageFrench,
                                        "fran\xc3\xa7"
                                        "ais",
                                        "Ctrl+L", Hidden | Disabled | Checkable});
    // One control array: the items share a name and carry their index.
    for (QAction* a : {english, french}) {
        a->setProperty("index", a == english ? 1 : 2);
        a->setObjectName(QStringLiteral("MNU_Language_Country"));
    }

    mnuHelp = namedMenu(&window, "MNU_Help", "&?");
    add(mnuHelp, {Command::HelpAbout, "A &propos ...", "", 0});
    separator(mnuHelp, "H1");
    add(mnuHelp, {Command::HelpGuide, "User's guide", "F1", 0});
    add(mnuHelp, {Command::HelpJungoTerminals, "&Compliant USB terminals", "", Hidden});

    mnuTest = namedMenu(&window, "MBU_test", "test");
    add(mnuTest, {Command::ReadRasPhone, "Read the phonebook", "", 0});

    for (QMenu* m : {mnuTerminal, mnuActivity, mnuView, mnuConnection, mnuLanguage, mnuHelp, mnuTest})
        bar->addMenu(m);
    mnuLanguage->menuAction()->setVisible(false);
    mnuLanguage->menuAction()->setEnabled(false);
    mnuTest->menuAction()->setVisible(false);

    // Pop-up menus: never on the menu bar; their keys belong to the views they serve (see the window).
    mnuContextuel2 = namedMenu(&window, "MNU_Contextuel2", "Context2");
    add(mnuContextuel2, {Command::ContextAddPath, "Add to favourites", "Shift+Ins", 0});
    add(mnuContextuel2, {Command::ContextDelPath, "Remove from favourites", "Shift+Del", 0});

    mnuContextuel = namedMenu(&window, "MNU_Contextuel", "Context");
    add(mnuContextuel, {Command::ContextCopy, "Copy list", "Ctrl+C", 0});
    add(mnuContextuel, {Command::ContextDelete, "Delete list", "Del", 0});
    add(mnuContextuel, {Command::ContextRefresh, "Refresh", "F5", 0});
    mnuC1 = separator(mnuContextuel, "MNU_C1");
    mnuC1->setVisible(false);
    mnuCatalog = namedMenu(&window, "MNU_Catalog", "C&atalogue");
    add(mnuCatalog, {Command::CatalogDescription, "Description", "F9", Disabled});
    add(mnuCatalog, {Command::CatalogCreate, "Create new ...", "F7", Disabled});
    add(mnuCatalog, {Command::CatalogFamily, "Family", "F8", Disabled});
    add(mnuCatalog, {Command::CatalogList, "Catalogue list ...", "", Disabled});
    mnuCatalogPack = namedMenu(&window, "MNU_CatalogPack", "Catalogue &pack");
    add(mnuCatalogPack, {Command::PackAdd, "Add to list", "F6", Disabled});
    add(mnuCatalogPack, {Command::PackCreate, "Create pack...", "Ctrl+F6", 0});
    separator(mnuCatalogPack, "MNU_C2");
    add(mnuCatalogPack, {Command::PackReset, "Reset list", "Ctrl+Shift+F6", Disabled});
    mnuContextuel->addMenu(mnuCatalog)->setVisible(false);
    mnuContextuel->addMenu(mnuCatalogPack)->setVisible(false);
}

void MainWindowControls::buildIconBars(QMainWindow& window)
{
    tlbIcon = new QToolBar(QStringLiteral("Icons"), &window);
    tlbIcon->setObjectName(QStringLiteral("TLB_Icon"));
    tlbIcon->setMovable(false);
    tlbIcon->setFloatable(false);
    tlbIcon->setIconSize(QSize(24, 24));
    tlbIcon->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tlbIcon->setContextMenuPolicy(Qt::PreventContextMenu);
    window.addToolBar(Qt::TopToolBarArea, tlbIcon);
    for (const IconButtonRow& b : kIconButtons) {
        if (b.separatorBefore)
            tlbIcon->addSeparator();
        QAction* a = new QAction(QString::fromLatin1(b.caption), tlbIcon);
        a->setObjectName(QLatin1String(b.key));
        a->setProperty("imageKey", QLatin1String(b.key));
        tlbIcon->addAction(a);
        iconButtons[static_cast<size_t>(b.button)] = a;
        if (b.ownCommand) {
            a->setCheckable(true);
            actions[static_cast<int>(b.command)] = a;
        } else {
            a->setEnabled(false);
        }
    }

    window.addToolBarBreak(Qt::TopToolBarArea);
    tlbConnect = new QToolBar(QStringLiteral("Connection"), &window);
    tlbConnect->setObjectName(QStringLiteral("TLB_Connect"));
    tlbConnect->setMovable(false);
    tlbConnect->setFloatable(false);
    tlbConnect->setContextMenuPolicy(Qt::PreventContextMenu);
    window.addToolBar(Qt::TopToolBarArea, tlbConnect);
    comboDefaultConnection = combo(tlbConnect, "Combo_DefaultConnection", true);
    comboDefaultConnection->setMinimumContentsLength(16);
    tlbConnect->addWidget(comboDefaultConnection);
    auto frame = [&](const char* frameName, const char* labelName, const char* caption, QLineEdit*& box,
                     const char* boxName, QLabel*& label) {
        auto* f = new QFrame(tlbConnect);
        f->setObjectName(QLatin1String(frameName));
        auto* l = new QHBoxLayout(f);
        l->setContentsMargins(6, 0, 6, 0);
        label = new QLabel(QString::fromLatin1(caption), f);
        label->setObjectName(QLatin1String(labelName));
        box = lineEdit(f, boxName);
        box->setMaximumWidth(140);
        label->setBuddy(box);
        l->addWidget(label);
        l->addWidget(box);
        tlbConnect->addWidget(f);
    };
    frame("Frame2", "LBL_Login", "&Login", txtLogin, "TXT_login", lblLogin);
    frame("Frame3", "LBL_Password", "Pass&word", txtPassword, "TXT_password", lblPassword);
    frame("Frame4", "LBL_Port", "P&ort", txtPort, "TXT_Port", lblPort);
    frame("Frame5", "LBL_IP", "I&P address", txtIp, "TXT_IP", lblIp);
    txtPassword->setEchoMode(QLineEdit::Password);
}

void MainWindowControls::buildPanes(QMainWindow& window)
{
    auto* central = new QWidget(&window);
    central->setObjectName(QStringLiteral("CentralPane"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    mainSplitter = new QSplitter(Qt::Horizontal, central);
    mainSplitter->setObjectName(QStringLiteral("MainSplitter"));
    mainSplitter->setChildrenCollapsible(false);
    centralLayout->addWidget(mainSplitter);

    // Local area: its toolbars and filters, StatusBar3 over both panes, then the tree and the file list.
    localArea = new QWidget(mainSplitter);
    localArea->setObjectName(QStringLiteral("LocalArea"));
    auto* local = new QVBoxLayout(localArea);
    local->setContentsMargins(0, 0, 0, 0);
    local->setSpacing(2);
    auto* localTop = new QHBoxLayout;
    localTop->setSpacing(4);
    treeHeader = new QWidget(localArea);
    treeHeader->setObjectName(QStringLiteral("TreeHeader"));
    auto* treeTop = new QHBoxLayout(treeHeader);
    treeTop->setContentsMargins(0, 0, 0, 0);
    toolbar2 = paneToolbar(treeHeader, "Toolbar2");
    imageCombo1 = combo(treeHeader, "ImageCombo1", false); // picks only: typed paths go to Combo5
    combo5 = combo(treeHeader, "Combo5", false);
    treeTop->addWidget(toolbar2);
    treeTop->addWidget(imageCombo1, 3);
    treeTop->addWidget(combo5, 2);
    toolbar1 = paneToolbar(localArea, "Toolbar1");
    combo2 = combo(localArea, "Combo2", true);
    combo2->setMinimumContentsLength(6);
    filter = lineEdit(localArea, "Filter");
    text3 = lineEdit(localArea, "Text3");
    text3->setReadOnly(true);
    localTop->addWidget(treeHeader);
    localTop->addWidget(toolbar1);
    localTop->addWidget(combo2, 1);
    localTop->addWidget(filter, 2);
    localTop->addWidget(text3, 2);
    local->addLayout(localTop);
    statusBar3 = statusBar(localArea, "StatusBar3");
    bar3Panels[0] = panel(statusBar3, "Panel1", 0);
    bar3Panels[1] = panel(statusBar3, "Panel2", 1);
    local->addWidget(statusBar3);
    localSplitter = new QSplitter(Qt::Horizontal, localArea);
    localSplitter->setObjectName(QStringLiteral("LocalSplitter"));
    localSplitter->setChildrenCollapsible(false);
    treeView1 = new QTreeView(localSplitter);
    treeView1->setObjectName(QStringLiteral("TreeView1"));
    treeView1->setHeaderHidden(true);
    treeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    treeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    listView1 = detailList(localSplitter, "ListView1");
    localSplitter->addWidget(treeView1);
    localSplitter->addWidget(listView1);
    local->addWidget(localSplitter, 1);

    // Terminal area: its toolbar and filter, StatusBar4, the terminal list, StatusBar1 under it.
    terminalArea = new QWidget(mainSplitter);
    terminalArea->setObjectName(QStringLiteral("TerminalArea"));
    auto* terminal = new QVBoxLayout(terminalArea);
    terminal->setContentsMargins(0, 0, 0, 0);
    terminal->setSpacing(2);
    auto* terminalTop = new QHBoxLayout;
    toolbar3 = paneToolbar(terminalArea, "Toolbar3");
    combo3 = combo(terminalArea, "Combo3", true);
    terminalTop->addWidget(toolbar3);
    terminalTop->addWidget(combo3, 1);
    terminal->addLayout(terminalTop);
    statusBar4 = statusBar(terminalArea, "StatusBar4");
    bar4Text = panel(statusBar4, "Panel1", 1);
    terminal->addWidget(statusBar4);
    listView2 = detailList(terminalArea, "ListView2");
    terminal->addWidget(listView2, 1);
    statusBar1 = statusBar(terminalArea, "StatusBar1");
    bar1Text = panel(statusBar1, "Panel1", 1);
    terminal->addWidget(statusBar1);
    mainSplitter->addWidget(localArea);
    mainSplitter->addWidget(terminalArea);

    // Explorer toolbar buttons, named by their keys.
    auto button = [&](QToolBar* bar, Command command, const char* key, const char* caption, bool enabled) {
        auto* a = new QAction(QString::fromLatin1(caption), bar);
        a->setObjectName(QLatin1String(key));
        a->setProperty("imageKey", QLatin1String(key));
        a->setEnabled(enabled);
        bar->addAction(a);
        actions[static_cast<int>(command)] = a;
    };
    button(toolbar1, Command::LocalRefresh, "Refresh", "Refresh", true);
    button(toolbar1, Command::LocalBackFolder, "BackFolder", "Parent folder", true);
    button(toolbar1, Command::LocalDelFile, "DelFile", "Delete", false);
    button(toolbar2, Command::LocalBack, "back", "Back", true);
    button(toolbar3, Command::TerminalBackFolder, "BackFolder", "Parent folder", false);
    button(toolbar3, Command::TerminalDelFile, "DelFile", "Delete", false);
    button(toolbar3, Command::TerminalRefresh, "Refresh", "Refresh", false);

    // The floating trace box: over the panes, moved by the mouse, hidden unless asked for.
    txtTrace = new QPlainTextEdit(central);
    txtTrace->setObjectName(QStringLiteral("TXT_Trace"));
    txtTrace->setReadOnly(true);
    txtTrace->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtTrace->setFrameShape(QFrame::Box);
    txtTrace->hide(); // lines are written to it even while hidden

    window.setCentralWidget(central);
}

void MainWindowControls::buildStatusBar(QMainWindow& window)
{
    statusBar2 = statusBar(&window, "StatusBar2");
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "Panel" + QByteArray::number(i + 1);
        bar2Panels[i] = panel(statusBar2, name.constData(), i == 3 ? 2 : 1);
    }
    window.setStatusBar(statusBar2);
}

// Controls without a caption of their own are named for screen readers, with the same text as their tooltip.
void MainWindowControls::applyAccessibleTexts(const MBLanguages& language) const
{
    for (QWidget* w : captionless()) {
        const QString text = w ? language.GetFormLabel(QStringLiteral("ToolTipText") + w->objectName()) : QString();
        if (!w || text.isEmpty())
            continue;
        w->setToolTip(text);
        w->setAccessibleName(text);
        // An empty box tells what it is for.
        if (auto* box = qobject_cast<QLineEdit*>(w))
            box->setPlaceholderText(text);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->lineEdit() ? combo->lineEdit()->setPlaceholderText(text) : combo->setPlaceholderText(text);
    }
    // Labels name the text boxes they stand before; the menus' mnemonics reach them.
    for (QToolBar* bar : {tlbIcon, toolbar1, toolbar2, toolbar3})
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && a->toolTip().isEmpty())
                a->setToolTip(a->text());
}

void MainWindowControls::applyIcons(QMainWindow& window) const
{
    for (QToolBar* bar : {tlbIcon, toolbar1, toolbar2, toolbar3})
        for (QAction* a : bar->actions()) {
            const QString key = a->property("imageKey").toString();
            if (!key.isEmpty())
                a->setIcon(iconForImageKey(key));
        }
    window.setWindowIcon(iconForImageKey(QStringLiteral("Program")));
}

void MainWindowControls::setTabOrder() const
{
    const QList<QWidget*> chain = {comboDefaultConnection,
                                   txtLogin,
                                   txtPassword,
                                   txtPort,
                                   txtIp,
                                   imageCombo1,
                                   combo5,
                                   combo2,
                                   filter,
                                   text3,
                                   treeView1,
                                   listView1,
                                   combo3,
                                   listView2,
                                   txtTrace};
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain.at(i - 1), chain.at(i));
}

} // namespace jvz
