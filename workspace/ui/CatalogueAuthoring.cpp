#include "workspace/ui/CatalogueAuthoring.h"

#include "core/AppSettings.h"
#include "core/CaseLookup.h"
#include "core/MBLanguages.h"
#include "core/ui/FrmDirBox.h"
#include "platform/Notifier.h"
#include "platform/VolumeSource.h"
#include "workspace/AuthoringFiles.h"
#include "workspace/CatalogueFamily.h"
#include "workspace/LocalItemRoles.h"
#include "workspace/ProductCodes.h"
#include "workspace/ui/FrmCataloguePack.h"
#include "workspace/ui/FrmCreateCatalogList.h"
#include "workspace/ui/frmCreateCatalog.h"
#include "workspace/ui/frmCreateFamily.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

namespace jvz {

namespace {

// "Text|*.a|Text|*.b" as a Qt name filter list.
QStringList qtFilters(const QString& pairs)
{
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return filters;
}

QString withSlash(const QString& folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

CatalogueAuthoring::CatalogueAuthoring(Context context, QObject* parent)
    : QObject(parent), m_context(std::move(context))
{
    runModal = [](QDialog& dialog) { return dialog.exec(); };
    chooseFolder = [this](const QString& start) { return defaultChooseFolder(start); };
    choosePackFiles = [this](const QString& filters) {
        QFileDialog dialog(m_context.window, QString(), localFolder());
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters(qtFilters(filters));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    choosePackName = [this](const QString& start, const QString& filters) {
        QFileDialog dialog(m_context.window, QString(), localFolder());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(qtFilters(filters));
        if (!start.isEmpty())
            dialog.selectFile(start); // a pack already named is saved where it is
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
}

CatalogueAuthoring::~CatalogueAuthoring() = default;

QString CatalogueAuthoring::localFolder() const
{
    // The folder the explorer shows, not the working folder the program started in.
    const QString folder = m_context.currentFolder ? m_context.currentFolder() : QString();
    return folder.isEmpty() ? QDir::homePath() : folder;
}

QStringList CatalogueAuthoring::selectedPaths(const QAbstractItemView& view)
{
    QStringList paths;
    const QItemSelectionModel* selection = view.selectionModel();
    if (!selection)
        return paths;
    QModelIndexList rows = selection->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows)
        paths << row.data(LocalRole::FullPath).toString();
    return paths;
}

QStringList CatalogueAuthoring::itemTexts(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QString CatalogueAuthoring::defaultChooseFolder(const QString& start)
{
    // The machine's volumes are read only when the chooser is first wanted.
    if (!m_context.volumes) {
        if (!m_systemVolumes)
            m_systemVolumes = std::make_unique<SystemVolumeSource>();
        m_context.volumes = m_systemVolumes.get();
    }
    FrmDirBox box(*m_context.volumes, m_context.window);
    box.InitLanguage(*m_context.language);
    box.init(start);
    runModal(box);
    return box.SelectedDirectory;
}

QString CatalogueAuthoring::productCodeFile() const
{
    const QString file = m_context.settings->gCataExtFile;
    const QString path = QDir::isAbsolutePath(file) ? file : m_context.settings->gProgramFolder + u'/' + file;
    return resolvePathAnyCase(path);
}

QStringList CatalogueAuthoring::catalogueSelection() const
{
    return catalogueListsOf(m_context.selection ? m_context.selection() : QStringList(),
                            m_context.filterItems ? m_context.filterItems() : QStringList());
}

void CatalogueAuthoring::MNU_Catalog_family_Click()
{
    frmCreateFamily dialog(m_context.window);
    frmCreateFamily::Context context;
    context.catalogues = catalogueSelection();
    context.filterText = m_context.filterText();
    context.currentFolder = m_context.currentFolder();
    context.programFolder = m_context.settings->gProgramFolder;
    context.chooseFolder = chooseFolder;
    context.notifier = m_context.notifier;
    dialog.init(*m_context.language, *m_context.settings, std::move(context));
    runModal(dialog);
    if (!dialog.Cancelled) {
        const FamilyResult result = buildFamily(dialog.request(), *m_context.writer);
        MBLanguages language;
        language.Copy(*m_context.language);
        const QString title = language.GetFormCaption(QStringLiteral("frmMainJVZ"));
        for (const FamilyProblem& problem : result.problems)
            m_context.notifier->message(describeFamilyProblem(problem, language), title, MessageIcon::Exclamation,
                                        MessageButtons::Ok, m_context.window);
    }
    if (m_context.refreshLocalList)
        m_context.refreshLocalList();
}

void CatalogueAuthoring::MNU_Catalog_create_Click()
{
    frmCreateCatalog dialog(m_context.window);
    QStringList productLines; // a missing file offers no product
    readProductCodeFile(productCodeFile(), productLines);
    dialog.init(catalogueSelection(), *m_context.language, productLines, m_context.filterText(), *m_context.notifier,
                *m_context.writer);
    runModal(dialog);
    if (m_context.setFilterText)
        m_context.setFilterText(QStringLiteral("*.M??"));
    if (m_context.refreshLocalList)
        m_context.refreshLocalList();
}

void CatalogueAuthoring::MNU_Catalog_list_Click()
{
    FrmCreateCatalogList dialog(m_context.window);
    FrmCreateCatalogList::Context context;
    context.currentFolder = m_context.currentFolder();
    for (const QString& path : m_context.selection ? m_context.selection() : QStringList())
        context.selectedNames << QFileInfo(path).fileName();
    context.notifier = m_context.notifier;
    context.writer = m_context.writer;
    dialog.init(*m_context.language, m_context.productCodes ? m_context.productCodes() : QStringList(),
                std::move(context));
    runModal(dialog);
    if (m_context.refreshLocalList)
        m_context.refreshLocalList();
}

FrmCataloguePack& CatalogueAuthoring::packWindow()
{
    if (!m_pack) {
        FrmCataloguePack::Services services;
        services.notifier = m_context.notifier;
        services.writer = m_context.writer;
        services.now = m_context.now;
        services.filterText = m_context.filterText;
        services.chooseFiles = [this](const QString& filters) { return choosePackFiles(filters); };
        services.chooseSaveName = [this](const QString& start, const QString& filters) {
            return choosePackName(start, filters);
        };
        m_pack = std::make_unique<FrmCataloguePack>(std::move(services), m_context.window);
        connect(m_pack.get(), &FrmCataloguePack::listChanged, this, &CatalogueAuthoring::packListChanged);
    }
    return *m_pack;
}

bool CatalogueAuthoring::packListEmpty() const
{
    return !m_pack || m_pack->entries().isEmpty();
}

void CatalogueAuthoring::MNU_CatalogPack_Create_Click()
{
    FrmCataloguePack& pack = packWindow();
    pack.init(*m_context.language);
    pack.show();
    pack.raise();
    pack.activateWindow();
}

void CatalogueAuthoring::MNU_CatalogPack_Add_Click()
{
    const QString folder = withSlash(m_context.currentFolder());
    for (const QString& path : m_context.selection ? m_context.selection() : QStringList())
        packWindow().AddToList(path.startsWith(u'/') ? path : folder + path);
}

void CatalogueAuthoring::MNU_CatalogPack_Reset_Click()
{
    packWindow().ResetList();
}

} // namespace jvz
