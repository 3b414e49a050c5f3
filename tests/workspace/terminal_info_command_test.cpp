// The main window's terminal-information command: enabled by the session, refused while busy, and running the
// fetch-show-delete of the terminal's configuration file.
#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "MainWindowWorld.h"
#include "TestEnv.h"
#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/TerminalSession.h"
#include "platform/FtpClient.h"
#include "terminal_files/TransferContext.h"
#include "terminal_files/ui/TerminalConfigCommand.h"
#include "terminal_files/ui/frmOutilsJVZ.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

class OneFileTerminal final : public FtpClient {
public:
    uint32_t open(const QString&, uint16_t, const QByteArray&, const QByteArray&) override { return 0; }
    bool isOpen() const override { return true; }
    void close() override {}
    uint32_t setCurrentDirectory(const QByteArray&) override { return 0; }
    QByteArray currentDirectory() const override { return {}; }
    uint32_t getFile(const QByteArray& remote, const QString& local, FetchBound bound) override
    {
        gets << remote;
        kinds << bound.kind;
        QFile f(local);
        if (!f.open(QIODevice::WriteOnly))
            return FtpError::WriteFault;
        f.write(QByteArray(97, 'A'));
        return FtpError::None;
    }
    uint32_t putFile(const QString&, const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t deleteFile(const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t renameFile(const QByteArray&, const QByteArray&) override { return FtpError::AccessDenied; }
    uint32_t listDirectory(QByteArrayList*) override { return 0; }
    QByteArray lastResponse() const override { return {}; }
    uint32_t lastError() const override { return 0; }

    QByteArrayList gets;
    QList<FetchBound::Kind> kinds;
};

class SilentHost final : public TransferHost {
public:
    void setTransferStatus(const QString&) override {}
    void trace(const QString&) override {}
    void ReportFtpError(uint32_t, const QString&) override {}
    TransferProgress* progressWindow() override { return nullptr; }
};

struct Fixture {
    jvztest::MainWindowWorld world;
    AppSettings& settings = world.settings;
    BatchRun& batch = world.batch;
    jvztest::FakeNotifier& notifier = world.notifier;
    frmMainJVZ& window = world.assemble();
    OneFileTerminal terminal;
    SilentHost host;
    TerminalSession session;
    TerminalIdentity identity;
    TerminalInfoFields info;
    QString dir = QStringLiteral("\\SWAP\\");
    TransferContext context{.ftp = terminal,
                            .host = host,
                            .notifier = notifier,
                            .language = window.language(),
                            .batch = batch,
                            .session = session,
                            .identity = identity,
                            .terminalInfo = info,
                            .currentTerminalDir = dir,
                            .tempFolder = QString::fromStdString(jvztest::makeScratchDir("temp"))};
    jvztest::FailingFileWriter writer{jvztest::FailingFileWriter::FailAt::Never};
    TerminalConfigCommand command{context, settings, writer, &window};
    int shown = 0;

    Fixture()
    {
        command.setShowModal([this](frmOutilsJVZ& w) {
            ++shown;
            EXPECT_EQ(w.textBox(2)->text(), QStringLiteral("AAA"));
        });
        // As the program wires it.
        window.commands().wireCommand(Command::TerminalInfo, [this] { command.MNU_Terminal_Info_Click(); });
    }
    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
};

} // namespace

TEST(TerminalInfoCommandWiring, SessionEnablesItBusyRefusesIt)
{
    Fixture f;
    QAction* info = f.action("MNU_Terminal_Info");
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->isEnabled()); // until the session says the terminal may be asked
    info->trigger();
    EXPECT_EQ(f.shown, 0);

    f.window.commands().EnableTerminalInfoCommand();
    EXPECT_TRUE(info->isEnabled());
    {
        BusyScope busy(f.window.commands());
        EXPECT_FALSE(info->isEnabled());
        f.window.commands().run(Command::TerminalInfo);
        EXPECT_EQ(f.shown, 0);
    }
    info->trigger();
    EXPECT_EQ(f.shown, 1);
    EXPECT_EQ(f.terminal.gets, QByteArrayList{"\\SWAP\\TERMINAL.CNF"});
    EXPECT_EQ(f.terminal.kinds, QList<FetchBound::Kind>{FetchBound::Kind::ControlFile}) << "a file read for itself";
    EXPECT_FALSE(QFile::exists(f.context.tempDir() + "termconfig.tmp"));

    // The icon bar's button 7 runs the same command; the identity window's item is another one.
    f.window.commands().TLB_Icon_ButtonClick(jvz::IconButton::TerminalInfo);
    EXPECT_EQ(f.shown, 2);
    EXPECT_NE(f.action("MNU_Terminal_Config"), info);

    f.window.commands().DisableTerminalInfoCommand();
    EXPECT_FALSE(info->isEnabled());
}
