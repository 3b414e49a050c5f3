#pragma once

#include "core/MBLanguages.h"
#include "session/PortCheck.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace jvz {

// The port installer window. Where a modem driver once had to be installed, the port is checked step by
// step (present, accessible, pppd usable, kernel PPP, not locked); each step goes to the main window's trace
// with a remedy when it fails, and the window lists each check with what it found. The contract stays: True
// when the port is ready, and the caller then runs the connect sequence once more.
class FrmConfigComModem : public QDialog {
    Q_OBJECT
public:
    explicit FrmConfigComModem(PortCheckSystem& system, QWidget* parent = nullptr);

    // Where trace lines go: the main window puts each line, ended by CR LF, in front of its trace.
    void setTrace(std::function<void(const QString&)> trace) { m_trace = std::move(trace); }

    void InitLanguage(const MBLanguages& language);
    // Shows the window modeless over the owner while the checks run; true when every check passed.
    bool InstallPort(const QString& port, QWidget* owner);
    // The same checks for the technician to read: the window stays, modal to the owner without a nested loop,
    // until it is closed. True when every check passed.
    bool CheckPort(const QString& port, QWidget* owner);
    void Form_Unload();

    bool closing() const { return m_closing; }
    // The failed step of the last run told in the program's language; empty when none failed.
    QString failureText() const { return m_failure; }

    void reject() override;

private:
    void showOver(QWidget* owner, Qt::WindowModality modality);
    // Runs the checks, tracing and listing each; stops at the first failure or when the window is closed.
    std::vector<PortCheckStep> runChecks(const QString& port);
    void showSteps(const QString& port, const std::vector<PortCheckStep>& steps);
    QString formText(const char* key, const char* fallback) const;
    void trace(const QString& line);
    void Timeout_Timer();

    PortCheckSystem& m_system;
    MBLanguages m_language;
    std::function<void(const QString&)> m_trace;
    QLabel* m_message;
    QTreeWidget* m_checks;
    QLabel* m_remedy;
    QPushButton* m_close;
    QTimer* m_timeout;
    QString m_failure;
    bool m_closing = false;
    bool m_unloading = false;
};

} // namespace jvz
