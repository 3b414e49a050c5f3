// A simulated terminal for the demo, made of the tests' own pieces: a pty standing for its port (named in the
// program's phonebook), the FTP server on 127.0.0.2 port 21 and the scripted session peer calling the program
// from 127.0.0.2. It prints "ready" once JVZ may start, then the files that reached it, and always ends by
// itself.
//
//   jvz_demo_terminal <phonebook file> <session port> [seconds] [terminal tree]
//
// With a terminal tree (a folder of SWAP, HOST...) the terminal serves that tree and plays the session for as
// many sessions as the program opens (each Connect is a call: identification, then the activity asked), until
// it is ended or its time is up. It prints each folder the program lists and each file that reaches it or
// leaves it, and the files of \SWAP\ when it ends.

#include "../../tests/session/SessionFrames.h"
#include "FtpServerFixture.h"
#include "ScriptedTerminalPeer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <csignal>
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

volatile std::sig_atomic_t g_ended = 0;

void say(const QString& text)
{
    std::printf("demo terminal: %s\n", qPrintable(text));
    std::fflush(stdout);
}

// The terminal of the window demo: it calls the program's session socket again and again, so each session the
// user opens (Connect) is answered; it identifies itself as a terminal of the demo catalogue's product and
// authorises every activity asked. Each frame is written on its own, after the program's answer, as a
// terminal does.
class CallingTerminal : public QObject {
public:
    CallingTerminal(quint16 sessionPort, jvztest::FtpServerFixture& ftp) : m_port(sessionPort), m_ftp(ftp)
    {
        connect(&m_retry, &QTimer::timeout, this, &CallingTerminal::call);
        m_retry.start(300);
        connect(&m_watch, &QTimer::timeout, this, &CallingTerminal::watchFtp);
        m_watch.start(200);
    }

private:
    void call()
    {
        if (m_socket)
            return;
        m_socket = new QTcpSocket(this);
        m_socket->bind(kTerminal);
        connect(m_socket, &QTcpSocket::connected, this, [this] {
            m_buffer.clear();
            say(QStringLiteral("session %1: the terminal called the program").arg(++m_sessions));
            send(jvztest::terminalIdentification("M40"));
        });
        connect(m_socket, &QTcpSocket::readyRead, this, &CallingTerminal::onFrames);
        connect(m_socket, &QTcpSocket::disconnected, this, &CallingTerminal::drop);
        connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
            if (m_socket && m_socket->state() != QAbstractSocket::ConnectedState)
                drop(); // the program is not listening yet: called again shortly
        });
        m_socket->connectToHost(kProgram, m_port);
    }

    void drop()
    {
        if (!m_socket)
            return;
        m_socket->disconnect(this);
        m_socket->deleteLater();
        m_socket = nullptr;
    }

    void send(const QByteArray& frame)
    {
        m_socket->write(frame);
        m_socket->flush();
    }

    void onFrames()
    {
        m_buffer += m_socket->readAll();
        while (m_buffer.size() >= 2 && m_buffer.size() >= 2 + quint8(m_buffer.at(1))) {
            const QByteArray frame = m_buffer.left(2 + quint8(m_buffer.at(1)));
            m_buffer.remove(0, frame.size());
            answer(frame);
            if (!m_socket)
                return;
        }
    }

    void answer(const QByteArray& frame)
    {
        const int type = quint8(frame.at(0));
        const int code = frame.size() > 2 ? quint8(frame.at(2)) : 0;
        switch (type) {
        case 16: // the program's identification
            send(bytes({17, 1, 0}));
            break;
        case 32: { // an activity asked: authorised, on the SWAP disk
            static const char* const names[] = {"DOWNLOAD", "DIAGNOSTIC", "MAINTENANCE"};
            const QByteArray name = code >= 1 && code <= 3 ? names[code - 1] : "UNKNOWN";
            say(QStringLiteral("session %1: activity %2 authorised").arg(m_sessions).arg(QLatin1String(name)));
            send(bytes({33, 27, 0}) + name.leftJustified(11, ' ') + QByteArray("SWAP").leftJustified(15, ' '));
            break;
        }
        case 34: // the end of the activity, reported back
            send(bytes({34, 1, 0}));
            break;
        case 0: // the end of the session
            say(QStringLiteral("session %1: ended").arg(m_sessions));
            m_socket->disconnectFromHost();
            break;
        default:
            break;
        }
    }

    void watchFtp()
    {
        const QByteArrayList commands = m_ftp.commands();
        for (; m_seen < commands.size(); ++m_seen) {
            const QByteArray& c = commands.at(m_seen);
            if (c.startsWith("CWD "))
                m_folder = c.mid(4);
            else if (c.startsWith("STOR "))
                say(QStringLiteral("received %1 in %2")
                        .arg(QString::fromLatin1(c.mid(5)), QString::fromLatin1(m_folder)));
            else if (c.startsWith("RNTO "))
                say(QStringLiteral("renamed it %1").arg(QString::fromLatin1(c.mid(5))));
            else if (c.startsWith("RETR "))
                say(QStringLiteral("sent %1").arg(QString::fromLatin1(c.mid(5))));
            else if (c == "LIST" || c.startsWith("LIST "))
                say(QStringLiteral("listed %1").arg(QString::fromLatin1(m_folder)));
        }
    }

    const quint16 m_port;
    jvztest::FtpServerFixture& m_ftp;
    QTimer m_retry;
    QTimer m_watch;
    QTcpSocket* m_socket = nullptr;
    QByteArray m_buffer;
    QByteArray m_folder;
    qsizetype m_seen = 0;
    int m_sessions = 0;
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

// What reached the terminal: the files of its \SWAP\ folder with their sizes.
void printSwapFolder(const jvztest::FtpServerFixture& ftp)
{
    std::printf("demo terminal: files in \\SWAP\\\n");
    const QDir swap(ftp.localPath(QStringLiteral("\\SWAP")));
    for (const QFileInfo& f : swap.entryInfoList(QDir::Files, QDir::Name))
        std::printf("  %-28s %8lld bytes\n", qPrintable(f.fileName()), static_cast<long long>(f.size()));
    std::fflush(stdout);
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
        CallingTerminal terminal(sessionPort, ftp);
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        limit.start(int(qMax<qint64>(1, deadline.remainingTime())));
        // Ended by a signal (the demo's end): the FTP server goes with it.
        for (int sig : {SIGTERM, SIGINT})
            std::signal(sig, [](int) { g_ended = 1; });
        QTimer ended;
        QObject::connect(&ended, &QTimer::timeout, [] {
            if (g_ended)
                QCoreApplication::exit(0);
        });
        ended.start(100);
        QCoreApplication::exec();
        printSwapFolder(ftp);
        ftp.stop();
        ::close(master);
        return 0;
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
    printSwapFolder(ftp);
    ftp.stop();
    ::close(master);
    return ok ? 0 : 1;
}
