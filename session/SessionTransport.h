#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>

namespace jvz {

// State numbers of the session socket, as the state texts and the close decisions number them.
enum class SocketStateNumber : int16_t {
    Closed = 0,
    Open = 1,
    Listening = 2,
    ConnectionPending = 3,
    ResolvingHost = 4,
    HostResolved = 5,
    Connecting = 6,
    Connected = 7,
    ClosingByPeer = 8,
    Error = 9,
};

// The socket on which the terminal calls the program: it listens, accepts one call, sends, and reports each
// received chunk whole (one chunk is one frame), the peer's close and errors. A peer's close is a close,
// never an error.
class SessionTransport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Binds and listens, address and port as the settings write them ("0.0.0.0", "6000"). False with
    // errorString() when they cannot be used.
    virtual bool listen(const QString& address, const QString& port) = 0;
    // Takes the waiting call: any earlier connection is closed and the listening stops.
    virtual bool accept() = 0;
    virtual void send(const QByteArray& bytes) = 0;
    // Closes the connection (after what was sent has gone out) and the listening; emits nothing.
    virtual void close() = 0;

    virtual SocketStateNumber state() const = 0;
    // The calling terminal's address (also before the call is accepted), empty when none.
    virtual QString remoteHostAddress() const = 0;
    // This side's address of the connection, else of the listening.
    virtual QString localAddress() const = 0;
    virtual QString errorString() const = 0;

signals:
    void connectionRequested();
    void dataArrived(const QByteArray& chunk);
    void peerClosed();
    void errorOccurred(const QString& description);
};

} // namespace jvz
