#pragma once

// The catalogue authoring commands of the main window: family, copy for another product, catalogue list file
// and the pack window. The window hands in what they read of it (the local selection, the current folder,
// the filter) as functions, so the commands do not depend on how the panes are built.

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QAbstractItemView;
class QComboBox;
class QDialog;
class QWidget;

namespace jvz {

struct AppSettings;
class FileWriter;
class FrmCataloguePack;
class MBLanguages;
class Notifier;
class VolumeSource;

class CatalogueAuthoring : public QObject {
    Q_OBJECT
public:
    struct Context {
        AppSettings* settings = nullptr;
        MBLanguages* language = nullptr; // the main window's
        Notifier* notifier = nullptr;
        FileWriter* writer = nullptr;
        const VolumeSource* volumes = nullptr;  // places of the folder chooser; the machine's when none
        QWidget* window = nullptr;              // owner of the dialogs
        std::function<QStringList()> selection; // the selected items of the local list: full paths, list order
        std::function<QString()> currentFolder; // the folder the local list shows
        std::function<QString()> filterText;    // the local filter's text
        std::function<QStringList()> filterItems;
        std::function<QStringList()> productCodes; // the codes of the product-code table
        std::function<void(const QString&)> setFilterText;
        std::function<void()> refreshLocalList;
        std::function<QDateTime()> now;
    };

    explicit CatalogueAuthoring(Context context, QObject* parent = nullptr);
    ~CatalogueAuthoring() override;

    // The local explorer's re-listing of the current folder, run after a command wrote files there.
    void setLocalListRefresh(std::function<void()> refresh) { m_context.refreshLocalList = std::move(refresh); }

    // How a modal dialog runs (exec); tests drive the dialog instead.
    std::function<int(QDialog&)> runModal;
    // The folder chooser of the family dialog; by default the program's own chooser over the volumes.
    std::function<QString(const QString& start)> chooseFolder;
    // The file choosers of the pack window; by default the platform's file dialogs.
    std::function<QStringList(const QString& filters)> choosePackFiles;
    std::function<QString(const QString& start, const QString& filters)> choosePackName;

    void MNU_Catalog_family_Click();
    void MNU_Catalog_create_Click();
    void MNU_Catalog_list_Click();
    void MNU_CatalogPack_Create_Click();
    void MNU_CatalogPack_Add_Click();
    void MNU_CatalogPack_Reset_Click();

    // The pack window, created on first use and kept for the program's life.
    FrmCataloguePack& packWindow();
    bool packListEmpty() const;

    // The full paths (the local item role) of the view's selected rows, in list order.
    static QStringList selectedPaths(const QAbstractItemView& view);
    static QStringList itemTexts(const QComboBox& combo);

    // The product-code file the settings name, in the program folder unless the setting gives a full path.
    QString productCodeFile() const;

signals:
    // The pack list gained or lost entries (the Reset command follows it).
    void packListChanged();

private:
    QStringList catalogueSelection() const;
    QString defaultChooseFolder(const QString& start);
    QString localFolder() const; // where the file choosers open

    Context m_context;
    std::unique_ptr<VolumeSource> m_systemVolumes;
    std::unique_ptr<FrmCataloguePack> m_pack;
};

} // namespace jvz
