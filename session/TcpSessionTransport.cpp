#include "session/TcpSessionTransport.h"

#include "session/SessionLog.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace jvz {

namespace {

// IPv4 addresses read as such, also when the socket reports them mapped into IPv6.
QString addressText(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

TcpSessionTransport::TcpSessionTransport(int lingerMs, QObject* parent) : SessionTransport(parent), m_lingerMs(lingerMs)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpSessionTransport::onNewConnection);
}

TcpSessionTransport::~TcpSessionTransport()
{
    close();
}

bool TcpSessionTransport::listen(const QString& address, const QString& port)
{
    close();
    bool portOk = false;
    const uint portNumber = port.trimmed().toUInt(&portOk);
    const QHostAddress host(address.trimmed());
    if (!portOk || portNumber > 65535 || host.isNull()) {
        m_error = QStringLiteral("cannot listen on '%1' port '%2'").arg(address, port);
        return false;
    }
    if (!m_server.listen(host, static_cast<quint16>(portNumber))) {
        m_error = m_server.errorString();
        qCInfo(lcSession) << "listen failed:" << m_error;
        return false;
    }
    m_state = SocketStateNumber::Listening;
    return true;
}

void TcpSessionTransport::onNewConnection()
{
    bool requested = false;
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        // One terminal at a time: later callers are turned away.
        if (m_pending || m_socket) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_pending = socket;
        requested = true;
    }
    if (requested)
        emit connectionRequested();
}

bool TcpSessionTransport::accept()
{
    if (!m_pending)
        return false;
    release(m_socket);
    m_server.close();
    m_socket = m_pending;
    m_pending = nullptr;
    // A peer that sends without end never makes the program hold more than this at once.
    m_socket->setReadBufferSize(kReadBufferBytes);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpSessionTransport::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpSessionTransport::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpSessionTransport::onSocketError);
    m_state = SocketStateNumber::Connected;
    // Bytes that came before the call was taken would otherwise wait for the next chunk.
    if (m_socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &TcpSessionTransport::onReadyRead);
    return true;
}

void TcpSessionTransport::send(const QByteArray& bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(bytes);
    m_socket->flush();
}

void TcpSessionTransport::release(QPointer<QTcpSocket>& socket)
{
    if (!socket)
        return;
    QTcpSocket* s = socket;
    socket = nullptr;
    disconnect(s, nullptr, this, nullptr);
    s->flush();
    s->disconnectFromHost();
    if (s->state() == QAbstractSocket::UnconnectedState) {
        s->deleteLater();
        return;
    }
    // What was sent last (a refusal, the session end) still goes out before the socket goes.
    connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    QTimer::singleShot(m_lingerMs, s, [s] { s->abort(); });
}

void TcpSessionTransport::close()
{
    m_server.close();
    release(m_pending);
    release(m_socket);
    m_state = SocketStateNumber::Closed;
}

QString TcpSessionTransport::remoteHostAddress() const
{
    const QTcpSocket* s = m_socket ? m_socket.data() : m_pending.data();
    return s ? addressText(s->peerAddress()) : QString();
}

QString TcpSessionTransport::localAddress() const
{
    if (m_socket)
        return addressText(m_socket->localAddress());
    return m_server.isListening() ? addressText(m_server.serverAddress()) : QString();
}

void TcpSessionTransport::onReadyRead()
{
    if (!m_socket)
        return;
    const QByteArray chunk = m_socket->read(kReadBufferBytes);
    if (!chunk.isEmpty())
        emit dataArrived(chunk);
}

void TcpSessionTransport::onDisconnected()
{
    m_state = SocketStateNumber::ClosingByPeer;
    emit peerClosed();
}

void TcpSessionTransport::onSocketError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError)
        return; // the close itself follows as its own event
    m_state = SocketStateNumber::Error;
    m_error = m_socket ? m_socket->errorString() : QStringLiteral("socket error %1").arg(int(error));
    emit errorOccurred(m_error);
}

} // namespace jvz
