#include "FakeUserSettingsStore.h"
#include "Paths.h"
#include "TestEnv.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"
#include "core/ui/GetAllFormLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

QString samplePath()
{
    return jvztest::sourceDir() + "/tests/core/fixtures/language_sample.lng";
}

MBLanguages sampleTable(int16_t language = 2)
{
    MBLanguages table;
    table.init(samplePath(), language);
    return table;
}

} // namespace

TEST(LanguageColumns, PickTheTextOfTheLanguage)
{
    const struct {
        const char* list;
        int language;
        const char* expected;
    } cases[] = {
        {"Fichier,File,Datei", 1, "Fichier"},
        {"Fichier,File,Datei", 2, "File"},
        {"Fichier,File,Datei", 3, "Datei"},
        {"Fichier,File,Datei", 4, ""},
        {"Fichier,File,Datei", 0, ""},
        {"Fichier,File,Datei", -1, ""},
        {"Fichier,,Datei", 2, "Datei"}, // an empty column does not hold its place
        {"Fichier,,Datei", 3, ""},
        {",Lead", 1, "Lead"},
        {"Un, deux", 2, " deux"}, // blanks belong to the texts
        {"", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MBLanguages::pickColumn(c.list, c.language), c.expected) << c.list << " #" << c.language;
}

TEST(LanguageLookUps, SectionFirstThenGeneral)
{
    MBLanguages table = sampleTable();
    EXPECT_EQ(table.CurrentSection(), "");
    EXPECT_EQ(table.GetFormLabel("MSG_Shared"), "Shared"); // no section yet: [General]
    EXPECT_EQ(table.GetFormCaption("frmTest"), "Window");
    EXPECT_EQ(table.CurrentSection(), "frmTest");
    EXPECT_EQ(table.GetFormLabel("MSG_Shared"), "Local here");
    EXPECT_EQ(table.GetFormLabel("Only"), "General only");
    EXPECT_EQ(table.GetFormLabel("Missing"), "");
    // A given section is read alone and leaves the current one.
    EXPECT_EQ(table.GetFormLabel("Only", "frmTest"), "");
    EXPECT_EQ(table.GetFormLabel("Name", "Bdd"), "Shared name");
    EXPECT_EQ(table.CurrentSection(), "frmTest");
    EXPECT_EQ(table.GetGeneralLabel("MSG_Shared"), "Shared");
    EXPECT_EQ(table.GetGCR410Status(3), "No card");
    EXPECT_EQ(table.GetGCR410Status(4), "");
    EXPECT_EQ(table.GetFormCaption("frmNoCaption"), ""); // no fallback for captions
    EXPECT_EQ(table.GetLongCaption("frmTest"), "JVZm -  - [Window]");
    EXPECT_EQ(table.CurrentSection(), "frmTest");
}

TEST(LanguageLookUps, TextsAreDecodedFromTheEightBitCodePage)
{
    MBLanguages table = sampleTable(1);
    EXPECT_EQ(table.GetFormCaption("frmTest"), QString::fromUtf8("Fenêtre"));
    EXPECT_EQ(table.GetGeneralLabel("Only"), QString::fromUtf8("Général seulement"));
}

TEST(LanguageLookUps, ATableWithoutLanguageOrFileReadsNothing)
{
    MBLanguages fresh;
    EXPECT_EQ(fresh.LanguageNumber(), 0);
    EXPECT_EQ(fresh.GetGeneralLabel("ToolTitle"), "");
    MBLanguages noLanguage = sampleTable(0);
    EXPECT_EQ(noLanguage.GetGeneralLabel("ToolTitle"), "");
    MBLanguages missing;
    missing.init(samplePath() + ".absent", 1);
    EXPECT_EQ(missing.GetGeneralLabel("ToolTitle"), "");
}

TEST(LanguageLookUps, CopySharesTheReaderAndTakesNumberAndSection)
{
    MBLanguages table = sampleTable();
    table.GetFormCaption("frmTest");
    MBLanguages copy;
    copy.Copy(table);
    EXPECT_EQ(copy.LanguageIni(), table.LanguageIni());
    EXPECT_EQ(copy.LanguageNumber(), 2);
    EXPECT_EQ(copy.CurrentSection(), "frmTest");
    EXPECT_EQ(copy.GetFormLabel("MSG_Shared"), "Local here");
    // The language is the copy's own from then on.
    copy.SetCurrentLanguage(1);
    EXPECT_EQ(copy.GetCurrentLanguage(), 1);
    EXPECT_EQ(table.LanguageNumber(), 2);
    EXPECT_EQ(copy.GetFormLabel("MSG_Shared"), "Local");
}

TEST(LanguageDefault, PerUserChoiceThenFileThenOne)
{
    const QString dir = QString::fromStdString(jvztest::makeScratchDir("lng"));
    const struct {
        const char* what;
        const char* fileValue; // nullptr: no DefaultLanguage key
        const char* userValue; // nullptr: nothing stored for the user
        int16_t expected;
    } cases[] = {
        {"neither", nullptr, nullptr, 1},
        {"file only", "2", nullptr, 2},
        {"the user's choice wins", "2", "3", 3},
        {"the whole value, not a column", "2,3", nullptr, 1},
        {"not a number", "abc", nullptr, 1},
        {"a user choice that is not a number", "2", "fr", 1},
        {"zero", "0", nullptr, 1},
        {"negative", "-2", nullptr, 1},
        {"beyond 16 bits", "70000", nullptr, 1},
        {"blanks around", nullptr, " 2 ", 2},
        {"halves to even", "2.5", nullptr, 2},
        {"an empty user choice", "2", "", 1},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = dir + QString("/l%1.lng").arg(++n);
        std::string content = "[General]\r\nToolTitle=A,B,C\r\n";
        if (c.fileValue)
            content += std::string("DefaultLanguage=") + c.fileValue + "\r\n";
        ASSERT_TRUE(jvztest::writeFileBytes(file.toStdString(), content));
        jvztest::FakeUserSettingsStore store;
        if (c.userValue)
            store.setValue("JVZ", "Parameter", "DefaultLangue", c.userValue);
        MBLanguages table;
        table.InitDefaultLanguage(file, store);
        EXPECT_EQ(table.LanguageNumber(), c.expected);
        EXPECT_EQ(table.LanguageIni()->FileName(), file);
    }
}

// ---- Translating a window ----

namespace {

QAction* namedAction(QMenu* menu, const QString& name, const QString& text, int index = -1)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (index >= 0)
        a->setProperty("index", index);
    return a;
}

template <class W> W* named(QWidget* parent, const QString& name, const QString& text = {})
{
    auto* w = new W(parent);
    w->setObjectName(name);
    if constexpr (std::is_base_of_v<QLabel, W> || std::is_base_of_v<QAbstractButton, W>)
        w->setText(text);
    if constexpr (std::is_base_of_v<QGroupBox, W>)
        w->setTitle(text);
    w->setToolTip("design tip");
    return w;
}

struct SampleWindow {
    QMainWindow window;
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* lang0 = nullptr;
    QAction* lang1 = nullptr;
    QAction* lang2 = nullptr;
    QToolBar* toolbar = nullptr;
    QTreeWidget* list1 = nullptr;
    QTableView* list2 = nullptr;
    QStandardItemModel model2{0, 2};
    QTreeView* tree = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblOwn = nullptr;
    QLabel* lblNone = nullptr;
    QLabel* lblGeneralName = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QCheckBox* chk = nullptr;
    QRadioButton* opt = nullptr;
    QGroupBox* frame = nullptr;
    QLineEdit* path = nullptr;

    explicit SampleWindow(const QString& name = "frmTest")
    {
        window.setObjectName(name);
        window.setWindowTitle("design title");
        file = window.menuBar()->addMenu("design file");
        file->setObjectName("MNU_File");
        open = namedAction(file, "MNU_File_Open", "design open");
        lang0 = namedAction(file, "MNU_Language_Country", "design lang0", 0);
        lang1 = namedAction(file, "MNU_Language_Country", "design lang1", 1);
        lang2 = namedAction(file, "MNU_Language_Country", "design lang2", 2);

        toolbar = window.addToolBar("tools");
        toolbar->setObjectName("TLB_Icon");
        toolbar->addAction("design b1")->setToolTip("design tip 1");
        toolbar->addSeparator();
        toolbar->addAction("design b3");
        toolbar->addAction("design b4");

        auto* central = new QWidget(&window);
        window.setCentralWidget(central);
        list1 = named<QTreeWidget>(central, "ListView1");
        list1->setColumnCount(3);
        list1->setHeaderLabels({"h1", "h2", "h3"});
        list2 = named<QTableView>(central, "ListView2");
        list2->setModel(&model2);
        model2.setHorizontalHeaderLabels({"d1", "d2"});
        tree = named<QTreeView>(central, "TreeView1");
        tree->setHeaderHidden(true);
        lblName = named<QLabel>(central, "lblName", "design name");
        lblOwn = named<QLabel>(central, "lblOwn", "design own");
        lblNone = named<QLabel>(central, "lblNone", "design none");
        lblGeneralName = named<QLabel>(central, "lblGeneralName", "design general");
        ok = named<QPushButton>(central, "CmdOk", "design ok");
        cancel = named<QPushButton>(central, "CmdCancel", "design cancel");
        chk = named<QCheckBox>(central, "ChkA", "design chk");
        opt = named<QRadioButton>(central, "OptB", "design opt");
        frame = named<QGroupBox>(central, "Frame1", "design frame");
        path = named<QLineEdit>(central, "TXT_Path");
    }
};

} // namespace

TEST(LanguageFormLabels, TranslatesEveryKindByName)
{
    SampleWindow w;
    MBLanguages table = sampleTable();
    GetAllFormLabel(table, w.window);

    EXPECT_EQ(w.window.windowTitle(), "Window");
    EXPECT_EQ(table.CurrentSection(), "frmTest");
    // Menus: a menu array reads the bare name at index 0 and the name and index above it.
    EXPECT_EQ(w.file->title(), "&File");
    EXPECT_EQ(w.open->text(), "Open");
    EXPECT_EQ(w.lang0->text(), "Language");
    EXPECT_EQ(w.lang1->text(), "design lang1");
    EXPECT_EQ(w.lang2->text(), "Language 2");
    // Toolbar: separators hold their place in the numbering; buttons without keys are emptied.
    const QList<QAction*> buttons = w.toolbar->actions();
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_EQ(buttons[0]->text(), "");
    EXPECT_EQ(buttons[0]->toolTip(), "");
    EXPECT_TRUE(buttons[1]->isSeparator());
    EXPECT_EQ(buttons[2]->text(), "Connect");
    EXPECT_EQ(buttons[2]->toolTip(), "Connect to the terminal");
    EXPECT_EQ(buttons[3]->text(), "General button"); // [General] is the fallback here too
    EXPECT_EQ(w.toolbar->toolTip(), "Tool bar");     // a key of the toolbar's own name gives its tooltip
    // List views: tooltip and every column title, even when empty.
    EXPECT_EQ(w.list1->toolTip(), "Files");
    EXPECT_EQ(w.list1->headerItem()->text(0), "Name");
    EXPECT_EQ(w.list1->headerItem()->text(1), "Size");
    EXPECT_EQ(w.list1->headerItem()->text(2), "");
    EXPECT_EQ(w.list2->toolTip(), "");
    EXPECT_EQ(w.model2.headerData(0, Qt::Horizontal).toString(), "");
    EXPECT_EQ(w.model2.headerData(1, Qt::Horizontal).toString(), "Date");
    // A tree (header hidden) is no list view.
    EXPECT_EQ(w.tree->toolTip(), "design tip");
    // Labels: [Bdd] under the name without its prefix, then [General], then the window's own key.
    EXPECT_EQ(w.lblName->text(), "Shared name");
    EXPECT_EQ(w.lblName->toolTip(), "design tip");
    EXPECT_EQ(w.lblGeneralName->text(), "General name");
    EXPECT_EQ(w.lblOwn->text(), "Own");
    EXPECT_EQ(w.lblOwn->toolTip(), "");
    EXPECT_EQ(w.lblNone->text(), "design none");
    EXPECT_EQ(w.lblNone->toolTip(), "design tip");
    // Buttons and frames: a caption found sets the tooltip too, even to an empty text.
    EXPECT_EQ(w.ok->text(), "OK");
    EXPECT_EQ(w.ok->toolTip(), "Confirm");
    EXPECT_EQ(w.cancel->text(), "Cancel");
    EXPECT_EQ(w.cancel->toolTip(), "");
    EXPECT_EQ(w.chk->text(), "Box");
    EXPECT_EQ(w.opt->text(), "Option");
    EXPECT_EQ(w.frame->title(), "Frame");
    // Text boxes are never touched here.
    EXPECT_EQ(w.path->toolTip(), "design tip");

    // Switching the language and translating again.
    table.SetCurrentLanguage(1);
    GetAllFormLabel(table, w.window);
    EXPECT_EQ(w.window.windowTitle(), QString::fromUtf8("Fenêtre"));
    EXPECT_EQ(w.open->text(), "Ouvrir");
}

// A combo box holds a list view of Qt's own; neither is a control the language file names.
TEST(LanguageFormLabels, ComboBoxesAndTheirPopupListAreLeftAlone)
{
    SampleWindow w;
    auto* combo = named<QComboBox>(w.window.centralWidget(), "Combo2");
    combo->addItems({"*.M23", "*.*"});
    QAbstractItemView* popup = combo->view();
    popup->setToolTip("popup tip");
    MBLanguages table = sampleTable();
    GetAllFormLabel(table, w.window);
    EXPECT_EQ(combo->toolTip(), "design tip");
    EXPECT_EQ(popup->toolTip(), "popup tip");
    EXPECT_EQ(combo->itemText(0), "*.M23");
}

TEST(LanguageFormLabels, WindowWithoutCaptionGetsTitleAndVersion)
{
    SampleWindow w("frmNoCaption");
    MBLanguages table = sampleTable();
    GetAllFormLabel(table, w.window);
    EXPECT_EQ(w.window.windowTitle(), "JVZ tool - V 1.0");
    EXPECT_EQ(table.CurrentSection(), "frmNoCaption");
}

TEST(LanguageFormLabels, MaskSelectsKindsButListViewsAndToolbarsAlways)
{
    const struct {
        int mask;
        bool labels, buttons, checks, frames, menus, bdd;
    } cases[] = {
        {KindCommandButtons, false, true, false, false, false, false},
        {KindLabels, true, false, false, false, false, false},
        {KindLabelsFromBdd, true, false, false, false, false, true},
        {KindMenuItems, false, false, false, false, true, false},
        {KindAllButtonLike, true, true, true, true, false, false},
        {KindFrames | KindCheckAndOptionButtons, false, false, true, true, false, false},
        {32, false, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        SampleWindow w;
        MBLanguages table = sampleTable();
        GetAllFormLabel(table, w.window, c.mask);
        EXPECT_EQ(w.lblOwn->text(), c.labels ? "Own" : "design own");
        // Without bit 64 a label reads its own full name only.
        EXPECT_EQ(w.lblName->text(), c.bdd ? "Shared name" : "design name");
        EXPECT_EQ(w.lblGeneralName->text(), c.bdd ? "General name" : c.labels ? "Never" : "design general");
        EXPECT_EQ(w.ok->text(), c.buttons ? "OK" : "design ok");
        EXPECT_EQ(w.chk->text(), c.checks ? "Box" : "design chk");
        EXPECT_EQ(w.frame->title(), c.frames ? "Frame" : "design frame");
        EXPECT_EQ(w.open->text(), c.menus ? "Open" : "design open");
        EXPECT_EQ(w.toolbar->actions()[2]->text(), "Connect");
        EXPECT_EQ(w.list1->headerItem()->text(0), "Name");
    }
}

TEST(LanguageFormLabels, TextBoxTooltips)
{
    SampleWindow w;
    auto* other = named<QLineEdit>(w.window.centralWidget(), "TXT_Other");
    MBLanguages table = sampleTable();
    table.GetFormCaption("frmTest");
    GetTextBoxToolTipText(table, w.window);
    EXPECT_EQ(w.path->toolTip(), "Local path");
    EXPECT_EQ(other->toolTip(), "design tip");
    EXPECT_EQ(w.ok->toolTip(), "design tip");
}

// ---- The shipped language file ----

namespace {

struct LanguageLine {
    int number;
    QString section;
    QString key;
    QString value;
};

// Every key line of the shipped file, read as the INI engine reads it (values trimmed).
std::vector<LanguageLine> shippedLines()
{
    const std::string bytes = jvztest::readFileBytes((jvztest::sourceDir() + "/data/files/JVZ.lng").toStdString());
    std::vector<LanguageLine> lines;
    QString section;
    int number = 0;
    for (const QString& raw : QString::fromLatin1(bytes.data(), qsizetype(bytes.size())).split('\n')) {
        ++number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            section = line.mid(1, line.indexOf(']') - 1);
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            lines.push_back({number, section, line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
    }
    return lines;
}

} // namespace

TEST(LanguageShippedFile, NoValueExceedsTheCapAndNoKeyIsShadowed)
{
    const std::vector<LanguageLine> lines = shippedLines();
    ASSERT_FALSE(lines.empty());
    QSet<QString> seen;
    for (const LanguageLine& l : lines) {
        SCOPED_TRACE(QString("line %1: [%2] %3").arg(l.number).arg(l.section, l.key).toStdString());
        // The reader cuts a value at 254 characters: the last columns would silently go missing.
        EXPECT_LE(l.value.size(), MbFileIni::ValueBufferSize - 1);
        // A second key of the same name is never read.
        const QString id = l.section.toLower() + '/' + l.key.toLower();
        EXPECT_FALSE(seen.contains(id));
        seen.insert(id);
    }
}

TEST(LanguageShippedFile, KeysOfTheCoreExistInEnglishAndFrench)
{
    MBLanguages table;
    table.init(jvztest::sourceDir() + "/data/files/JVZ.lng", 1);
    EXPECT_EQ(table.GetFormLabel("DefaultLanguage", "General"), "1");
    for (const char* key : {"ToolTitle", "ToolMnemo", "MSG_ErrWriteResult", "msg_CataExtMissing",
                            "msg_DefaultDirectoryFileMissing", "msg_AlreadyRunning"}) {
        for (int16_t language : {1, 2}) {
            table.SetCurrentLanguage(language);
            EXPECT_FALSE(table.GetGeneralLabel(key).isEmpty()) << key << " #" << language;
        }
    }
    table.SetCurrentLanguage(2);
    EXPECT_EQ(table.GetGeneralLabel("MSG_ErrWriteResult"),
              QString::fromUtf8("Impossible d'écrire le fichier de résultat"));
}
