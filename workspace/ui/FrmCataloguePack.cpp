#include "workspace/ui/FrmCataloguePack.h"

#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace jvz {

namespace {
// The window's least size: 5620 by 3500 twips.
constexpr int kMinWidth = 5620 / 15;
constexpr int kMinHeight = 3500 / 15;
} // namespace

FrmCataloguePack::FrmCataloguePack(Services services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_services(std::move(services)), m_pack({})
{
    setObjectName(QStringLiteral("FrmCataloguePack"));
    setWindowTitle(QStringLiteral("Catalogue pack editor"));
    setMinimumSize(kMinWidth, kMinHeight);

    auto* lblFilename = namedControl<QLabel>(this, "LblFilename", QStringLiteral("Catalogue:"));
    auto* lblPath = namedControl<QLabel>(this, "LblPath", QStringLiteral("Pack directory:"));
    m_txtFilename = namedControl<QLineEdit>(this, "TxtFilename");
    m_txtFilename->setReadOnly(true); // the save uses only the names set by the chooser
    m_txtPath = namedControl<QLineEdit>(this, "TxtPath");
    m_txtPath->setReadOnly(true);
    m_btnFilename = namedControl<QPushButton>(this, "BtnFilename", QStringLiteral("Browse"));
    m_list = namedControl<QListWidget>(this, "List");
    m_btnAdd = namedControl<QPushButton>(this, "BtnAdd", QStringLiteral("&Add..."));
    m_btnRemove = namedControl<QPushButton>(this, "BtnRemove", QStringLiteral("&Remove"));
    m_btnUp = namedControl<QPushButton>(this, "BtnUp", QStringLiteral("Move &up"));
    m_btnDown = namedControl<QPushButton>(this, "BtnDown", QStringLiteral("Move &down"));
    m_btnReset = namedControl<QPushButton>(this, "BtnReset", QStringLiteral("Rese&t"));
    m_btnSave = namedControl<QPushButton>(this, "BtnSave", QStringLiteral("&Save"));
    m_btnClose = namedControl<QPushButton>(this, "BtnClose", QStringLiteral("&Close"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblFilename, 0, 0);
    grid->addWidget(m_txtFilename, 0, 1);
    grid->addWidget(m_btnFilename, 0, 2);
    grid->addWidget(lblPath, 1, 0);
    grid->addWidget(m_txtPath, 1, 1, 1, 2);
    grid->addWidget(m_list, 2, 0, 1, 2);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {m_btnAdd, m_btnRemove, m_btnUp, m_btnDown, m_btnReset})
        side->addWidget(b);
    side->addStretch(1);
    side->addWidget(m_btnSave);
    side->addWidget(m_btnClose);
    grid->addLayout(side, 2, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    resize(620, 360);

    CataloguePack::Services packServices;
    packServices.language = &m_language;
    packServices.notifier = m_services.notifier;
    packServices.writer = m_services.writer;
    packServices.now = m_services.now;
    packServices.selectEntry = [this](int i) { m_list->setCurrentRow(i); };
    packServices.setBusy = [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    packServices.owner = this;
    m_pack = CataloguePack(packServices);

    connect(m_btnAdd, &QPushButton::clicked, this, &FrmCataloguePack::BtnAdd_Click);
    connect(m_btnRemove, &QPushButton::clicked, this, &FrmCataloguePack::BtnRemove_Click);
    connect(m_btnUp, &QPushButton::clicked, this, &FrmCataloguePack::BtnUp_Click);
    connect(m_btnDown, &QPushButton::clicked, this, &FrmCataloguePack::BtnDown_Click);
    connect(m_btnReset, &QPushButton::clicked, this, &FrmCataloguePack::ResetList);
    connect(m_btnFilename, &QPushButton::clicked, this, &FrmCataloguePack::BtnFilename_Click);
    connect(m_btnSave, &QPushButton::clicked, this, &FrmCataloguePack::BtnSave_Click);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_list, &QListWidget::itemClicked, this, &FrmCataloguePack::List_Click);
    m_txtFilename->installEventFilter(this);
    m_txtPath->installEventFilter(this);
    ResetList();
}

void FrmCataloguePack::init(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
}

bool FrmCataloguePack::AddToList(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    m_pack.entries << path;
    m_list->addItem(path);
    UpdateResetButton();
    return true;
}

void FrmCataloguePack::ResetList()
{
    m_pack.entries.clear();
    m_list->clear();
    DisableItemButtons();
    UpdateResetButton();
}

void FrmCataloguePack::UpdateResetButton()
{
    m_btnReset->setEnabled(m_list->count() > 0);
    emit listChanged();
}

void FrmCataloguePack::DisableItemButtons()
{
    m_btnRemove->setEnabled(false);
    m_btnUp->setEnabled(false);
    m_btnDown->setEnabled(false);
}

void FrmCataloguePack::refreshList(int selected)
{
    m_list->clear();
    m_list->addItems(m_pack.entries);
    if (selected >= 0)
        m_list->setCurrentRow(selected);
    else
        m_list->setCurrentRow(-1);
}

QString FrmCataloguePack::filterPair(const char* key, const char* pattern) const
{
    return m_language.GetFormLabel(QLatin1String(key)) + u'|' + QLatin1String(pattern);
}

void FrmCataloguePack::BtnAdd_Click()
{
    if (!m_services.chooseFiles)
        return;
    const QString filters = filterPair("MSG_Filter_AllFiles", "*.*") + u'|' +
                            filterPair("MSG_Filter_CatalogueFiles", "*.M??") + u'|' +
                            filterPair("MSG_Filter_SignedComponents", "*.?GN");
    for (const QString& path : m_services.chooseFiles(filters)) {
        m_pack.entries << path;
        m_list->addItem(path);
    }
    UpdateResetButton();
}

void FrmCataloguePack::BtnRemove_Click()
{
    const int i = m_list->currentRow();
    if (i < 0 || m_list->selectedItems().isEmpty())
        return;
    m_pack.entries.removeAt(i);
    if (m_pack.entries.isEmpty()) {
        refreshList(-1);
        DisableItemButtons();
    } else {
        refreshList(i - 1);
        if (i == 0)
            m_list->clearSelection();
        m_list->setFocus();
    }
    UpdateResetButton();
}

void FrmCataloguePack::moveSelected(int step)
{
    const int i = m_list->currentRow();
    if (i < 0 || m_list->selectedItems().isEmpty())
        return;
    const int to = i + step;
    if (to < 0 || to >= m_pack.entries.size())
        return;
    m_pack.entries.move(i, to);
    refreshList(to);
    m_list->setFocus();
}

void FrmCataloguePack::BtnUp_Click()
{
    moveSelected(-1);
}

void FrmCataloguePack::BtnDown_Click()
{
    moveSelected(+1);
}

void FrmCataloguePack::List_Click()
{
    m_btnRemove->setEnabled(true);
    if (m_list->count() >= 2) {
        m_btnUp->setEnabled(true);
        m_btnDown->setEnabled(true);
    }
}

void FrmCataloguePack::BtnFilename_Click()
{
    if (!m_services.chooseSaveName)
        return;
    const QString filters =
        filterPair("MSG_Filter_CatalogueFiles", "*.M??") + u'|' + filterPair("MSG_Filter_AllFiles", "*.*");
    const QString chosen = m_services.chooseSaveName(m_pack.PackPath, filters);
    if (chosen.isEmpty())
        return;
    m_pack.choosePath(chosen, m_services.filterText ? m_services.filterText() : QString());
    m_txtPath->setText(m_pack.PackFolder);
    m_txtPath->setCursorPosition(int(m_pack.PackFolder.size()));
    m_txtFilename->setText(m_pack.PackName);
}

void FrmCataloguePack::BtnSave_Click()
{
    if (m_txtFilename->text().isEmpty())
        BtnFilename_Click();
    m_pack.SavePack();
}

void FrmCataloguePack::closeEvent(QCloseEvent* event)
{
    // The window stays for the next opening, with its list and names.
    event->ignore();
    hide();
    if (QWidget* owner = parentWidget())
        owner->activateWindow();
}

bool FrmCataloguePack::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_txtFilename || watched == m_txtPath) && event->type() == QEvent::MouseButtonDblClick) {
        BtnFilename_Click();
        return true;
    }
    if (watched == m_txtPath && event->type() == QEvent::FocusOut)
        m_txtPath->setCursorPosition(int(m_txtPath->text().size()));
    return QWidget::eventFilter(watched, event);
}

} // namespace jvz
