#pragma once

#include "core/MBLanguages.h"

#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace jvz {

class PortCheckSystem;

// The port installer window. Where a modem driver once had to be installed, the port is checked step by
// step (present, accessible, pppd usable, kernel PPP, not locked); each step goes to the main window's trace
// with a remedy when it fails. The contract stays: True when the port is ready, and the caller then runs
// the connect sequence once more.
class FrmConfigComModem : public QWidget {
    Q_OBJECT
public:
    explicit FrmConfigComModem(PortCheckSystem& system, QWidget* parent = nullptr);

    // Where trace lines go: the main window puts each line, ended by CR LF, in front of its trace.
    void setTrace(std::function<void(const QString&)> trace) { m_trace = std::move(trace); }

    void InitLanguage(const MBLanguages& language);
    // Shows the window modeless over the owner while the checks run; true when every check passed.
    bool InstallPort(const QString& port, QWidget* owner);
    void Form_Unload();

    bool closing() const { return m_closing; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString formText(const char* key, const char* fallback) const;
    QString generalText(const QString& key, const char* fallback) const;
    void trace(const QString& line);
    void Timeout_Timer();

    PortCheckSystem& m_system;
    MBLanguages m_language;
    std::function<void(const QString&)> m_trace;
    QLabel* m_message;
    QTimer* m_timeout;
    bool m_closing = false;
    bool m_unloading = false;
};

} // namespace jvz
