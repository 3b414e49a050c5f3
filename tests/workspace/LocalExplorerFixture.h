#pragma once

// A fake machine for the local explorer: volumes that are folders of a scratch folder, a fixture tree on the
// first one, and the pane attached to views made here (the same kinds the main window has).

#include "../session/QtPrint.h"
#include "FakeVolumeSource.h"
#include "core/AppSettings.h"
#include "core/MBLanguages.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/StatusPanels.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTreeView>
#include <memory>

namespace jvztest {

// The first volume ("SYSTEM", fixed) holds:
//   data/            b/ (folder), a.txt, C.M40, D.M23, README (no extension)
//   data/pack/       P1.M40, inner/
//   big.bin          sparse, 5 GiB
//   NOEXT            a name without an extension
//   .hidden, .hiddendir/   never shown
//   link_to_pack     a link to data/pack (a folder link)
//   dangling         a link to nothing
//   "bad\xff.txt"    a name that is not valid UTF-8
//   DESCRIPTOR.XML   a package descriptor for the product code M40
// The second volume is a USB key without a label.
struct FixtureTree {
    QString root; // scratch folder, ends in "/"
    QString vol1; // ends in "/"
    QString vol2;
    QByteArray badName; // "bad\xff.txt"
};

FixtureTree makeFixtureTree();

// Writes a descriptor with an application block for the product code, a blank line first when asked.
void writeDescriptor(const QString& path, const QString& productCode, bool blankLineFirst = false);

jvz::MBLanguages shippedLanguage(int16_t language = 1);

class PaneFixture {
public:
    PaneFixture();
    ~PaneFixture();

    void start() { pane->start(); }
    // The list's texts of column 0, in order.
    QStringList listTexts() const;
    QStringList pathComboTexts() const;
    int listRow(const QString& text) const;
    void selectListRow(const QString& text);
    QString status2(jvz::StatusPanel panel) const { return panel == jvz::StatusPanel::ObjectCount ? panel1 : panel2; }

    FixtureTree tree;
    FakeVolumeSource volumes;
    jvz::AppSettings settings;
    jvz::MBLanguages language;
    QWidget host;
    QTreeView* treeView;
    QTreeView* listView;
    QComboBox* pathCombo;
    QComboBox* typeCombo;
    QLineEdit* filter;
    std::unique_ptr<jvz::LocalExplorerPane> pane;

    QString panel1, panel2, folderPanel;
    QString productCode;
    int catalogOff = 0, catalogMenuOff = 0, listingCleared = 0, deleteOff = 0, transferOff = 0, beeps = 0;
    int favouriteAdds = 0, favouriteRemovals = 0, favouriteFocus = 0, text3Clears = 0;
    QList<jvz::LocalFileRef> openedFiles;
};

} // namespace jvztest
