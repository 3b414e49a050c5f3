#pragma once

#include "core/RuntimeTimings.h"
#include "session/SessionTransport.h"

#include <QAbstractSocket>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

namespace jvz {

// The session socket on QTcpServer / QTcpSocket, on the GUI thread.
class TcpSessionTransport final : public SessionTransport {
    Q_OBJECT
public:
    // The most one chunk holds; far above the longest frame, so a real frame is never cut.
    static constexpr qint64 kReadBufferBytes = 64 * 1024;

    // lingerMs: how long a closed socket may still send what is left before it is cut.
    explicit TcpSessionTransport(int lingerMs = RuntimeTimings{}.socketLingerMs, QObject* parent = nullptr);
    ~TcpSessionTransport() override;

    bool listen(const QString& address, const QString& port) override;
    bool accept() override;
    void send(const QByteArray& bytes) override;
    void close() override;
    SocketStateNumber state() const override { return m_state; }
    QString remoteHostAddress() const override;
    QString localAddress() const override;
    QString errorString() const override { return m_error; }

    // The port actually listened on (useful when 0 asked for any free port).
    quint16 listeningPort() const { return m_server.serverPort(); }

private:
    void onNewConnection();
    void onReadyRead();
    void onDisconnected();
    void onSocketError(QAbstractSocket::SocketError error);
    void release(QPointer<QTcpSocket>& socket);

    QTcpServer m_server;
    QPointer<QTcpSocket> m_pending; // a call not yet accepted
    QPointer<QTcpSocket> m_socket;  // the accepted call
    SocketStateNumber m_state = SocketStateNumber::Closed;
    QString m_error;
    int m_lingerMs; // a closed socket whose last bytes the peer never takes is dropped after this time
};

} // namespace jvz
