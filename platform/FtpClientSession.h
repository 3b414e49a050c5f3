#pragma once

#include "platform/FtpClient.h"
#include "platform/FtpClientReplies.h"

#include <QByteArrayList>
#include <QList>
#include <atomic>
#include <curl/curl.h>
#include <mutex>
#include <sys/socket.h>

class QFile;

namespace jvz {

class FileReplacement;

// The curl session: the easy handle and the multi handle that drives it, the sockets libcurl opens through
// us, and one call driven to its end under its bounds. The worker owns it; only cancel and breakOff() are for
// the calling thread.
struct FtpCurlSession {
    enum class Stage { Idle, Opening, Open };
    // The bound a call has on top of the stall bound and its total time (totalMs).
    enum class Bound { None, TransferFloor };

    FtpTimeouts timeouts;
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    Stage stage = Stage::Idle;
    QByteArray currentDirectory;

    FtpReplyReader replies;

    // Every address the login tried, so a silent reconnection to the server can be refused.
    QList<sockaddr_storage> serverEndpoints;
    bool sessionLost = false;
    // The sockets libcurl opened to the server (the control connection), worker only: none left after a call
    // means the connection is gone, whatever the call's result said.
    QList<curl_socket_t> controlSockets;
    // We broke off the last transfer ourselves (a local file failed, a cancel), and libcurl may have dropped
    // the control connection over it: the next call may log in again, and goes back to our directory first.
    bool mayReconnect = false;

    // Set from the calling thread; the worker ends the running call at its next look.
    std::atomic<bool> cancel{false};
    // The sockets libcurl opened through us and has not closed yet. Once a put's last bytes are handed to the
    // system, libcurl waits for the server's final reply inside one call, where the cancel flag is not looked
    // at; a cancel shuts these sockets down so that wait ends at once.
    std::mutex socketsLock;
    QList<curl_socket_t> sockets;

    // Per-call sinks and sources.
    FileReplacement* target = nullptr;
    qint64 targetMaxBytes = 0; // 0: no cap
    qint64 targetBytes = 0;
    QByteArray* listing = nullptr;
    bool tooLong = false; // the writer refused bytes past the call's cap
    qint64 totalMs = 0;   // the call's total time bound; 0: none
    QFile* source = nullptr;
    qint64 moved = 0;          // data bytes of the running call, either way
    qint64 expectedBytes = -1; // a put's size: once all is sent, only the stall bound waits for the reply

    ~FtpCurlSession() { release(); }

    void release();
    void breakOff();
    void prepare(const QByteArray& url);
    uint32_t perform(const QByteArrayList& quoteCommands = {}, Bound bound = Bound::None);

    static curl_socket_t openSocketCallback(void* user, curlsocktype purpose, curl_sockaddr* address);
    static int closeSocketCallback(void* user, curl_socket_t socket);
    static size_t writeCallback(char* data, size_t size, size_t count, void* user);
    static size_t readCallback(char* buffer, size_t size, size_t count, void* user);

private:
    curl_socket_t openSocket(curlsocktype purpose, curl_sockaddr* address);
    int closeSocket(curl_socket_t socket);
    CURLcode drive(Bound bound);
    CURLcode waitOutAccept();
};

} // namespace jvz
