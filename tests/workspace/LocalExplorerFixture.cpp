#include "LocalExplorerFixture.h"

#include "Paths.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace jvztest {

namespace {

void writeText(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

} // namespace

void writeDescriptor(const QString& path, const QString& productCode, bool blankLineFirst)
{
    QByteArray text = "<PACKAGE technology=\"MORVIX\">\r\n";
    if (blankLineFirst)
        text += "\r\n";
    text += "<application productCode=\"" + productCode.toLatin1() +
            "\">\r\n"
            "<codeFile>\r\n"
            "<target location=\"APP.SGN\"/>\r\n"
            "<source location=\"bin/app.sgn\"/>\r\n"
            "</codeFile>\r\n"
            "</application>\r\n"
            "</PACKAGE>\r\n";
    writeText(path, text);
}

FixtureTree makeFixtureTree()
{
    FixtureTree t;
    t.root = QString::fromStdString(makeScratchDir("local")) + QLatin1Char('/');
    t.vol1 = t.root + QStringLiteral("vol1/");
    t.vol2 = t.root + QStringLiteral("vol2/");
    QDir().mkpath(t.vol1 + QStringLiteral("data/b"));
    QDir().mkpath(t.vol1 + QStringLiteral("data/pack/inner"));
    QDir().mkpath(t.vol1 + QStringLiteral(".hiddendir"));
    QDir().mkpath(t.vol2 + QStringLiteral("photos"));
    writeText(t.vol1 + QStringLiteral("data/a.txt"), "a");
    writeText(t.vol1 + QStringLiteral("data/C.M40"), "; catalogue C\r\n");
    writeText(t.vol1 + QStringLiteral("data/D.M23"), "; catalogue D\r\n");
    writeText(t.vol1 + QStringLiteral("data/README"), "readme");
    writeText(t.vol1 + QStringLiteral("data/pack/P1.M40"), QByteArray(1025, 'x'));
    writeText(t.vol1 + QStringLiteral("NOEXT"), "");
    writeText(t.vol1 + QStringLiteral(".hidden"), "h");
    writeDescriptor(t.vol1 + QStringLiteral("DESCRIPTOR.XML"), QStringLiteral("M40"));

    const QByteArray big = QFile::encodeName(t.vol1 + QStringLiteral("big.bin"));
    const int fd = ::open(big.constData(), O_CREAT | O_WRONLY, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, qint64(5) * 1024 * 1024 * 1024), 0); // sparse: no blocks written
    ::close(fd);

    EXPECT_EQ(::symlink("data/pack", QFile::encodeName(t.vol1 + QStringLiteral("link_to_pack")).constData()), 0);
    EXPECT_EQ(::symlink("nowhere/at/all", QFile::encodeName(t.vol1 + QStringLiteral("dangling")).constData()), 0);

    t.badName = QByteArray("bad\xff.txt");
    const QByteArray bad = QFile::encodeName(t.vol1) + t.badName;
    const int bfd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0644);
    EXPECT_GE(bfd, 0);
    EXPECT_EQ(::write(bfd, "bad", 3), 3);
    ::close(bfd);
    return t;
}

jvz::MBLanguages shippedLanguage(int16_t language)
{
    jvz::MBLanguages table;
    table.init(binDir() + QStringLiteral("/JVZ.lng"), language);
    table.GetFormCaption(QStringLiteral("frmMainJVZ"));
    return table;
}

PaneFixture::PaneFixture() : tree(makeFixtureTree()), language(shippedLanguage())
{
    volumes.add(tree.vol1, jvz::DriveKind::Fixed, true, QStringLiteral("SYSTEM"), QStringLiteral("1234-ABCD"));
    volumes.add(tree.vol2, jvz::DriveKind::Removable, true, QString(), QStringLiteral("5678-EF01"));
    volumes.space.insert(tree.vol1, {uint64_t(3348) * 1024 * 1024, uint64_t(10) * 1024 * 1024 * 1024});
    volumes.space.insert(tree.vol2, {uint64_t(1024) * 1024 * 1024, uint64_t(2) * 1024 * 1024 * 1024});
    settings.gRemoteDirectory = true;

    treeView = new QTreeView(&host);
    treeView->setObjectName(QStringLiteral("TreeView1"));
    listView = new QTreeView(&host);
    listView->setObjectName(QStringLiteral("ListView1"));
    pathCombo = new QComboBox(&host);
    pathCombo->setObjectName(QStringLiteral("ImageCombo1"));
    typeCombo = new QComboBox(&host);
    typeCombo->setObjectName(QStringLiteral("Combo2"));
    typeCombo->setEditable(true);
    typeCombo->addItems({QStringLiteral("*.M23"), QStringLiteral("*.M40"), QStringLiteral("*.*")});
    typeCombo->setCurrentText(QStringLiteral("*.*"));
    filter = new QLineEdit(&host);
    filter->setObjectName(QStringLiteral("Filter"));

    pane = std::make_unique<jvz::LocalExplorerPane>(
        jvz::LocalExplorerPane::Controls{
            .tree = treeView, .list = listView, .pathCombo = pathCombo, .typeCombo = typeCombo, .filter = filter},
        &volumes, settings, language, jvz::IconLookup{},
        jvz::LocalExplorerPane::Hooks{.productCode = [this] { return productCode; }, .busy = {}});
    using Pane = jvz::LocalExplorerPane;
    Pane* p = pane.get();
    QObject::connect(p, &Pane::statusChanged, [this](const QString& count, const QString& size) {
        panel1 = count;
        panel2 = size;
    });
    QObject::connect(p, &Pane::folderCaptionChanged, [this](const QString& text) { folderPanel = text; });
    QObject::connect(p, &Pane::listingChanged, [this](jvz::LocalListingChange change) {
        using Change = jvz::LocalListingChange;
        catalogOff += change != Change::Shown ? 1 : 0;
        catalogMenuOff += change == Change::FiltersEdited ? 1 : 0;
        listingCleared += change == Change::Shown ? 1 : 0;
        deleteOff += change == Change::Back ? 1 : 0;
        transferOff += change == Change::FilterPicked ? 1 : 0;
        text3Clears += change == Change::Back ? 1 : 0;
    });
    QObject::connect(p, &Pane::addFavouriteAsked, [this] { ++favouriteAdds; });
    QObject::connect(p, &Pane::removeFavouriteAsked, [this] { ++favouriteRemovals; });
    QObject::connect(p, &Pane::favouritesFocusAsked, [this] { ++favouriteFocus; });
    QObject::connect(p, &Pane::fileOpenAsked, [this](const jvz::LocalFileRef& f) { openedFiles.append(f); });
    QObject::connect(p, &Pane::beepAsked, [this] { ++beeps; });
}

PaneFixture::~PaneFixture() = default;

QStringList PaneFixture::listTexts() const
{
    QStringList texts;
    for (int r = 0; r < pane->listModel().rowCount(); ++r)
        texts.append(pane->listModel().data(pane->listModel().index(r, 0)).toString());
    return texts;
}

QStringList PaneFixture::pathComboTexts() const
{
    QStringList texts;
    for (int r = 0; r < pathCombo->count(); ++r)
        texts.append(pathCombo->itemText(r));
    return texts;
}

int PaneFixture::listRow(const QString& text) const
{
    return int(listTexts().indexOf(text));
}

void PaneFixture::selectListRow(const QString& text)
{
    const int row = listRow(text);
    ASSERT_GE(row, 0) << text.toStdString();
    listView->selectionModel()->select(pane->listModel().index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace jvztest
