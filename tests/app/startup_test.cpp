#include "Paths.h"
#include "TestEnv.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// A scratch copy of the program folder (the program, its data files and sub-folders) with a HOME of its own,
// so each run finds only what the test gave it.
struct ProgramCopy {
    ProgramCopy()
    {
        const QDir bin(jvztest::binDir());
        QDirIterator it(bin.path(), QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = folder + QLatin1Char('/') + bin.relativeFilePath(source);
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
            QFile::setPermissions(target, QFileInfo(source).permissions());
        }
        QDir().mkpath(home);
    }

    // Runs JVZ with no display and waits for it to end by itself, at most the given time.
    struct Outcome {
        bool ended = false;
        int exitCode = -1;
        qint64 ms = 0;
        QByteArray err;
    };
    Outcome run(const QStringList& args, int boundMs = 10000)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(var));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(folder);
        Outcome o;
        QElapsedTimer clock;
        clock.start();
        p.start(folder + QStringLiteral("/JVZ"), args);
        o.ended = p.waitForFinished(boundMs);
        o.ms = clock.elapsed();
        if (!o.ended) {
            p.kill();
            p.waitForFinished(5000);
        }
        o.exitCode = p.exitCode();
        o.err = p.readAllStandardError();
        return o;
    }

    std::string result(const QString& path = QString()) const
    {
        return jvztest::readFileBytes((path.isEmpty() ? folder + QStringLiteral("/ResBatch.txt") : path).toStdString());
    }
    void remove(const char* name) { QFile::remove(folder + QLatin1Char('/') + QLatin1String(name)); }
    QString lockPath() const { return home + QStringLiteral("/.local/share/JVZ/JVZ.lock"); }

    QString root = QString::fromStdString(jvztest::makeScratchDir("jvz"));
    QString folder = root + QStringLiteral("/prog");
    QString home = root + QStringLiteral("/home");
};

QString existingList(const ProgramCopy& copy)
{
    const QString list = copy.root + QStringLiteral("/lists/A.M40");
    jvztest::writeFileBytes(list.toStdString(), "file.sgn\r\n");
    return list;
}

} // namespace

// A batch run always ends by itself and leaves its result, whatever stops it.
TEST(BatchRun, EndsByItselfWithItsResult)
{
    const struct {
        const char* name;
        const char* missing; // start-up file removed from the program folder
        bool listExists;
        bool progress;
        const char* expected; // "$" stands for the program folder
    } rows[] = {
        {"catalogue list missing", nullptr, false, false, "-2\r\ncatalogue file not found\r\n"},
        {"catalogue list missing, progress window shown", nullptr, false, true, "-2\r\ncatalogue file not found\r\n"},
        {"no INI file", "JVZ.ini", false, false, "-6\r\nfile $/JVZ.ini missing\r\n"},
        {"no language file", "JVZ.lng", true, true, "-6\r\nfile $/JVZ.lng missing\r\n"},
        {"no link can be set up yet", nullptr, true, false,
         "-7\r\nno link could be set up: the connect sequence is not available\r\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ProgramCopy copy;
        if (r.missing)
            copy.remove(r.missing);
        QStringList args{r.listExists ? QStringLiteral("-c") + existingList(copy)
                                      : QStringLiteral("-c/nonexistent/A.M40")};
        if (!r.progress)
            args << QStringLiteral("-n");
        const auto o = copy.run(args);
        ASSERT_TRUE(o.ended) << o.err.toStdString();
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_EQ(copy.result(), QString::fromLatin1(r.expected).replace(QLatin1Char('$'), copy.folder).toStdString());
        // A message stays on screen for two seconds before the end.
        EXPECT_GE(o.ms, 1900);
    }
}

TEST(BatchRun, ResultFileWhereTheCommandLineSays)
{
    ProgramCopy copy;
    const QString out = copy.root + QStringLiteral("/out/res.txt");
    QDir().mkpath(QFileInfo(out).path());
    const auto o = copy.run({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n"), QStringLiteral("-r") + out});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(copy.result(out), "-2\r\ncatalogue file not found\r\n");
    EXPECT_FALSE(QFile::exists(copy.folder + QStringLiteral("/ResBatch.txt")));
}

// Another instance holding the lock does not stop a batch run; it goes on to the connection.
TEST(BatchRun, SecondInstanceCarriesOn)
{
    ProgramCopy copy;
    QDir().mkpath(QFileInfo(copy.lockPath()).path());
    jvz::InstanceLock other;
    ASSERT_EQ(other.acquire(copy.lockPath()), jvz::InstanceLock::Result::Acquired);
    const auto o = copy.run({QStringLiteral("-c") + existingList(copy), QStringLiteral("-n")});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(copy.result().substr(0, 4), "-7\r\n");
}

// A previous result is replaced, never appended to; an unwritable place leaves the run's end intact.
TEST(BatchRun, ResultReplacesTheOldOneAndAFailedWriteStillEnds)
{
    ProgramCopy copy;
    jvztest::writeFileBytes((copy.folder + QStringLiteral("/ResBatch.txt")).toStdString(), "0\r\nold\r\nlines\r\n");
    auto o = copy.run({QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n")});
    ASSERT_TRUE(o.ended);
    EXPECT_EQ(copy.result(), "-2\r\ncatalogue file not found\r\n");

    o = copy.run(
        {QStringLiteral("-c/nonexistent/A.M40"), QStringLiteral("-n"), QStringLiteral("-r/nonexistent/dir/res.txt")});
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(o.exitCode, 0);
}
