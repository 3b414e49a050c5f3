#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace jvztest {

// Plays the terminal's side of a session over loopback: connects to the program's session socket and runs a
// list of steps, stopping at the first mismatch. The program takes each received chunk as one frame, so a
// script sends a frame only after the program's expected reply (or after a Wait step), and replies are read
// by their exact length.
class ScriptedTerminalPeer : public QObject {
    Q_OBJECT
public:
    struct Step {
        enum class Kind {
            Send,         // write these bytes
            Expect,       // read exactly these bytes (as many as given) and compare
            Wait,         // pause for the given milliseconds
            Close,        // close our end
            ExpectClosed, // the program closes the connection, with no further bytes
        };
        Kind kind;
        QByteArray bytes;
        int ms = 0;

        static Step send(const QByteArray& bytes) { return {Kind::Send, bytes, 0}; }
        static Step expect(const QByteArray& bytes) { return {Kind::Expect, bytes, 0}; }
        static Step wait(int ms) { return {Kind::Wait, {}, ms}; }
        static Step close() { return {Kind::Close, {}, 0}; }
        static Step expectClosed() { return {Kind::ExpectClosed, {}, 0}; }
    };

    explicit ScriptedTerminalPeer(QList<Step> steps, QObject* parent = nullptr);
    ~ScriptedTerminalPeer() override;

    // Connects and starts the script; only loopback addresses are accepted. from: the local address to
    // call from (a terminal has an address of its own), any when null.
    void start(const QHostAddress& address, quint16 port, const QHostAddress& from = QHostAddress());
    // Runs the event loop until the script ends or the bound passes. True when every step passed.
    bool waitFinished(int timeoutMs);

    bool isFinished() const { return m_finished; }
    bool succeeded() const { return m_finished && m_failure.isEmpty(); }
    // The first mismatch, with the step number; empty when none.
    QString failure() const { return m_failure; }
    // Every byte the program sent, in order.
    QByteArray received() const { return m_received; }

    // "10 01 4D" style, for failure texts.
    static QString spacedHex(const QByteArray& bytes);

signals:
    void finished(bool ok);

private:
    void runSteps();
    void onReadyRead();
    void onDisconnected();
    void fail(const QString& why);
    void finish();
    QString stepName(int index) const;

    QList<Step> m_steps;
    int m_next = 0;
    QTcpSocket* m_socket = nullptr;
    QTimer* m_waitTimer = nullptr;
    QByteArray m_buffer;   // received and not yet matched
    QByteArray m_received; // everything received
    bool m_connected = false;
    bool m_closed = false;
    bool m_finished = false;
    QString m_failure;
};

} // namespace jvztest
