#include "core/ui/FrmDirBox.h"

#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"
#include "core/ui/IconTable.h"
#include "platform/VolumeSource.h"

#include <QAbstractFileIconProvider>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace jvz {

namespace {

QString placeImageKey(DriveKind kind)
{
    switch (kind) {
    case DriveKind::Removable:
        return QStringLiteral("RemovableDrive");
    case DriveKind::Network:
        return QStringLiteral("NetDrive");
    case DriveKind::Optical:
        return QStringLiteral("CdDrive");
    case DriveKind::Unknown:
    case DriveKind::Fixed:
    case DriveKind::RamDisk:
        return QStringLiteral("Drive");
    }
    return QStringLiteral("Drive");
}

// Folders take the image list's closed folder.
class FolderIcons final : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType) const override { return iconForImageKey(QStringLiteral("ClsFolder")); }
    QIcon icon(const QFileInfo&) const override { return icon(Folder); }
};

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace

FrmDirBox::FrmDirBox(const VolumeSource& volumes, QWidget* parent) : QDialog(parent), m_volumes(volumes)
{
    setObjectName(QStringLiteral("FrmDirBox"));
    setWindowTitle(QStringLiteral("Folder"));
    setModal(true);

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    for (const VolumeInfo& v : m_volumes.volumes()) {
        const QString text = v.volumeName.isEmpty() ? v.path : QStringLiteral("%1 (%2)").arg(v.path, v.volumeName);
        m_drive1->addItem(iconForImageKey(placeImageKey(v.kind)), text, v.path);
    }

    m_model = new QFileSystemModel(this);
    m_model->setObjectName(QStringLiteral("Dir1Model"));
    static FolderIcons icons; // shared by every chooser; the model keeps a pointer to it
    m_model->setIconProvider(&icons);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_model->setRootPath(QStringLiteral("/"));
    m_dir1 = new QTreeView(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_dir1->setModel(m_model);
    m_dir1->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_dir1->hideColumn(column);
    m_dir1->setSelectionMode(QAbstractItemView::SingleSelection);

    const OkCancelRow buttons = okCancelRow(this, "CmdOK", "CmdAnnuler", QStringLiteral("Annuler"));
    m_cmdOK = buttons.ok;
    m_cmdAnnuler = buttons.cancel;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_drive1);
    layout->addWidget(m_dir1, 1);
    layout->addLayout(buttons.layout);
    resize(360, 420);

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &FrmDirBox::Drive1_Change);
    connect(m_cmdOK, &QPushButton::clicked, this, &FrmDirBox::CmdOK_Click);
    connect(m_cmdAnnuler, &QPushButton::clicked, this, &FrmDirBox::CmdAnnuler_Click);
    connect(m_dir1, &QTreeView::activated, this, [this](const QModelIndex& index) { m_dir1->expand(index); });
    // The tree reads folders in the background and sorts what it read: the start folder is shown again each
    // time, until the user takes over.
    m_revealTimer = new QTimer(this);
    m_revealTimer->setSingleShot(true);
    m_revealTimer->setInterval(0);
    connect(m_revealTimer, &QTimer::timeout, this, &FrmDirBox::revealStartFolder);
    connect(m_model, &QFileSystemModel::directoryLoaded, m_revealTimer, qOverload<>(&QTimer::start));
    connect(m_model, &QAbstractItemModel::layoutChanged, m_revealTimer, qOverload<>(&QTimer::start));
    connect(m_dir1->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_startFolder.clear(); });
    m_dir1->installEventFilter(this);
    m_dir1->viewport()->installEventFilter(this);
    if (m_drive1->count() > 0)
        Drive1_Change();
}

void FrmDirBox::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
}

void FrmDirBox::init(const QString& path)
{
    QList<VolumeInfo> places;
    for (int i = 0; i < m_drive1->count(); ++i) {
        VolumeInfo place;
        place.path = m_drive1->itemData(i).toString();
        places.append(place);
    }
    const int index = m_drive1->findData(volumeHolding(places, path));
    if (index >= 0 && index != m_drive1->currentIndex())
        m_drive1->setCurrentIndex(index); // runs the place change
    showFolder(path);
}

bool FrmDirBox::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        m_startFolder.clear(); // the user's own choice from now on
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmDirBox::revealStartFolder()
{
    if (m_startFolder.isEmpty())
        return;
    const QModelIndex index = m_model->index(m_startFolder);
    if (!index.isValid())
        return;
    for (QModelIndex parent = index.parent(); parent.isValid() && parent != m_dir1->rootIndex();
         parent = parent.parent())
        m_dir1->expand(parent);
    m_dir1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FrmDirBox::Drive1_Change()
{
    m_startFolder.clear();
    const QString place = m_drive1->currentData().toString();
    // A place that cannot be read leaves the tree as it was.
    if (place.isEmpty() || !QFileInfo(place).isDir())
        return;
    m_dir1->setRootIndex(m_model->index(withoutTrailingSlash(place)));
    m_dir1->clearSelection();
    m_dir1->setCurrentIndex(QModelIndex());
}

void FrmDirBox::showFolder(const QString& path)
{
    const QString folder = withoutTrailingSlash(QDir::cleanPath(path));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    const QModelIndex index = m_model->index(folder);
    if (!index.isValid())
        return;
    // A folder outside the place shows from the top of the tree.
    const QString place = withoutTrailingSlash(m_drive1->currentData().toString());
    if (place.isEmpty() || !(folder == place || folder.startsWith(place == QLatin1String("/") ? place : place + u'/')))
        m_dir1->setRootIndex(m_model->index(QStringLiteral("/")).parent());
    if (folder != place) {
        m_startFolder = folder;
        revealStartFolder();
    }
}

QString FrmDirBox::currentFolder() const
{
    const QModelIndex current = m_dir1->currentIndex();
    if (current.isValid())
        return m_model->filePath(current);
    const QModelIndex root = m_dir1->rootIndex();
    if (root.isValid())
        return m_model->filePath(root);
    return withoutTrailingSlash(m_drive1->currentData().toString());
}

void FrmDirBox::CmdOK_Click()
{
    SelectedDirectory = currentFolder();
    accept();
}

void FrmDirBox::CmdAnnuler_Click()
{
    SelectedDirectory.clear();
    reject();
}

} // namespace jvz
