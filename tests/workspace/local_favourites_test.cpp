// The favourite folders (Combo5) and their bookmark file: loading with and without the repair, the
// removable volume that is out, files that must not be overwritten, adding, removing, typing.
#include "BookmarkCorpus.h"
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "core/MBLanguages.h"
#include "noqt/TestEnv.h"
#include "workspace/FavouritePaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace jvz;
using jvztest::FakeNotifier;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class Favourites : public ::testing::Test {
protected:
    Favourites()
    {
        root = QString::fromStdString(jvztest::makeScratchDir("favourites"));
        bookmark = root + "/JVZ.bmk";
        language.init(jvztest::binDir() + "/JVZ.lng", 1);
        language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        // A fake machine: one mounted volume "vol", a removable-media place "media" and an fstab mount point
        // "backup" that nothing is mounted on.
        QDir(root).mkpath("vol/data/pack");
        QDir(root).mkpath("vol/DATA");
        QDir(root).mkpath("media");
        VolumeInfo vol;
        vol.path = root + "/vol/";
        volumes.mounted = {vol};
        volumes.absentMountPoints = {root + "/backup/"};
        volumes.removableMediaParents = {root + "/media/"};
    }

    std::unique_ptr<FavouritePaths> make(bool update, bool autoBmk = false)
    {
        auto f = std::make_unique<FavouritePaths>(FavouritePaths::Options{bookmark, update, autoBmk}, notifier,
                                                  language, &writer);
        f->setVolumes([this] { return volumes; });
        f->setCurrentFolder([this] { return currentFolder; });
        return f;
    }

    QStringList savedLines() const
    {
        QStringList lines = QString::fromLatin1(readBytes(bookmark)).split("\r\n");
        EXPECT_EQ(lines.last(), QString()) << "every line ends with CR LF";
        lines.removeLast();
        return lines;
    }

    QString root;
    QString bookmark;
    MBLanguages language;
    FakeNotifier notifier;
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    BookmarkVolumes volumes;
    QString currentFolder;
};

TEST_F(Favourites, LoadRepairsOrKeepsLinesAsTheSettingSays)
{
    const QString vol = root + "/vol/";
    struct Case {
        const char* name;
        QStringList lines;
        bool update;
        QStringList expected;
    };
    const Case cases[] = {
        {"exact twins dropped, case twins kept",
         {vol + "data/", vol + "DATA/", vol + "data/"},
         true,
         {vol + "data/", vol + "DATA/", "My Computer"}},
        {"no repair keeps every line as it stands",
         {vol + "data/", vol + "gone/", "", "C:\\x\\"},
         false,
         {vol + "data/", vol + "gone/", "", "C:\\x\\", "My Computer"}},
        {"a missing folder is cut back to its deepest existing parent",
         {vol + "data/gone/deeper/"},
         true,
         {vol + "data/", "My Computer"}},
        {"never above the volume's mount point", {vol + "gone/deeper/"}, true, {vol, "My Computer"}},
        {"a folder on a removable volume that is out stays as it is",
         {root + "/media/STICK/cat/"},
         true,
         {root + "/media/STICK/cat/", "My Computer"}},
        {"a folder under an fstab mount point not mounted stays",
         {root + "/backup/old/"},
         true,
         {root + "/backup/old/", "My Computer"}},
        {"on no listed volume, empty or not a local path: dropped",
         {root + "/elsewhere/", "", "C:\\data\\", "relative/"},
         true,
         {"My Computer"}},
        {"an existing folder stays", {vol + "data/pack/"}, true, {vol + "data/pack/", "My Computer"}},
        {"My Computer listed first stays first", {"My Computer", vol + "data/"}, true, {"My Computer", vol + "data/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(bookmark, (c.lines.join("\r\n") + "\r\n").toLatin1());
        auto f = make(c.update);
        f->LoadPathHistory();
        EXPECT_EQ(f->entries(), c.expected);
        EXPECT_EQ(f->listIndex(), 0);
        EXPECT_EQ(f->text(), c.expected.first());
        EXPECT_EQ(f->toolTip(), f->text());
        // The file is normalised at every start.
        EXPECT_EQ(savedLines(), c.expected);
    }
    EXPECT_TRUE(notifier.shown.empty());
}

// A long file loads whole: each folder once, in the order of its first line, and the file written back the same.
// The bound is far above what the load takes, and far below what a load that grows with the square of the
// lines takes.
TEST_F(Favourites, LongFileLoadsEachFolderOnceInOrder)
{
    using jvztest::BookmarkCorpus;
    const QString absent = root + "/backup/";
    const QString vol = root + "/vol/";
    writeBytes(bookmark, BookmarkCorpus::make(100000, absent, vol));
    auto f = make(true);
    QSignalSpy changes(f.get(), &FavouritePaths::changed);
    QElapsedTimer clock;
    clock.start();
    f->LoadPathHistory();
    const qint64 ms = clock.elapsed();
    EXPECT_LT(ms, 5000);

    const QStringList& entries = f->entries();
    ASSERT_EQ(entries.size(), 60000 + BookmarkCorpus::kExistingFolders + 1);
    EXPECT_EQ(QSet<QString>(entries.begin(), entries.end()).size(), entries.size());
    // In each ten lines: six absent folders, then one existing folder named twice and once more below a
    // folder that is gone.
    EXPECT_EQ(entries.mid(0, 8), (QStringList{BookmarkCorpus::absent(absent, 0), BookmarkCorpus::absent(absent, 1),
                                              BookmarkCorpus::absent(absent, 2), BookmarkCorpus::absent(absent, 3),
                                              BookmarkCorpus::absent(absent, 4), BookmarkCorpus::absent(absent, 5),
                                              BookmarkCorpus::existing(vol, 0), BookmarkCorpus::absent(absent, 10)}));
    EXPECT_EQ(entries.last(), "My Computer");
    EXPECT_EQ(entries.at(entries.size() - 2), BookmarkCorpus::absent(absent, 99995));
    EXPECT_EQ(savedLines(), entries);
    EXPECT_GE(changes.count(), 1);
    EXPECT_LE(changes.count(), 3) << "the window is told once, not once a line";
}

TEST_F(Favourites, LinesEndAtCrLfOrLfAndTheLastMayHaveNoEnd)
{
    writeBytes(bookmark, "/a/\n/b/\r\n\r\n/c/");
    const BookmarkRead read = BookmarkFile::read(bookmark);
    EXPECT_EQ(read.status, BookmarkRead::Status::Read);
    EXPECT_EQ(read.lines, QStringList({"/a/", "/b/", "", "/c/"}));
}

TEST_F(Favourites, AFileThatIsNotAListIsNeverOverwritten)
{
    struct Case {
        const char* name;
        QByteArray content;
        bool failRead;
        const char* reasonKey;
    };
    const Case cases[] = {
        {"NUL byte", QByteArray("/a/\r\n/b\0/\r\n", 10), false, "MSG_BookmarkNul"},
        {"over-long line", "/a/\r\n" + QByteArray(BookmarkFile::MaxLineLength + 1, 'x') + "\r\n", false,
         "MSG_BookmarkLongLine"},
        {"read error", "/a/\r\n", true, "MSG_BookmarkUnreadable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        currentFolder.clear();
        writeBytes(bookmark, c.content);
        auto f = make(false, true);
        if (c.failRead) {
            f->setReader([](const QString&, QString* reason) -> std::optional<QByteArray> {
                *reason = QStringLiteral("Input/output error");
                return std::nullopt;
            });
        }
        QSignalSpy status(f.get(), &FavouritePaths::statusMessage);
        f->LoadPathHistory();
        EXPECT_EQ(f->entries(), QStringList({"My Computer"}));
        ASSERT_FALSE(status.isEmpty());
        EXPECT_TRUE(status.first().first().toString().startsWith(language.GetFormLabel(c.reasonKey)));
        EXPECT_TRUE(status.first().first().toString().contains(bookmark));
        EXPECT_EQ(f->refusedReason(), status.first().first().toString());
        // Neither the additions of the run nor the exit save touch it.
        currentFolder = root + "/vol/data/";
        f->AddFolderToFavourites(root + "/vol/");
        f->SavePathHistory();
        EXPECT_EQ(readBytes(bookmark), c.content);
    }
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(Favourites, AFailedSaveKeepsTheOldFile)
{
    writeBytes(bookmark, "/old/\r\n");
    auto f = make(false);
    writer.setFailure(jvztest::FailingFileWriter::FailAt::Write, 3);
    f->LoadPathHistory();
    EXPECT_EQ(readBytes(bookmark), "/old/\r\n");
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(f->entries(), QStringList({"/old/", "My Computer"})) << "the list in memory stays";
}

TEST_F(Favourites, AMissingFileStartsWithMyComputerAndIsWritten)
{
    auto f = make(true);
    f->LoadPathHistory();
    EXPECT_EQ(f->entries(), QStringList({"My Computer"}));
    EXPECT_EQ(savedLines(), QStringList({"My Computer"}));
}

TEST_F(Favourites, AddingByPositionAndWhenTheFileIsSaved)
{
    writeBytes(bookmark, "My Computer\r\n");
    auto f = make(false);
    f->LoadPathHistory();
    f->ShowPathInCombo("/top/", 0);
    f->ShowPathInCombo("/end/", 1);
    EXPECT_EQ(f->entries(), QStringList({"/top/", "My Computer", "/end/"}));
    EXPECT_EQ(savedLines(), QStringList({"My Computer"})) << "positions 0 and 1 wait for the next save";
    f->ShowPathInCombo("/top/", -1); // present: keeps its place, the file is saved anyway
    EXPECT_EQ(f->entries(), QStringList({"/top/", "My Computer", "/end/"}));
    EXPECT_EQ(savedLines(), f->entries());
    f->ShowPathInCombo("/Top/", -1); // case differs: another folder
    EXPECT_EQ(f->entries().last(), "/Top/");
}

TEST_F(Favourites, RemovingAsksAndAlwaysSaves)
{
    writeBytes(bookmark, "/a/\r\n/b/\r\nMy Computer\r\n");
    auto f = make(false);
    f->LoadPathHistory();
    writeBytes(bookmark, "stale");

    notifier.answers = {MessageAnswer::No};
    f->DeleteFavouritePath("/a/");
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, language.GetFormLabel("MSG_DeletePath") + "\r\n/a/");
    EXPECT_EQ(notifier.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(f->entries(), QStringList({"/a/", "/b/", "My Computer"}));
    EXPECT_EQ(savedLines(), f->entries()) << "rewritten unchanged";

    notifier.answers = {MessageAnswer::Yes};
    f->DeleteFavouritePath("/a/");
    EXPECT_EQ(f->entries(), QStringList({"/b/", "My Computer"}));
    EXPECT_EQ(f->text(), "My Computer") << "the new last entry";
    EXPECT_EQ(f->listIndex(), 1);
    EXPECT_EQ(f->toolTip(), "My Computer");
    EXPECT_EQ(savedLines(), f->entries());

    writeBytes(bookmark, "stale");
    f->DeleteFavouritePath("/not-there/");
    EXPECT_EQ(notifier.shown.size(), 2u) << "no question for a path not listed";
    EXPECT_EQ(savedLines(), f->entries());
}

TEST_F(Favourites, TreeCommandsUseTheCurrentFolderOrTheRoot)
{
    auto f = make(false);
    f->LoadPathHistory();
    f->AddFolderToFavourites(root + "/vol/data/");
    EXPECT_EQ(f->entries(), QStringList({"My Computer", root + "/vol/data/"}));
    EXPECT_EQ(f->text(), root + "/vol/data/");
    EXPECT_EQ(f->toolTip(), f->text());
    EXPECT_EQ(savedLines(), f->entries());

    notifier.answers = {MessageAnswer::Yes};
    f->RemoveFolderFromFavourites(QString()); // the root is listed
    EXPECT_EQ(f->entries(), QStringList({root + "/vol/data/"}));
    f->AddFolderToFavourites(QString());
    EXPECT_EQ(f->entries(), QStringList({root + "/vol/data/", "My Computer"}));
    EXPECT_EQ(savedLines(), f->entries());
}

TEST_F(Favourites, TypedPathIsCompletedCheckedAddedAndSaved)
{
    auto f = make(false);
    f->LoadPathHistory();
    f->setTypedText(root + "/vol/data");
    EXPECT_TRUE(f->ConfirmTypedPath());
    EXPECT_EQ(f->text(), root + "/vol/data/");
    EXPECT_EQ(f->entries(), QStringList({"My Computer", root + "/vol/data/"}));
    EXPECT_EQ(savedLines(), f->entries());
    EXPECT_TRUE(notifier.shown.empty());

    f->setTypedText(root + "/vol/nowhere");
    EXPECT_FALSE(f->ConfirmTypedPath());
    EXPECT_EQ(f->text(), root + "/vol/nowhere/") << "the text stays as typed, completed";
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text, language.GetFormLabel("MSG_ImpossibleToFound") + root + "/vol/nowhere/. " +
                                          language.GetFormLabel("MSG_CheckPath"));
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(f->entries().size(), 2);

    f->setTypedText("My Computer");
    EXPECT_TRUE(f->ConfirmTypedPath()) << "the root is reached by its name";
    EXPECT_EQ(f->text(), "My Computer");
    f->LostFocus();
    EXPECT_EQ(f->text(), "My Computer") << "a listed entry confirmed stays shown, not the last entry";
}

TEST_F(Favourites, LeavingTheBoxShowsAnEntry)
{
    writeBytes(bookmark, "/a/\r\n/b/\r\n");
    auto f = make(false);
    f->LoadPathHistory();
    f->choose(1);
    f->setTypedText("/typed/but/not/confirmed");
    f->LostFocus();
    EXPECT_EQ(f->text(), "My Computer") << "no entry chosen: the last one";
    f->choose(1);
    f->LostFocus();
    EXPECT_EQ(f->text(), "/b/");
    EXPECT_EQ(f->toolTip(), "/b/");
}

TEST_F(Favourites, AutoBookmarkPutsTheCurrentFolderOnTopWhenNew)
{
    writeBytes(bookmark, "/a/\r\n");
    auto f = make(false, true);
    currentFolder = "/work/";
    f->LoadPathHistory();
    EXPECT_EQ(savedLines(), QStringList({"/work/", "/a/", "My Computer"}));
    currentFolder = "/a/";
    f->SavePathHistory();
    EXPECT_EQ(savedLines(), QStringList({"/work/", "/a/", "My Computer"})) << "a present entry keeps its place";
    currentFolder.clear();
    f->SavePathHistory();
    EXPECT_EQ(f->entries().size(), 3);
}

TEST(FstabMountPoints, SecondFieldUnescapedSwapAndNoneLeftOut)
{
    const QByteArray fstab = "# comment\n"
                             "UUID=1 / ext4 defaults 0 1\n"
                             "UUID=2 none swap sw 0 0\n"
                             "/dev/sdb1   /mnt/my\\040disk  vfat  noauto 0 0\n"
                             "\n";
    EXPECT_EQ(fstabMountPoints(fstab), QStringList({"/", "/mnt/my disk/"}));
}

} // namespace
