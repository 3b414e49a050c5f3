// The upload of selected terminal files into a local folder, against a real FTP server on loopback.
#include "FtpServerFixture.h"
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/TerminalUpload.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

// Selected names whose rows held no size.
QList<ListedTerminalFile> unsized(const QStringList& names)
{
    QList<ListedTerminalFile> files;
    for (const QString& name : names)
        files.append({name, -1});
    return files;
}

class TerminalUploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.errorString().toStdString();
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\APP.SGN"), m_app));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\app.sgn"), m_lower));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\DIRFREE.SIZ"), "x"));
        ASSERT_TRUE(m_server.putLocal(QStringLiteral("\\SWAP\\DIRECTORY.SIZ"), "x"));
        ASSERT_EQ(m_client.open(m_server.host(), m_server.port(), m_server.user(), m_server.password()),
                  FtpError::None);
        ASSERT_EQ(m_client.setCurrentDirectory("\\SWAP\\"), FtpError::None);
        m_world.batch.gBatchMode = false;
        m_dest = jvztest::scratchFolder("dest");
        m_hooks.refreshLocalList = [this](const QString& folder) { m_refreshed << folder; };
    }

    QStringList localFiles() const { return QDir(m_dest).entryList(QDir::Files, QDir::Name); }

    jvztest::FtpServerFixture m_server;
    CurlFtpClient m_client{FtpTimeouts{5000, 5}};
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_client);
    QByteArray m_app = jvztest::patternBytes(4000, 1);
    QByteArray m_lower = jvztest::patternBytes(3000, 2);
    QString m_dest;
    UploadHooks m_hooks;
    QStringList m_refreshed;
};

TEST_F(TerminalUploadTest, FilesArriveAsListedAndByteIdentical)
{
    const int got = UploadSelectedTerminalFiles(
        m_ctx, unsized({QStringLiteral("APP.SGN"), QStringLiteral("DIRFREE.SIZ"), QStringLiteral("app.sgn")}), m_dest,
        m_hooks);
    EXPECT_EQ(got, 2);
    EXPECT_EQ(localFiles(), QStringList({QStringLiteral("APP.SGN"), QStringLiteral("app.sgn")}));
    EXPECT_EQ(jvztest::readFile(m_dest + QStringLiteral("APP.SGN")), m_app);
    EXPECT_EQ(jvztest::readFile(m_dest + QStringLiteral("app.sgn")), m_lower);
    EXPECT_TRUE(m_server.commands().contains("RETR app.sgn")) << "asked exactly as listed";
    EXPECT_EQ(m_refreshed, QStringList{m_dest});
    EXPECT_EQ(m_world.host.progress.total, 2);
    EXPECT_EQ(m_world.host.progress.from, QStringLiteral("\\SWAP\\"));
    EXPECT_EQ(m_world.host.progress.unloads, 1);
    // Newest first: the file's line stands above its status line.
    ASSERT_GE(m_world.host.traces.size(), 2);
    EXPECT_EQ(m_world.host.traces[0], QStringLiteral("<TRC_UploadedFile><TRC_TerminalDisk>\\SWAP\\: app.sgn"));
    EXPECT_EQ(m_world.host.traces[1], QStringLiteral("<FTPCmd><GetOK>"));
}

TEST_F(TerminalUploadTest, NothingIsFetchedWithoutAFileOrAFolder)
{
    const struct {
        const char* name;
        QStringList selection;
        QString destination;
    } cases[] = {
        {"only size entries", {QStringLiteral("DIRFREE.SIZ"), QStringLiteral("directory.siz")}, m_dest},
        {"the tree's root", {QStringLiteral("APP.SGN")}, QString()},
        {"nothing selected", {}, m_dest},
    };
    for (const auto& c : cases) {
        const qsizetype before = m_server.commands().size();
        EXPECT_EQ(UploadSelectedTerminalFiles(m_ctx, unsized(c.selection), c.destination, m_hooks), 0) << c.name;
        EXPECT_EQ(m_server.commands().size(), before) << c.name;
        EXPECT_TRUE(m_refreshed.isEmpty()) << c.name;
        EXPECT_TRUE(m_world.notifier.shown.empty()) << c.name;
    }
    EXPECT_TRUE(localFiles().isEmpty());
}

TEST_F(TerminalUploadTest, FailedGetLeavesTheLocalFileAndOverwritesOnSuccess)
{
    jvztest::writeFile(m_dest + QStringLiteral("GONE.SGN"), "kept");
    jvztest::writeFile(m_dest + QStringLiteral("APP.SGN"), "old");
    EXPECT_EQ(UploadSelectedTerminalFiles(m_ctx, unsized({QStringLiteral("GONE.SGN"), QStringLiteral("APP.SGN")}),
                                          m_dest, m_hooks),
              1);
    EXPECT_EQ(jvztest::readFile(m_dest + QStringLiteral("GONE.SGN")), QByteArray("kept"));
    EXPECT_EQ(jvztest::readFile(m_dest + QStringLiteral("APP.SGN")), m_app);
    ASSERT_EQ(m_world.host.reports.size(), 1u);
    EXPECT_EQ(m_world.host.reports[0].operation, QStringLiteral("FtpGetFile"));
    EXPECT_EQ(localFiles(), QStringList({QStringLiteral("APP.SGN"), QStringLiteral("GONE.SGN")}));
}

TEST_F(TerminalUploadTest, NamesThatLeaveTheFolderAreRefusedAndAClosedSessionStopsTheLoop)
{
    const QString inner = m_dest + QStringLiteral("inner/");
    ASSERT_TRUE(QDir().mkpath(inner));
    EXPECT_EQ(UploadSelectedTerminalFiles(m_ctx, unsized({QStringLiteral("../APP.SGN"), QStringLiteral("..")}), inner,
                                          m_hooks),
              0);
    EXPECT_TRUE(localFiles().isEmpty());
    // Refused before anything is sent: a message and a trace line each, no FTP error.
    EXPECT_TRUE(m_world.host.reports.empty());
    ASSERT_EQ(m_world.notifier.shown.size(), 2u);
    EXPECT_EQ(m_world.notifier.shown[0].text, QStringLiteral("<MSG_TerminalNameNotSendable> '../APP.SGN'"));
    EXPECT_TRUE(m_world.host.traces.contains(QStringLiteral("<TRC_TerminalNameRefused>..")));
    m_world.notifier.shown.clear();

    m_hooks.sessionOpen = [] { return false; };
    EXPECT_EQ(UploadSelectedTerminalFiles(m_ctx, unsized({QStringLiteral("APP.SGN"), QStringLiteral("app.sgn")}),
                                          m_dest, m_hooks),
              1);
    ASSERT_EQ(m_world.notifier.shown.size(), 1u);
    EXPECT_EQ(m_world.notifier.shown[0].text, QStringLiteral("<MSG_TerminalSessionClosed>"));
}

} // namespace
