#include "session/ui/FrmConfigComModem.h"

#include "core/BatchErrorCode.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/NestedWait.h"
#include "session/PortCheck.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace jvz {

FrmConfigComModem::FrmConfigComModem(PortCheckSystem& system, QWidget* parent)
    : QWidget(parent, Qt::Window), m_system(system)
{
    setObjectName(QStringLiteral("FrmConfigComModem"));
    setWindowTitle(QStringLiteral("Configuring Null modem COM port"));
    m_message = new QLabel(QStringLiteral("Please wait..."), this);
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    // Runs only while a wait is under way; the checks themselves do not wait.
    m_timeout = new QTimer(this);
    m_timeout->setObjectName(QStringLiteral("Timeout"));
    connect(m_timeout, &QTimer::timeout, this, &FrmConfigComModem::Timeout_Timer);
}

void FrmConfigComModem::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
}

QString FrmConfigComModem::formText(const char* key, const char* fallback) const
{
    const QString text = m_language.GetFormLabel(QLatin1String(key));
    return text.isEmpty() ? QLatin1String(fallback) : text;
}

QString FrmConfigComModem::generalText(const QString& key, const char* fallback) const
{
    const QString text = m_language.GetGeneralLabel(key);
    return text.isEmpty() ? QLatin1String(fallback) : text;
}

void FrmConfigComModem::trace(const QString& line)
{
    if (m_trace)
        m_trace(line);
}

void FrmConfigComModem::Timeout_Timer()
{
    m_timeout->stop();
}

bool FrmConfigComModem::InstallPort(const QString& port, QWidget* owner)
{
    m_message->setText(formText("MSG_Message1", "Checking the port ") + port + kCrLf +
                       formText("MSG_Message2", "Please wait...") + QLatin1Char(' ') + formText("MSG_Message3", ""));
    if (owner && !parentWidget())
        setParent(owner, Qt::Window);
    m_closing = false;
    m_unloading = false;
    show();
    raise();

    const std::vector<PortCheckStep> steps = runPortChecks(port, m_system);
    for (const PortCheckStep& s : steps) {
        serveEvents();
        if (m_closing)
            return false;
        const QStringList lines = portCheckStepLines(s, m_language);
        for (const QString& line : lines)
            trace(line);
        if (s.passed)
            continue;
        m_message->setText(lines.last()); // the installer's failure text
        serveEvents();
        Form_Unload();
        return false;
    }
    trace(QString());
    Form_Unload();
    return true;
}

void FrmConfigComModem::Form_Unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    const QString closingText = formText("MSG_Closing", "Closing...");
    trace(closingText);
    m_message->setText(closingText);
    m_closing = true;
    m_timeout->stop();
    serveEvents();
    hide();
}

void FrmConfigComModem::closeEvent(QCloseEvent* event)
{
    // The user closing the window ends the checks at the next step.
    Form_Unload();
    event->accept();
}

} // namespace jvz
