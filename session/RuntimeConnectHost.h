#pragma once

// The connect sequence over the session runtime and the window it drives.

#include "session/ConnectSequence.h"

#include <QString>
#include <functional>

namespace jvz {

struct AppSettings;
class SessionRuntime;
class SessionWindow;

// What the sequence needs of the main window beyond what the session already reaches.
struct ConnectWindowHooks {
    std::function<void()> clearTrace;
    std::function<QString()> entryName;     // Combo_DefaultConnection
    std::function<QString()> listenAddress; // TXT_IP (the session's own reading of it when not given)
    std::function<QString()> listenPort;    // TXT_Port
    std::function<void(bool)> setBusyCursor;
    // The USB selection window, modal; empty when cancelled.
    std::function<QString(int count, const QString& list, const QString& current)> selectUsbPort;
    // The port installer window; true when the port is ready, else failure tells why.
    std::function<bool(const QString& port, QString& failure)> installPort;
};

class RuntimeConnectHost : public ConnectHost {
public:
    RuntimeConnectHost(SessionWindow& window, SessionRuntime& runtime, ConnectWindowHooks parts,
                       const AppSettings& settings);

    void setTerminalFolder(const QString& folder) override;
    void clearTrace() override;
    void trace(const QString& line) override;
    void setStatus(const QString& text) override;
    void progressComment(const QString& text) override;
    void reportConnectionState(ConnectionState state) override;
    void setBusyCursor(bool busy) override;
    QString entryName() const override;
    QString listenAddressText() const override;
    QString listenPortText() const override;
    void showWarning(const QString& text) override;
    void closeWarning() override;
    QString selectUsbPort(int count, const QString& portList, const QString& current) override;
    bool installPort(const QString& port, QString& failure) override;
    void resetSession() override;
    void setSocketInUse(bool inUse) override;
    void setLastSocketState(int16_t state) override;
    bool listen(const QString& address, quint16 port, QString& error) override;
    void setLinkUp(bool up) override;
    void armFirstAnswerTimer() override;
    void afterConnectCommands() override;
    void closeLink() override;

private:
    SessionWindow& m_window;
    SessionRuntime& m_runtime;
    ConnectWindowHooks m_parts;
    const AppSettings& m_settings;
};

} // namespace jvz
