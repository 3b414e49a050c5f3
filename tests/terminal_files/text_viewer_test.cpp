// The text viewer on the real window, offscreen: loading, the change mark, the save question and the
// bytes a save writes, and saves that cannot be made.
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "TestEnv.h"
#include "ViewerDoubles.h"
#include "terminal_files/ui/FrmReadTextFile.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class TextViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_viewer.setSaveQuestion([this](const QString& text, const QString& title) {
            questions.append(text);
            questionTitle = title;
            const QMessageBox::StandardButton a = answers.isEmpty() ? QMessageBox::Cancel : answers.takeFirst();
            return a;
        });
    }

    QString write(const QByteArray& bytes, const char* name = "notes.txt")
    {
        const QString path = m_folder + QLatin1String(name);
        EXPECT_TRUE(jvztest::writeFileBytes(path.toStdString(), bytes.toStdString()));
        return QLatin1String(name);
    }

    QByteArray read(const QString& name) const
    {
        QFile f(m_folder + name);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    QPlainTextEdit* text1() { return m_viewer.findChild<QPlainTextEdit*>(QStringLiteral("Text1")); }

    int16_t load(const QString& name, bool writable, const QString& displayPath = QString())
    {
        const int16_t status = m_viewer.init(m_folder, name, m_language, 4000, 6000, displayPath, writable);
        if (status == 0)
            m_viewer.show();
        return status;
    }

    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("viewer")) + QLatin1Char('/');
    jvztest::FakeNotifier m_notifier;
    MBLanguages m_language = jvztest::bracketedFileToolTexts();
    FrmReadTextFile m_viewer{m_notifier};
    QStringList questions;
    QString questionTitle;
    QList<QMessageBox::StandardButton> answers;
};

} // namespace

TEST_F(TextViewerTest, LoadsEveryLineWithItsBreakAndKeepsEveryByte)
{
    struct LoadCase {
        const char* what;
        QByteArray bytes;
        QString shown;
    };
    const LoadCase cases[] = {
        {"empty file", QByteArray(), QString()},
        {"CR LF lines, last without a break", "one\r\ntwo", QStringLiteral("one\ntwo\n")},
        {"LF lines", "one\ntwo\n", QStringLiteral("one\ntwo\n")},
        {"NUL bytes inside a line", QByteArray("a\0b\0\r\nc", 7),
         QStringLiteral("a") + QChar(0) + "b" + QChar(0) + "\nc\n"},
        {"Windows-1252 letters and a non-breaking space", "caf\xe9\xa0\x80\r\n",
         QStringLiteral("caf\u00e9\u00a0\u20ac\n")},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(load(write(c.bytes), false), 0);
        EXPECT_EQ(m_viewer.text(), c.shown);
        EXPECT_TRUE(text1()->isReadOnly());
        EXPECT_EQ(m_viewer.windowTitle(), QStringLiteral("notes.txt"));
        m_viewer.close();
        EXPECT_TRUE(questions.isEmpty());
        EXPECT_FALSE(m_viewer.FileSaved());
    }
}

TEST_F(TextViewerTest, LongTextIsShownWhole)
{
    QByteArray big;
    for (int i = 0; i < 9000; ++i)
        big += "0123456789\r\n";
    ASSERT_EQ(load(write(big), false), 0);
    EXPECT_EQ(m_viewer.text().size(), 9000 * 11);
}

TEST_F(TextViewerTest, CaptionNamesTheDisplayedFile)
{
    const QString name = write("x");
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("/tmp/terminal/report.dia"), QStringLiteral("report.dia")},
        {QStringLiteral("/tmp/readme"), QStringLiteral("readme.")},
        {QString(), QStringLiteral("notes.txt")},
    };
    for (const auto& [display, caption] : cases) {
        ASSERT_EQ(load(name, true, display), 0);
        EXPECT_EQ(m_viewer.windowTitle(), caption);
        m_viewer.close();
    }
}

TEST_F(TextViewerTest, UndoingEveryChangeRemovesTheMark)
{
    ASSERT_EQ(load(write("abc\r\n"), true), 0);
    EXPECT_FALSE(text1()->isReadOnly());
    text1()->moveCursor(QTextCursor::End);
    QTest::keyClicks(text1(), QStringLiteral("Z"));
    EXPECT_EQ(m_viewer.windowTitle(), QStringLiteral("* notes.txt"));
    text1()->undo();
    EXPECT_EQ(m_viewer.windowTitle(), QStringLiteral("notes.txt"));
    m_viewer.close();
    EXPECT_FALSE(m_viewer.isVisible());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_FALSE(m_viewer.FileSaved());
}

TEST_F(TextViewerTest, SaveWritesWindows1252WithCrLfAndKeepsNulBytes)
{
    const QString name = write(QByteArray("caf\xe9\xa0 x\0y\nlast", 14));
    ASSERT_EQ(load(name, true), 0);
    text1()->moveCursor(QTextCursor::End);
    QTest::keyClicks(text1(), QStringLiteral("!"));
    answers = {QMessageBox::Cancel, QMessageBox::Yes};
    m_viewer.close();
    EXPECT_TRUE(m_viewer.isVisible()) << "Cancel keeps the window open";
    EXPECT_EQ(m_viewer.windowTitle(), QStringLiteral("* notes.txt"));
    m_viewer.close();
    EXPECT_FALSE(m_viewer.isVisible());
    EXPECT_TRUE(m_viewer.FileSaved());
    EXPECT_EQ(read(name), QByteArray("caf\xe9\xa0 x\0y\r\nlast\r\n!", 18));
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions[0], QStringLiteral("<FrmReadTextFile:MSG_SaveChanges>\"") + m_folder + name + " ?\"");
    EXPECT_EQ(questionTitle, QStringLiteral("<General:ToolTitle>"));
}

TEST_F(TextViewerTest, NoClosesWithoutSaving)
{
    const QString name = write("keep\r\n");
    ASSERT_EQ(load(name, true), 0);
    QTest::keyClicks(text1(), QStringLiteral("lost "));
    answers = {QMessageBox::No};
    m_viewer.close();
    EXPECT_FALSE(m_viewer.isVisible());
    EXPECT_FALSE(m_viewer.FileSaved());
    EXPECT_EQ(read(name), QByteArray("keep\r\n"));
}

TEST_F(TextViewerTest, UnsaveableTargetKeepsTheWindowOpenWithTheEdits)
{
    struct FailCase {
        const char* what;
        bool readOnly;
        jvztest::FailingFileWriter::FailAt failAt;
        QString message; // start of the box text
    };
    const QString name = QStringLiteral("notes.txt");
    const QString path = m_folder + name;
    const FailCase cases[] = {
        {"owner write bit off", true, jvztest::FailingFileWriter::FailAt::Never,
         QLatin1Char('"') + path + QStringLiteral("\" <FrmReadTextFile:MSG_FileReadOnly>")},
        {"write fails half-way", false, jvztest::FailingFileWriter::FailAt::Write,
         path + QStringLiteral(" : <FrmReadTextFile:MSG_FileNotSaved>")},
        {"rename fails", false, jvztest::FailingFileWriter::FailAt::Commit,
         path + QStringLiteral(" : <FrmReadTextFile:MSG_FileNotSaved>")},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.what);
        write("old text\r\n");
        QFile::setPermissions(path, c.readOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
        jvztest::FailingFileWriter writer(c.failAt, 2);
        m_viewer.setFileWriter(&writer);
        ASSERT_EQ(load(name, true), 0);
        QTest::keyClicks(text1(), QStringLiteral("new "));
        m_notifier.shown.clear();
        answers = {QMessageBox::Yes};
        m_viewer.close();
        EXPECT_TRUE(m_viewer.isVisible());
        EXPECT_FALSE(m_viewer.FileSaved());
        EXPECT_EQ(m_viewer.text(), QStringLiteral("new old text\n"));
        EXPECT_EQ(m_viewer.windowTitle(), QStringLiteral("* notes.txt"));
        ASSERT_EQ(m_notifier.shown.size(), 1u);
        EXPECT_TRUE(m_notifier.shown[0].text.startsWith(c.message)) << m_notifier.shown[0].text.toStdString();
        EXPECT_EQ(read(name), QByteArray("old text\r\n"));
        // Once the target can be written, the same window saves.
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        writer.setFailure(jvztest::FailingFileWriter::FailAt::Never);
        answers = {QMessageBox::Yes};
        m_viewer.close();
        EXPECT_FALSE(m_viewer.isVisible());
        EXPECT_TRUE(m_viewer.FileSaved());
        EXPECT_EQ(read(name), QByteArray("new old text\r\n"));
        m_viewer.setFileWriter(nullptr);
    }
}

TEST_F(TextViewerTest, MissingFileIsReportedAndNotShown)
{
    EXPECT_NE(m_viewer.init(m_folder, QStringLiteral("absent.txt"), m_language, 4000, 6000, QString(), false), 0);
    EXPECT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_TRUE(m_viewer.text().isEmpty());
}
