#include "ScriptedTerminalPeer.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

namespace jvztest {

ScriptedTerminalPeer::ScriptedTerminalPeer(QList<Step> steps, QObject* parent)
    : QObject(parent), m_steps(std::move(steps)), m_socket(new QTcpSocket(this)), m_waitTimer(new QTimer(this))
{
    m_waitTimer->setSingleShot(true);
    connect(m_waitTimer, &QTimer::timeout, this, [this] {
        ++m_next;
        runSteps();
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connected = true;
        // Frames are small; do not let the stack hold one back to merge it with the next.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        runSteps();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &ScriptedTerminalPeer::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ScriptedTerminalPeer::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The program closing the connection is a close, handled on its own.
        if (error == QAbstractSocket::RemoteHostClosedError)
            return;
        if (!m_connected)
            fail(QStringLiteral("cannot connect: %1").arg(m_socket->errorString()));
    });
}

ScriptedTerminalPeer::~ScriptedTerminalPeer() = default;

void ScriptedTerminalPeer::start(const QHostAddress& address, quint16 port, const QHostAddress& from)
{
    if (!address.isLoopback() || (!from.isNull() && !from.isLoopback())) {
        fail(QStringLiteral("refusing a non-loopback address %1").arg(address.toString()));
        return;
    }
    if (!from.isNull() && !m_socket->bind(from)) {
        fail(QStringLiteral("cannot bind to %1: %2").arg(from.toString(), m_socket->errorString()));
        return;
    }
    m_socket->connectToHost(address, port);
}

bool ScriptedTerminalPeer::waitFinished(int timeoutMs)
{
    if (!m_finished) {
        QEventLoop loop;
        QTimer bound;
        bound.setSingleShot(true);
        connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &ScriptedTerminalPeer::finished, &loop, &QEventLoop::quit);
        bound.start(timeoutMs);
        loop.exec();
        if (!m_finished)
            fail(QStringLiteral("timed out after %1 ms at %2 (received so far: %3)")
                     .arg(timeoutMs)
                     .arg(stepName(m_next), spacedHex(m_received)));
    }
    return succeeded();
}

QString ScriptedTerminalPeer::spacedHex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString ScriptedTerminalPeer::stepName(int index) const
{
    if (index >= m_steps.size())
        return QStringLiteral("the end of the script");
    const Step& s = m_steps.at(index);
    const QString n = QStringLiteral("step %1 ").arg(index + 1);
    switch (s.kind) {
    case Step::Kind::Send:
        return n + QStringLiteral("send [%1]").arg(spacedHex(s.bytes));
    case Step::Kind::Expect:
        return n + QStringLiteral("expect [%1]").arg(spacedHex(s.bytes));
    case Step::Kind::Wait:
        return n + QStringLiteral("wait %1 ms").arg(s.ms);
    case Step::Kind::Close:
        return n + QStringLiteral("close");
    case Step::Kind::ExpectClosed:
        return n + QStringLiteral("expect the program to close");
    }
    return n;
}

// Runs steps until one has to wait for the program or the clock.
void ScriptedTerminalPeer::runSteps()
{
    while (!m_finished && m_next < m_steps.size()) {
        const Step& step = m_steps.at(m_next);
        switch (step.kind) {
        case Step::Kind::Send:
            if (m_closed)
                return fail(stepName(m_next) + QStringLiteral(": the program already closed the connection"));
            m_socket->write(step.bytes);
            m_socket->flush();
            ++m_next;
            break;
        case Step::Kind::Expect:
            if (m_buffer.size() < step.bytes.size()) {
                if (m_closed)
                    return fail(stepName(m_next) + QStringLiteral(": closed after [%1]").arg(spacedHex(m_buffer)));
                return; // more bytes to come
            }
            if (m_buffer.left(step.bytes.size()) != step.bytes)
                return fail(stepName(m_next) +
                            QStringLiteral(": got [%1]").arg(spacedHex(m_buffer.left(step.bytes.size()))));
            m_buffer.remove(0, step.bytes.size());
            ++m_next;
            break;
        case Step::Kind::Wait:
            if (!m_waitTimer->isActive())
                m_waitTimer->start(step.ms);
            return;
        case Step::Kind::Close:
            m_socket->disconnectFromHost();
            ++m_next;
            break;
        case Step::Kind::ExpectClosed:
            if (!m_buffer.isEmpty())
                return fail(stepName(m_next) + QStringLiteral(": got [%1] instead").arg(spacedHex(m_buffer)));
            if (!m_closed)
                return;
            ++m_next;
            break;
        }
    }
    if (!m_finished && m_next >= m_steps.size())
        finish();
}

void ScriptedTerminalPeer::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    m_received += chunk;
    if (m_finished)
        return;
    m_buffer += chunk;
    if (!m_waitTimer->isActive())
        runSteps();
}

void ScriptedTerminalPeer::onDisconnected()
{
    m_closed = true;
    if (!m_finished && !m_waitTimer->isActive())
        runSteps();
}

void ScriptedTerminalPeer::fail(const QString& why)
{
    if (m_finished)
        return;
    m_failure = why;
    m_waitTimer->stop();
    // Finished before the abort, whose close signal must not overwrite the first mismatch.
    finish();
    m_socket->abort();
}

void ScriptedTerminalPeer::finish()
{
    if (m_finished)
        return;
    // Bytes the script never asked for are a mismatch too.
    if (m_failure.isEmpty() && !m_buffer.isEmpty())
        m_failure = QStringLiteral("unexpected bytes after the script: [%1]").arg(spacedHex(m_buffer));
    m_finished = true;
    emit finished(m_failure.isEmpty());
}

} // namespace jvztest
