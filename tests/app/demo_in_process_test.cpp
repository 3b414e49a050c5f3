// The window demo end to end in this process: the window as the program assembles it, over the demo's own
// settings, against the simulated terminal scripts/demo starts (its pty in the phonebook, the session calls from
// 127.0.0.2, FTP on 127.0.0.2 port 21, serving the demo's terminal tree), dialled through the stand-in pppd, the
// companions run for real. Driven with keys as a user drives it, read where a user reads, with the program's
// waits shortened. tests/app/demo_window_test.py plays scripts/demo --window itself under a virtual display.

#include "../workspace/MainWindowWorld.h"
#include "../workspace/UserInput.h"
#include "InProcessBatch.h"
#include "Paths.h"
#include "ProgramFolderCopy.h"
#include "StandInPppd.h"
#include "TestEnv.h"
#include "core/MbFileIni.h"
#include "core/PerUserFolder.h"
#include "core/Settings.h"
#include "platform/Clock.h"
#include "platform/FtpClient.h"
#include "platform/PppDialer.h"
#include "platform/ProcessRunner.h"
#include "session/PrivatePhonebook.h"
#include "session/SessionRuntime.h"
#include "session/TcpSessionTransport.h"
#include "workspace/CommandState.h"
#include "workspace/ui/LocalExplorerPane.h"
#include "workspace/ui/MainWindowControls.h"
#include "workspace/ui/frmMainJVZ.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

using namespace jvz;
using jvztest::focus;
using jvztest::goToRow;
using jvztest::press;
using jvztest::rowsOf;

namespace {

constexpr int kBoundMs = 10000;
const QHostAddress kTerminalAddress(QStringLiteral("127.0.0.2"));

// The demo's simulated terminal (scripts/demo-data/demo_terminal.cpp), started as scripts/demo --window starts it,
// its lines read as they come.
class DemoTerminal {
public:
    ~DemoTerminal()
    {
        // Its signal first, so that it stops its FTP server on the way out.
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    // Started on the program's phonebook and session port; true once it says it is ready.
    bool start(const QString& phonebook, quint16 sessionPort)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/jvz_demo_terminal"),
                        {phonebook, QString::number(sessionPort), QStringLiteral("60"),
                         jvztest::sourceDir() + QStringLiteral("/scripts/demo-data/terminal")});
        return waitFor(QStringLiteral("ready"));
    }

    bool waitFor(const QString& line, int ms = kBoundMs)
    {
        return QTest::qWaitFor([&] { return has(line); }, ms);
    }

    bool has(const QString& line) { return count(line) > 0; }

    qsizetype count(const QString& line)
    {
        read();
        return m_lines.count(line);
    }

    // Ended as the demo ends it; true when it went by itself on the signal.
    bool stop()
    {
        m_process.terminate();
        const bool ended = m_process.waitForFinished(kBoundMs);
        read();
        return ended && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    // The size it lists for a file of its \SWAP\ folder once ended; -1 when not listed.
    qint64 sizeInSwap(const QString& name) const
    {
        static const QRegularExpression row(QStringLiteral("^  (\\S+) +(\\d+) bytes$"));
        for (const QString& line : m_lines) {
            const QRegularExpressionMatch m = row.match(line);
            if (m.hasMatch() && m.captured(1) == name)
                return m.captured(2).toLongLong();
        }
        return -1;
    }

    QString pty() const
    {
        for (const QString& line : m_lines)
            if (line.startsWith(QLatin1String("demo terminal: port ")))
                return line.mid(20).section(u',', 0, 0);
        return {};
    }

    QString lines() const { return m_lines.join(u'\n'); }

private:
    void read()
    {
        m_pending += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << QString::fromUtf8(m_pending.left(end));
            std::cout << "  | " << m_lines.last().toStdString() << std::endl;
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
};

quint16 freeSessionPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0) ? probe.serverPort() : 0;
}

// Runs once, while a modal window runs its own loop: when the window that pleases `which` is the modal one and
// has the focus, `act` reads it and closes it as a user would.
class WhenModal {
public:
    WhenModal(std::function<bool(QWidget*)> which, std::function<void(QWidget*)> act)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, which = std::move(which), act = std::move(act)] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !which(modal) || QApplication::activeWindow() != modal || !QApplication::focusWidget())
                return;
            m_poll.stop();
            m_done = true;
            act(modal);
        });
        m_poll.start(10);
    }
    bool done() const { return m_done; }

private:
    QTimer m_poll;
    bool m_done = false;
};

// The box shown under a label of the configuration window (each value sits under its caption).
QLineEdit* boxUnder(QWidget* window, const char* labelName)
{
    auto* label = window->findChild<QLabel*>(QLatin1String(labelName));
    if (!label)
        return nullptr;
    for (QGridLayout* grid : window->findChildren<QGridLayout*>()) {
        const int at = grid->indexOf(label);
        if (at < 0)
            continue;
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(at, &row, &column, &rows, &columns);
        QLayoutItem* below = grid->itemAtPosition(row + 1, column);
        return below ? qobject_cast<QLineEdit*>(below->widget()) : nullptr;
    }
    return nullptr;
}

// The program folder as the demo makes it: the built programs and data files, the demo's settings on the
// session port, the demo catalogue in a folder of its own.
class DemoWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(sessionPort, 0);
        ASSERT_TRUE(jvztest::copyProgramFolder(world.folder));
        QString ini = QString::fromLatin1(jvztest::readFileBytes(
            (jvztest::sourceDir() + QStringLiteral("/scripts/demo-data/JVZ.ini")).toStdString()));
        ini.replace(QStringLiteral("@SESSION_PORT@"), QString::number(sessionPort));
        ASSERT_TRUE(jvztest::writeFileBytes(world.settings.gIniPath.toStdString(), ini.toLatin1().toStdString()));
        const QString source = jvztest::sourceDir() + QStringLiteral("/scripts/demo-data/catalogue/");
        for (const QString& name : QDir(source).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(source + name, catalogueFolder + name));

        // The terminal first: it writes its pty into the phonebook.
        ASSERT_TRUE(terminal.start(world.folder + QStringLiteral("/ras/rasphone2000.pbk"), sessionPort))
            << terminal.lines().toStdString();
        ASSERT_FALSE(terminal.pty().isEmpty());

        // Start-up's reading of the settings and the port list, the demo's pty among the ports.
        AppSettings& s = world.settings;
        s.gIniFile->Create(s.gIniPath);
        LoadOptions(s, *s.gIniFile);
        LoadProtocolSettings(s, world.batch, *s.gIniFile);
        FixedSerialPortInventory machine;
        world.ports.setPorts(WithStandInPort(machine, terminal.pty().toStdString()).ports().value());
        PrivatePhonebook phonebook(s.gProgramFolder, world.ports);
        phonebook.FindModemPorts();
        world.state.link.gModemPorts = phonebook.gModemPorts;

        world.timings = timings;
        world.realFtp = &client;
        world.realTransport = &transport;
        world.realClock = &clock;
        world.realRunner = &processes;
        world.realDialUp = &dialer;
        window = &world.build();
        window->resize(1280, 760);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    void TearDown() override
    {
        if (world.assembly)
            world.assembly->session().CloseFtpSession();
        transport.close();
    }

    QAction* action(Command command) const { return window->controls().action(command); }

    // A window the run opened for a while (the connect's, the copy window, a menu, a
    // viewer) took the keys and gave them
    // to no one when it closed, as there is no window manager here: the user clicks the main window.
    void clickIntoTheWindow()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    bool waitForRow(QTreeView* view, const QString& name) const
    {
        return QTest::qWaitFor([&] { return rowsOf(view).contains(name); }, kBoundMs);
    }

    // The program's waits cut; the first answer is a bound the calling terminal always meets well within.
    static RuntimeTimings shortTimings()
    {
        RuntimeTimings t = jvztest::shortProgramTimings();
        t.firstAnswerMs = kBoundMs;
        return t;
    }

    quint16 sessionPort = freeSessionPort();
    QString catalogueFolder = QString::fromStdString(jvztest::makeScratchDir("catalogue")) + u'/';
    RuntimeTimings timings = shortTimings();
    DemoTerminal terminal;
    jvztest::StandInPppd pppd; // first on PATH while the window dials
    PosixProcessRunner processes;
    PppDialer dialer{processes, GetAppDataDir(), timings.ppp};
    CurlFtpClient client{timings.ftp};
    SteadyClock clock;
    TcpSessionTransport transport;
    jvztest::MainWindowWorld world; // after what its window uses
    frmMainJVZ* window = nullptr;
};

TEST_F(DemoWorld, ConnectDownloadConfigurationReportAndQuit)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const MainWindowControls& ui = window->controls();
    QTreeView* terminalList = ui.listView2;
    QTreeView* localList = ui.listView1;

    // Connect (F4): the link is dialled, the terminal calls, identifies itself and is asked for the download.
    focus(terminalList);
    press(Qt::Key_F4);
    ASSERT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: session 1: activity DOWNLOAD authorised")))
        << window->traceBox().text().toStdString();
    ASSERT_TRUE(waitForRow(terminalList, QStringLiteral("APPCOUNTER.DIA"))) << window->traceBox().text().toStdString();
    EXPECT_EQ(pppd.arguments().value(0), QStringLiteral("/dev/") + terminal.pty());
    std::cout << "connected after " << elapsed.elapsed() << " ms" << std::endl;
    clickIntoTheWindow();
    focus(terminalList);

    // The catalogue folder typed into the path box (Ctrl+K: from the terminal list to the local one, then back
    // along the tab chain), the demo list picked, Download (F2).
    press(Qt::Key_K, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), localList);
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(ui.combo5->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == ui.combo5)
        << QApplication::focusWidget()->objectName().toStdString();
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), catalogueFolder);
    press(Qt::Key_Return);
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), localList);
    ASSERT_TRUE(waitForRow(localList, QStringLiteral("DEMO.M40"))) << rowsOf(localList).join(u',').toStdString();
    goToRow(localList, QStringLiteral("DEMO.M40"));
    ASSERT_TRUE(action(Command::Download)->isEnabled());
    press(Qt::Key_F2);
    // DEMOAPP.SGN is already on the terminal: it arrives under a temporary name that replaces it.
    EXPECT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: renamed it DEMOAPP.SGN")));
    EXPECT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: renamed it DEMO_LIBRARY_COMPONENT.SGN")));
    ASSERT_TRUE(waitForRow(terminalList, QStringLiteral("DEMO_LIBRARY_COMPONENT.SGN")))
        << rowsOf(terminalList).join(u',').toStdString() << window->traceBox().text().toStdString();
    std::cout << "downloaded after " << elapsed.elapsed() << " ms" << std::endl;
    clickIntoTheWindow();
    ASSERT_EQ(QApplication::focusWidget(), localList);

    // Maintenance from the Activity menu, opened by its mnemonic and walked with the arrow keys.
    // On the way the terminal filter, left, lists the terminal again: the activity ends and is asked anew.
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), terminalList);
    const QString downloadAuthorised = QStringLiteral("demo terminal: session 1: activity DOWNLOAD authorised");
    EXPECT_TRUE(QTest::qWaitFor([&] { return terminal.count(downloadAuthorised) == 2; }, kBoundMs));
    ASSERT_TRUE(waitForRow(terminalList, QStringLiteral("APPCOUNTER.DIA")));
    const QString activity = ui.mnuActivity->title();
    const qsizetype mnemonic = activity.indexOf(u'&');
    ASSERT_GE(mnemonic, 0) << activity.toStdString();
    press(Qt::Key_A + (activity.at(mnemonic + 1).toUpper().unicode() - u'A'), Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), ui.mnuActivity);
    QAction* maintenance = action(Command::ActivityMaintenance);
    for (int i = 0; i < 5 && ui.mnuActivity->activeAction() != maintenance; ++i)
        press(Qt::Key_Down);
    ASSERT_EQ(ui.mnuActivity->activeAction(), maintenance);
    press(Qt::Key_Return);
    ASSERT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: session 1: activity MAINTENANCE authorised")))
        << window->traceBox().text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return action(Command::TerminalInfo)->isEnabled(); }, kBoundMs));
    clickIntoTheWindow();
    focus(terminalList);

    // The terminal configuration (Ctrl+J): the values decoded from the served TERMINAL.CNF, each under its
    // caption; Escape closes it.
    QString productCode;
    QString ram;
    WhenModal configuration([](QWidget* w) { return w->objectName() == QLatin1String("frmOutilsJVZ"); },
                            [&](QWidget* w) {
                                if (QLineEdit* box = boxUnder(w, "LblPrdCod"))
                                    productCode = box->text();
                                if (QLineEdit* box = boxUnder(w, "LblTotalRam"))
                                    ram = box->text();
                                const QString shot =
                                    jvztest::binDir() + QStringLiteral("/../screenshots/demo_config_in_process.png");
                                QDir().mkpath(QFileInfo(shot).absolutePath());
                                w->grab().save(shot);
                                press(Qt::Key_Escape);
                            });
    press(Qt::Key_J, Qt::ControlModifier);
    ASSERT_TRUE(configuration.done()) << window->traceBox().text().toStdString();
    EXPECT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: sent \\SWAP\\TERMINAL.CNF")));
    EXPECT_EQ(productCode, QStringLiteral("M40"));
    EXPECT_EQ(ram, QStringLiteral("16"));
    clickIntoTheWindow();

    // The .DIA named for its converter (Enter on its row) opens in that converter's report.
    QString report;
    WhenModal viewer([](QWidget* w) { return w->objectName() == QLatin1String("FrmReadTextFile"); },
                     [&](QWidget* w) {
                         if (auto* text = w->findChild<QPlainTextEdit*>(QStringLiteral("Text1")))
                             report = text->toPlainText();
                         press(Qt::Key_Escape);
                     });
    goToRow(terminalList, QStringLiteral("APPCOUNTER.DIA"));
    press(Qt::Key_Return);
    ASSERT_TRUE(viewer.done()) << window->traceBox().text().toStdString();
    EXPECT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: sent APPCOUNTER.DIA")));
    EXPECT_TRUE(report.contains(QStringLiteral("Counters [number:value]"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("0001: 1234"))) << report.toStdString();
    std::cout << "configuration and report read after " << elapsed.elapsed() << " ms" << std::endl;
    clickIntoTheWindow();
    focus(terminalList);

    // Quit (Ctrl+Q), answered Yes: the session ends and the link is hung up.
    press(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return world.quits == 1; }, kBoundMs));
    EXPECT_TRUE(terminal.waitFor(QStringLiteral("demo terminal: session 1: ended")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pppd.nothingLeft(); }, kBoundMs)) << "pppd was hung up";
    bool asked = false;
    for (const auto& box : world.notifier.shown) {
        asked = asked || box.text == window->language().GetFormLabel(QStringLiteral("Sur"));
        std::cout << "box: " << box.text.toStdString() << std::endl;
    }
    EXPECT_TRUE(asked) << "the quit question";

    // The demo's end: the terminal goes on its signal and lists what reached it; nothing is left on port 21.
    ASSERT_TRUE(terminal.stop());
    for (const QString& name : {QStringLiteral("DEMOAPP.SGN"), QStringLiteral("demo_library_component.sgn")}) {
        const QString onTerminal = name.toUpper();
        EXPECT_EQ(terminal.sizeInSwap(onTerminal), QFileInfo(catalogueFolder + name).size())
            << onTerminal.toStdString();
    }
    QTcpServer port21;
    EXPECT_TRUE(port21.listen(kTerminalAddress, 21)) << "port 21 of 127.0.0.2 is still taken";
    std::cout << "whole demo " << elapsed.elapsed() << " ms" << std::endl;
}

} // namespace
