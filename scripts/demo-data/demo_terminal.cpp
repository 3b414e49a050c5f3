// A simulated terminal for the demo, made of the tests' own pieces: a pty standing for its port (named in the
// program's phonebook), the FTP server on 127.0.0.2 port 21 and the scripted session peer calling the program
// from 127.0.0.2. It prints "ready" once JVZ may start, then the files that reached it, and always ends by
// itself.
//
//   jvz_demo_terminal <phonebook file> <session port> [seconds] [terminal tree]
//
// With a terminal tree (a folder of SWAP, HOST...) the terminal serves that tree to a program on the network
// link (its FTP server only) and stays until the program's FTP session ends.

#include "../../tests/session/SessionFrames.h"
#include "FtpServerFixture.h"
#include "ScriptedTerminalPeer.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using jvztest::bytes;
using Step = jvztest::ScriptedTerminalPeer::Step;

namespace {

const QHostAddress kProgram(QStringLiteral("127.0.0.1"));
const QHostAddress kTerminal(QStringLiteral("127.0.0.2"));

QList<Step> downloadSession()
{
    return {
        Step::send(jvztest::terminalIdentification("M40")),
        Step::expect(jvztest::ownIdentification()),
        Step::send(bytes({17, 1, 0})),
        Step::expect(bytes({32, 1, 1})),
        Step::send(bytes({33, 27, 0}) + "DOWNLOAD   SWAP           "),
        Step::expect(bytes({34, 1, 0})),
        Step::send(bytes({34, 1, 0})),
        Step::expect(bytes({0, 1, 0})),
        Step::close(),
    };
}

// The terminal of the window demo, reached over the network link: its FTP server serves the tree until the
// program's FTP session ends (the program disconnects or ends).
class StayingTerminal : public QObject {
public:
    explicit StayingTerminal(jvztest::FtpServerFixture& ftp) : m_ftp(ftp)
    {
        connect(&m_watch, &QTimer::timeout, this, &StayingTerminal::watchFtp);
        m_watch.start(100);
    }

    bool done() const { return m_done; }

private:
    void watchFtp()
    {
        const QByteArrayList commands = m_ftp.commands();
        for (; m_seen < commands.size(); ++m_seen) {
            const QByteArray& c = commands.at(m_seen);
            if (c.startsWith("PASS") && !m_inSession) {
                m_inSession = true;
                say("the program opened its FTP session");
            } else if (c.startsWith("LIST") && !m_listed) {
                m_listed = true;
                say("the program listed the terminal");
            } else if (c.startsWith("#disconnect") && m_inSession) {
                m_done = true;
                say("the program ended its session");
                QCoreApplication::exit(0);
                return;
            }
        }
    }

    static void say(const char* text)
    {
        std::printf("demo terminal: %s\n", text);
        std::fflush(stdout);
    }

    jvztest::FtpServerFixture& m_ftp;
    QTimer m_watch;
    qsizetype m_seen = 0;
    bool m_inSession = false;
    bool m_listed = false;
    bool m_done = false;
};

// Copies the fixture tree into the served folder; the size entries stand for the disk's total and free space.
bool serveTree(const QString& tree, jvztest::FtpServerFixture& ftp)
{
    QDirIterator it(tree, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !ftp.putLocal(u'/' + QDir(tree).relativeFilePath(path), file.readAll()))
            return false;
    }
    const struct {
        const char* name;
        qint64 size;
    } sizes[] = {{"\\SWAP\\DIRECTORY.SIZ", 16ll << 20}, {"\\SWAP\\DIRFREE.SIZ", 10ll << 20}};
    for (const auto& s : sizes) {
        QFile file(ftp.localPath(QString::fromLatin1(s.name)));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(s.size)) // sparse: no disk space used
            return false;
    }
    return true;
}

int fail(const QString& why)
{
    std::fprintf(stderr, "demo terminal: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool portOk = false;
    const quint16 sessionPort = args.size() > 2 ? args.at(2).toUShort(&portOk) : 0;
    if (args.size() < 3 || !portOk || sessionPort == 0)
        return fail(QStringLiteral("usage: jvz_demo_terminal <phonebook file> <session port> [seconds]"));
    const int seconds = args.size() > 3 ? qBound(10, args.at(3).toInt(), 3600) : 120;
    QDeadlineTimer deadline(seconds * 1000);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return fail(QStringLiteral("cannot open a pty"));
    const QString pty = QString::fromLocal8Bit(::ptsname(master)).mid(5);
    QFile phonebook(args.at(1));
    if (!phonebook.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        phonebook.write("[JVZ Connection]\r\nPort=" + pty.toLatin1() + "\r\nConnectBPS=115200\r\nHwFlowControl=0\r\n") <
            0)
        return fail(QStringLiteral("cannot write %1").arg(args.at(1)));
    phonebook.close();

    jvztest::FtpServerFixture::Options options;
    options.host = kTerminal.toString();
    options.port = 21;
    options.maxSeconds = seconds;
    options.user = "ftpuser"; // the terminal's usual FTP user, which a batch run logs in with
    options.password = "905173";
    jvztest::FtpServerFixture ftp(options);
    if (!ftp.start())
        return fail(ftp.errorString() + QStringLiteral(" (port 21 needs root)"));
    ftp.putLocal(QStringLiteral("\\SWAP\\ACTIVITY.INF"),
                 "[Running Component List]\r\nfilename=LIST.TXT\r\n[exchange]\r\nDisk free size=10000000\r\n");
    const QString tree = args.size() > 4 ? args.at(4) : QString();
    if (!tree.isEmpty() && !serveTree(tree, ftp))
        return fail(QStringLiteral("cannot serve the terminal tree %1").arg(tree));
    std::printf("demo terminal: port %s, FTP on %s:21\nready\n", qPrintable(pty), qPrintable(kTerminal.toString()));
    std::fflush(stdout);

    if (!tree.isEmpty()) {
        StayingTerminal terminal(ftp);
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        limit.start(int(qMax<qint64>(1, deadline.remainingTime())));
        QCoreApplication::exec();
        ftp.stop();
        ::close(master);
        return terminal.done() ? 0 : 1;
    }

    // The program opens its socket just before it dials: until then a call is refused, and is tried again.
    bool ok = false;
    QString failure;
    while (!deadline.hasExpired()) {
        jvztest::ScriptedTerminalPeer peer(downloadSession());
        peer.start(kProgram, sessionPort, kTerminal);
        ok = peer.waitFinished(int(qMax<qint64>(1, deadline.remainingTime())));
        failure = peer.failure();
        if (ok || !peer.received().isEmpty() || !failure.contains(QStringLiteral("cannot connect")))
            break;
        QTimer pause;
        pause.setSingleShot(true);
        QEventLoop loop;
        QObject::connect(&pause, &QTimer::timeout, &loop, &QEventLoop::quit);
        pause.start(200);
        loop.exec();
    }
    std::printf("demo terminal: session %s\n", ok ? "completed" : qPrintable(QStringLiteral("failed: ") + failure));
    std::printf("demo terminal: files in \\SWAP\\\n");
    const QDir swap(ftp.localPath(QStringLiteral("\\SWAP")));
    for (const QFileInfo& f : swap.entryInfoList(QDir::Files, QDir::Name))
        std::printf("  %-28s %8lld bytes\n", qPrintable(f.fileName()), static_cast<long long>(f.size()));
    std::fflush(stdout);
    ftp.stop();
    ::close(master);
    return ok ? 0 : 1;
}
