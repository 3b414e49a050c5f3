#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "core/MbWorkFile.h"

#include <QLoggingCategory>
#include <QStringList>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace jvz;

namespace {

QString scratchFile(const std::string& bytes, const char* name = "f.txt")
{
    const std::string path = jvztest::makeScratchDir("work") + "/" + name;
    jvztest::writeFileBytes(path, bytes);
    return QString::fromStdString(path);
}

// Reads the way callers do: until EndFile, so the extra empty read at the end is part of the result.
QStringList readAll(MbWorkFile& file)
{
    QStringList lines;
    for (int guard = 0; guard < 1000 && !file.EndFile(); ++guard) {
        QString line = "stale";
        EXPECT_EQ(file.ReadNextLine(line), 0);
        lines << line;
    }
    return lines;
}

const std::string kOld = "old line 1\r\nold line 2\r\n";

} // namespace

TEST(WorkFileRead, LineEndsAndTheLastLine)
{
    struct Case {
        std::string bytes;
        QStringList lines; // as read until EndFile
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\nb\n", {"a", "b", ""}},
        {"a\r\nb", {"a", "b", ""}}, // last line without an end
        {"\r\n", {"", ""}},
        {"\n\n", {"", "", ""}},
        {"a\r\r\nb", {"a\r", "b", ""}},
        {"caf\xe9 \x80", {QString::fromUtf16(u"caf\u00e9 \u20ac"), ""}},
        {std::string("n\0l\n", 4), {QString("n") + QChar(0) + "l", ""}},
    };
    for (const Case& c : cases) {
        MbWorkFile file;
        ASSERT_EQ(file.OpenFile(scratchFile(c.bytes)), 0);
        EXPECT_FALSE(file.EndFile());
        EXPECT_EQ(readAll(file), c.lines) << c.bytes;
        EXPECT_EQ(file.CloseFile(), 0);
    }
}

TEST(WorkFileRead, EmptyFileIsAtItsEndAtOnce)
{
    MbWorkFile file;
    ASSERT_EQ(file.OpenFile(scratchFile("")), 0);
    EXPECT_TRUE(file.EndFile());
    QString line = "stale";
    EXPECT_EQ(file.ReadNextLine(line), 0);
    EXPECT_EQ(line, "");
    EXPECT_TRUE(file.EndFile());
}

TEST(WorkFileRead, LongLinesCrossBuffersAndAreCutAtTheCeiling)
{
    const std::string across(100000, 'a');
    const std::string huge(MbWorkFile::MaxLineLength + 10, 'h');
    MbWorkFile file;
    ASSERT_EQ(file.OpenFile(scratchFile(across + "\r\n" + huge + "\r\nend")), 0);
    const QStringList lines = readAll(file);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QString::fromStdString(across));
    EXPECT_EQ(lines[1].size(), MbWorkFile::MaxLineLength);
    EXPECT_EQ(lines[2], QString(10, 'h'));
    EXPECT_EQ(lines[3], "end");
}

TEST(WorkFileRead, FailuresAreShownAndNumbered)
{
    const std::string dir = jvztest::makeScratchDir("fail");
    struct Case {
        QString path;
    };
    const std::string fifo = dir + "/pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0); // no writer: a blocking open would never return
    const Case cases[] = {{QString::fromStdString(dir + "/missing.txt")},
                          {QString::fromStdString(dir)},
                          {QString::fromStdString(fifo)},
                          {""}};
    for (const Case& c : cases) {
        jvztest::FakeNotifier notifier;
        MbWorkFile file(&notifier);
        EXPECT_NE(file.OpenFile(c.path), 0) << c.path.toStdString();
        ASSERT_EQ(notifier.shown.size(), 1u);
        EXPECT_TRUE(notifier.shown[0].text.startsWith("OpenFile function: " + c.path + "\r\n"))
            << notifier.shown[0].text.toStdString();
        EXPECT_GT(notifier.shown[0].text.size(), ("OpenFile function: " + c.path + "\r\n").size());
        EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Critical);
    }

    // The end flag keeps its value over a failed open.
    jvztest::FakeNotifier notifier;
    MbWorkFile file(&notifier);
    ASSERT_EQ(file.OpenFile(scratchFile("")), 0);
    ASSERT_TRUE(file.EndFile());
    EXPECT_NE(file.OpenFile(QString::fromStdString(dir + "/missing.txt")), 0);
    EXPECT_TRUE(file.EndFile());

    QString line;
    EXPECT_NE(file.ReadNextLine(line), 0); // nothing open
    EXPECT_TRUE(notifier.shown.back().text.startsWith("ReadNextLine function: "));
    EXPECT_NE(file.WriteNextLine("x"), 0);
    EXPECT_TRUE(notifier.shown.back().text.startsWith("WriteNextLine function: "));
}

TEST(WorkFileWrite, LinesEndWithCrLfAndReplaceTheFileAtClose)
{
    const QString path = scratchFile(kOld);
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0640), 0);
    MbWorkFile file;
    ASSERT_EQ(file.OpenFileOutput(path), 0);
    EXPECT_EQ(file.WriteNextLine("My Computer"), 0);
    EXPECT_EQ(file.WriteNextLine(QString::fromUtf16(u"C:\\donn\u00e9es\\")), 0);
    EXPECT_EQ(file.WriteNextLine(""), 0);
    EXPECT_EQ(jvztest::readFileBytes(path.toStdString()), kOld); // not in place before the close
    EXPECT_EQ(file.CloseFile(), 0);
    EXPECT_EQ(jvztest::readFileBytes(path.toStdString()), "My Computer\r\nC:\\donn\xe9"
                                                          "es\\\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Written lines read back the same.
    ASSERT_EQ(file.OpenFile(path), 0);
    EXPECT_EQ(readAll(file), QStringList({"My Computer", QString::fromUtf16(u"C:\\donn\u00e9es\\"), "", ""}));

    // An object dropped with its output open still saves it.
    const QString other = scratchFile("");
    {
        MbWorkFile dropped;
        ASSERT_EQ(dropped.OpenFileOutput(other), 0);
        dropped.WriteNextLine("kept");
    }
    EXPECT_EQ(jvztest::readFileBytes(other.toStdString()), "kept\r\n");
}

TEST(WorkFileWrite, FailedWritesKeepTheOldFileWhole)
{
    using FailAt = jvztest::FailingFileWriter::FailAt;
    struct Case {
        FailAt at;
        const char* box; // start of the one box shown
    };
    const Case cases[] = {
        {FailAt::Begin, "OpenFileOutput function: "},
        {FailAt::Write, "WriteNextLine function: "},
        {FailAt::Commit, "CloseFile function: "},
    };
    for (const Case& c : cases) {
        const QString path = scratchFile(kOld);
        jvztest::FakeNotifier notifier;
        jvztest::FailingFileWriter writer(c.at, 15); // fails inside the second line
        {
            MbWorkFile file(&notifier, &writer);
            // As callers do: nothing is written when the open failed.
            const int16_t open = file.OpenFileOutput(path);
            int16_t written = 0;
            for (int i = 0; i < 5 && open == 0; ++i)
                written |= file.WriteNextLine(QString("new line %1").arg(i));
            const int16_t closed = open == 0 ? file.CloseFile() : 0;
            EXPECT_NE(open | written | closed, 0) << c.box;
        }
        ASSERT_EQ(notifier.shown.size(), 1u) << c.box;
        EXPECT_TRUE(notifier.shown[0].text.startsWith(c.box)) << notifier.shown[0].text.toStdString();
        EXPECT_EQ(jvztest::readFileBytes(path.toStdString()), kOld) << c.box;
    }
}

// A real short write (the file may not grow past 1000 bytes): the old file stays whole.
TEST(WorkFileWrite, DiskFullHalfWayKeepsTheOldFileWhole)
{
    const QString path = scratchFile(kOld);
    QLoggingCategory::setFilterRules(QStringLiteral("jvz.core.warning=false")); // no logging in the child
    const int code = jvztest::runWithFileSizeLimit(1000, [&] {
        MbWorkFile file;
        if (file.OpenFileOutput(path) != 0)
            return 3;
        int16_t failed = 0;
        for (int i = 0; i < 200 && failed == 0; ++i)
            failed = file.WriteNextLine(QString(50, 'z'));
        return failed != 0 && file.CloseFile() != 0 ? 0 : 1;
    });
    QLoggingCategory::setFilterRules(QString());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(jvztest::readFileBytes(path.toStdString()), kOld);
}
