// The main window in French with the real message boxes: Qt's own texts (standard buttons, the file dialog,
// key names in menus) follow the language file's column, and nothing the window or the boxes it opens show
// is still the English of a text whose French differs.
#include "MainWindowWorld.h"
#include "UserInput.h"
#include "core/Cp1252.h"
#include "core/ui/MessageBoxNotifier.h"
#include "core/ui/QtTranslations.h"
#include "workspace/ui/CatalogueAuthoring.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/MainWindowControls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

constexpr int kBoundMs = 10000;

QString withoutMnemonic(QString text)
{
    text.remove(QLatin1Char('&'));
    return text;
}

// Runs `read` on the modal box that `open` brings up, from inside its own event loop.
void onModal(const std::function<void()>& open, const std::function<void(QWidget*)>& read)
{
    EXPECT_TRUE(jvztest::onModal(open, read, kBoundMs)) << "no modal box came up";
}

QStringList buttonTexts(QWidget* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        if (b->isVisible() && !b->text().isEmpty())
            texts << withoutMnemonic(b->text());
    texts.sort();
    return texts;
}

// The English of every entry of the language file whose French differs.
QSet<QString> englishOfTranslatedEntries(const QString& languageFile)
{
    QFile f(languageFile);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QSet<QString> english;
    for (const QString& line : Cp1252::decode(f.readAll()).split(QStringLiteral("\r\n"))) {
        const qsizetype eq = line.indexOf(u'=');
        // DefaultLanguage is a number read whole, not a text per language.
        if (line.startsWith(u';') || line.startsWith(u'[') || eq < 0 ||
            line.startsWith(QLatin1String("DefaultLanguage=")))
            continue;
        const QString value = line.mid(eq + 1);
        const QString en = MBLanguages::pickColumn(value, 1);
        const QString fr = MBLanguages::pickColumn(value, 2);
        if (!en.trimmed().isEmpty() && en != fr)
            english.insert(en);
    }
    return english;
}

// Qt's English texts that the window and its boxes may show, by translation context.
struct QtText {
    const char* context;
    const char* source;
};
constexpr QtText kQtTexts[] = {
    {"QPlatformTheme", "OK"},       {"QPlatformTheme", "Cancel"},   {"QPlatformTheme", "&Yes"},
    {"QPlatformTheme", "&No"},      {"QPlatformTheme", "Save"},     {"QPlatformTheme", "&Open"},
    {"QPlatformTheme", "Close"},    {"QPlatformTheme", "Apply"},    {"QPlatformTheme", "Yes to &All"},
    {"QPlatformTheme", "Abort"},    {"QPlatformTheme", "Retry"},    {"QPlatformTheme", "Ignore"},
    {"QFileDialog", "Look in:"},    {"QFileDialog", "File &name:"}, {"QFileDialog", "Files of type:"},
    {"QFileDialog", "&Open"},       {"QFileDialog", "&Save"},       {"QFileDialog", "Back"},
    {"QFileDialog", "Detail View"}, {"QFileDialog", "List View"},   {"QFileDialog", "Create New Folder"},
    {"QFileSystemModel", "Name"},   {"QFileSystemModel", "Size"},   {"QFileSystemModel", "Date Modified"},
    {"QShortcut", "Del"},           {"QShortcut", "Ins"},           {"QShortcut", "Shift"},
    {"QShortcut", "Ctrl"},          {"QShortcut", "Backspace"},     {"QShortcut", "Enter"},
    {"QShortcut", "PgUp"},          {"QShortcut", "PgDown"},        {"QShortcut", "Home"},
};

QSet<QString> englishOfTranslatedQtTexts()
{
    QSet<QString> english;
    for (const QtText& t : kQtTexts) {
        const QString en = QString::fromLatin1(t.source);
        if (QCoreApplication::translate(t.context, t.source) != en)
            english.insert(withoutMnemonic(en));
    }
    return english;
}

// What a user reads on a widget: captions, tips, entries of lists and boxes, column titles.
QStringList shownTexts(QWidget* top)
{
    QStringList texts;
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(top);
    for (QWidget* w : widgets) {
        texts << w->windowTitle() << w->toolTip();
        if (auto* l = qobject_cast<QLabel*>(w))
            texts << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            texts << b->text();
        if (auto* e = qobject_cast<QLineEdit*>(w))
            texts << e->placeholderText();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
        if (auto* s = qobject_cast<QStatusBar*>(w))
            texts << s->currentMessage();
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
            for (int c = 0; c < v->model()->columnCount(); ++c)
                texts << v->model()->headerData(c, Qt::Horizontal).toString();
        for (QAction* a : w->actions()) {
            texts << a->text() << a->toolTip();
            if (!a->shortcut().isEmpty())
                texts << a->shortcut().toString(QKeySequence::NativeText);
        }
    }
    QStringList shown;
    for (const QString& t : std::as_const(texts))
        if (!t.trimmed().isEmpty())
            shown << withoutMnemonic(t);
    return shown;
}

// The key names of a shortcut text, one by one ("Maj+Inser" gives Maj and Inser).
QStringList keyNames(const QStringList& texts)
{
    QStringList names;
    for (const QString& t : texts)
        names << t.split(u'+', Qt::SkipEmptyParts);
    return names;
}

class FrenchWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        world.realNotifier = &boxes;
        window = &world.buildShown(2);
        qtEnglish = englishOfTranslatedQtTexts(); // read while Qt's French is in force
    }

    void TearDown() override
    {
        world.assembly.reset();
        QtTranslations::program().apply(1); // the other tests of this run read Qt's English
    }

    // Texts shown in French that are still the English of a text whose French differs.
    QStringList english(const QStringList& shown) const
    {
        const QSet<QString> lng = englishOfTranslatedEntries(world.folder + QStringLiteral("/JVZ.lng"));
        const QSet<QString>& qt = qtEnglish;
        // No text here is fixed in English whatever the language, so none is exempt: the counts of the lists
        // read their words from the language file too.
        QStringList found;
        for (const QString& t : shown) {
            const QStringList parts = keyNames({t});
            const bool isQt = qt.contains(t) ||
                              std::any_of(parts.begin(), parts.end(), [&](const QString& p) { return qt.contains(p); });
            if (lng.contains(t) || isQt)
                found << t;
        }
        found.removeDuplicates();
        return found;
    }

    MessageBoxNotifier boxes{[] { return false; }}; // the real boxes: their buttons are what is read
    jvztest::MainWindowWorld world;
    frmMainJVZ* window = nullptr;
    QSet<QString> qtEnglish;
};

TEST_F(FrenchWindow, TheQuitQuestionIsAnsweredByOuiOrNon)
{
    QStringList buttons;
    QString text;
    QStringList englishLeft;
    onModal([&] { window->close(); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                text = box->text();
                buttons = buttonTexts(box);
                englishLeft = english(shownTexts(box));
                EXPECT_TRUE(box->grab().save(jvztest::screenshotFolder() + QStringLiteral("/quit_question_fr.png")));
                box->button(QMessageBox::No)->click();
            });
    EXPECT_EQ(text, QStringLiteral("Voulez-vous vraiment quitter ?"));
    EXPECT_EQ(buttons, QStringList({QStringLiteral("Non"), QStringLiteral("Oui")}));
    EXPECT_TRUE(englishLeft.isEmpty()) << englishLeft.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(window->isVisible()) << "No keeps the program running";
}

TEST_F(FrenchWindow, ThePackFileDialogSpeaksFrenchAndOpensInTheLocalFolder)
{
    const QString local = QString::fromStdString(jvztest::makeScratchDir("local"));
    // The folder typed in the favourites box, opened with Enter.
    jvztest::focus(window->controls().combo5);
    jvztest::press(Qt::Key_A, Qt::ControlModifier);
    jvztest::typeText(local);
    jvztest::press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->localExplorer()->CurrentLocalFolder() == local + QLatin1Char('/'); }, kBoundMs));
    QStringList buttons;
    QStringList labels;
    QString folder;
    QStringList englishLeft;
    onModal([&] { window->catalogueAuthoring().choosePackFiles(QStringLiteral("Catalogues|*.M??")); },
            [&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                ASSERT_NE(dialog, nullptr);
                folder = dialog->directory().absolutePath();
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->isVisible())
                        buttons << withoutMnemonic(b->text());
                for (QLabel* l : dialog->findChildren<QLabel*>())
                    if (l->isVisible())
                        labels << withoutMnemonic(l->text());
                englishLeft = english(shownTexts(dialog));
                EXPECT_TRUE(dialog->grab().save(jvztest::screenshotFolder() + QStringLiteral("/file_dialog_fr.png")));
                dialog->reject();
            });
    EXPECT_EQ(folder, local);
    EXPECT_TRUE(buttons.contains(QStringLiteral("Ouvrir"))) << buttons.join(u',').toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Annuler"))) << buttons.join(u',').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Voir dans :"))) << labels.join(u',').toStdString();
    EXPECT_TRUE(englishLeft.isEmpty()) << englishLeft.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(FrenchWindow, MenusShowFrenchKeyNamesAndNoEnglishText)
{
    const MainWindowControls& ui = window->controls();
    QStringList shortcuts;
    for (QAction* a : window->findChildren<QAction*>())
        if (!a->shortcut().isEmpty())
            shortcuts << a->shortcut().toString(QKeySequence::NativeText);
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Suppr"))) << shortcuts.join(u',').toStdString();
    EXPECT_TRUE(shortcuts.contains(QStringLiteral("Maj+Inser"))) << shortcuts.join(u',').toStdString();
    for (const QString& english : {QStringLiteral("Del"), QStringLiteral("Shift"), QStringLiteral("Ins")})
        EXPECT_FALSE(keyNames(shortcuts).contains(english)) << english.toStdString();

    QStringList shown = shownTexts(window);
    for (QMenu* menu : window->findChildren<QMenu*>())
        shown << shownTexts(menu);
    const QStringList left = english(shown);
    EXPECT_TRUE(left.isEmpty()) << left.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(ui.combo5->itemText(ui.combo5->count() - 1), QStringLiteral("Poste de travail"));
}

// The scan itself: the same window in English is full of what it looks for.
TEST_F(FrenchWindow, TheScanFindsEnglishInTheEnglishWindow)
{
    window->InitLanguage(world.language(1));
    QStringList shown = shownTexts(window);
    for (QMenu* menu : window->findChildren<QMenu*>())
        shown << shownTexts(menu);
    const QStringList found = english(shown);
    EXPECT_TRUE(found.contains(QStringLiteral("Quit"))) << found.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(found.contains(QStringLiteral("Del"))) << found.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(FrenchWindow, BackInEnglishQtTextsFollow)
{
    EXPECT_EQ(QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText), QStringLiteral("Suppr"));
    window->InitLanguage(world.language(1));
    EXPECT_EQ(QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText), QStringLiteral("Del"));
    window->InitLanguage(world.language(2));
    EXPECT_EQ(QKeySequence(Qt::Key_Delete).toString(QKeySequence::NativeText), QStringLiteral("Suppr"));
}

} // namespace
