#include "session/ui/FrmConfigComModem.h"

#include "core/BatchErrorCode.h"
#include "core/ui/DialogParts.h"
#include "core/ui/GetAllFormLabel.h"
#include "platform/NestedWait.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace jvz {

namespace {

constexpr int kColumnCheck = 0;
constexpr int kColumnResult = 1;
constexpr int kColumnFound = 2;

// A text the technician may select and copy, with the keyboard as well.
QLabel* readableLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = namedControl<QLabel>(parent, name, text);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

FrmConfigComModem::FrmConfigComModem(PortCheckSystem& system, QWidget* parent) : QDialog(parent), m_system(system)
{
    setObjectName(QStringLiteral("FrmConfigComModem"));
    setWindowTitle(QStringLiteral("Configuring Null modem COM port"));
    m_message = readableLabel(this, "Message", QStringLiteral("Please wait..."));
    m_checks = namedControl<QTreeWidget>(this, "LST_Checks");
    m_checks->setColumnCount(3);
    m_checks->setHeaderLabels({QStringLiteral("Check"), QStringLiteral("Result"), QStringLiteral("Found")});
    m_checks->setRootIsDecorated(false);
    m_checks->setUniformRowHeights(true);
    m_checks->setSelectionMode(QAbstractItemView::SingleSelection);
    m_checks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_checks->header()->setSectionResizeMode(kColumnCheck, QHeaderView::ResizeToContents);
    m_checks->header()->setSectionResizeMode(kColumnResult, QHeaderView::ResizeToContents);
    m_checks->header()->setStretchLastSection(true);
    m_remedy = readableLabel(this, "LBL_Remedy", QString());
    m_remedy->hide();
    m_close = namedControl<QPushButton>(this, "CMD_Close", QStringLiteral("Close"));
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &FrmConfigComModem::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_checks, 1);
    layout->addWidget(m_remedy);
    layout->addLayout(buttons);
    setTabOrder(m_message, m_checks);
    setTabOrder(m_checks, m_remedy);
    setTabOrder(m_remedy, m_close);
    resize(600, 300);

    // Runs only while a wait is under way; the checks themselves do not wait.
    m_timeout = new QTimer(this);
    m_timeout->setObjectName(QStringLiteral("Timeout"));
    connect(m_timeout, &QTimer::timeout, this, &FrmConfigComModem::Timeout_Timer);
}

void FrmConfigComModem::InitLanguage(const MBLanguages& language)
{
    m_language.Copy(language);
    GetAllFormLabel(m_language, *this);
    // Screen readers name each control; the button says what its caption says.
    for (QWidget* w :
         {static_cast<QWidget*>(m_message), static_cast<QWidget*>(m_checks), static_cast<QWidget*>(m_remedy)}) {
        const QString text = m_language.GetFormLabel(QStringLiteral("ToolTipText") + w->objectName());
        if (!text.isEmpty())
            w->setAccessibleName(text);
    }
    m_close->setAccessibleName(m_close->text());
}

QString FrmConfigComModem::formText(const char* key, const char* fallback) const
{
    const QString text = m_language.GetFormLabel(QLatin1String(key));
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

void FrmConfigComModem::showOver(QWidget* owner, Qt::WindowModality modality)
{
    if (owner && !parentWidget())
        setParent(owner, windowFlags());
    if (windowModality() != modality) {
        // Qt takes a new modality only while the window is hidden.
        hide();
        setWindowModality(modality);
    }
    m_closing = false;
    m_unloading = false;
    m_failure.clear();
    m_checks->clear();
    m_remedy->clear();
    m_remedy->hide();
    show();
    raise();
    activateWindow();
}

std::vector<PortCheckStep> FrmConfigComModem::runChecks(const QString& port)
{
    m_message->setText(formText("MSG_Message1", "Checking the port ") + port + kCrLf +
                       formText("MSG_Message2", "Please wait...") + QLatin1Char(' ') + formText("MSG_Message3", ""));
    std::vector<PortCheckStep> shown;
    for (const PortCheckStep& s : runPortChecks(port, m_system)) {
        serveEvents();
        if (m_closing)
            break;
        for (const QString& line : portCheckStepLines(s, m_language))
            trace(line);
        auto* row = new QTreeWidgetItem(m_checks);
        row->setText(kColumnCheck, portCheckName(s.check, m_language));
        row->setText(kColumnResult, portCheckResult(s, m_language));
        row->setText(kColumnFound, portCheckFinding(s, m_language));
        shown.push_back(s);
        if (!s.passed)
            m_failure = portCheckFailureText(s, m_language);
    }
    return shown;
}

void FrmConfigComModem::showSteps(const QString& port, const std::vector<PortCheckStep>& steps)
{
    const bool ready = std::all_of(steps.begin(), steps.end(), [](const PortCheckStep& s) { return s.passed; });
    m_message->setText(formText("MSG_Message1", "Checking the port ") + port + kCrLf +
                       (ready
                            ? formText("MSG_AllChecksPassed", "Every check passed: the port can carry the link.")
                            : formText("MSG_ERR_DuringModemComConfig", "The port could not be set up for the link.")));
    // Wide enough for what was found, so no finding is cut short.
    int needed = 2 * m_checks->frameWidth() + layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const QFontMetrics metrics(m_checks->font());
    for (int c = 0; c < m_checks->columnCount(); ++c) {
        int column = m_checks->header()->sectionSizeHint(c);
        for (int i = 0; i < m_checks->topLevelItemCount(); ++i)
            column = std::max(column, metrics.horizontalAdvance(m_checks->topLevelItem(i)->text(c)));
        needed += column + 16; // the cell's margins
    }
    if (needed > width())
        resize(needed, height());
    if (!ready) {
        m_remedy->setText(formText("MSG_WhatToDo", "What to do: ") + portCheckRemedy(steps.back().check, m_language));
        m_remedy->show();
        m_checks->setCurrentItem(m_checks->topLevelItem(m_checks->topLevelItemCount() - 1));
    }
}

bool FrmConfigComModem::InstallPort(const QString& port, QWidget* owner)
{
    showOver(owner, Qt::NonModal);
    const std::vector<PortCheckStep> steps = runChecks(port);
    if (m_closing)
        return false;
    if (!steps.back().passed) {
        m_message->setText(formText("MSG_ERR_DuringModemComConfig", "The port could not be set up for the link."));
        serveEvents();
        Form_Unload();
        return false;
    }
    trace(QString());
    Form_Unload();
    return true;
}

bool FrmConfigComModem::CheckPort(const QString& port, QWidget* owner)
{
    showOver(owner, Qt::WindowModal);
    const std::vector<PortCheckStep> steps = runChecks(port);
    if (m_closing)
        return false;
    showSteps(port, steps);
    m_close->setFocus();
    if (!steps.back().passed)
        return false;
    trace(QString());
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

// Escape, the Close button and the title bar's close all come here.
void FrmConfigComModem::reject()
{
    Form_Unload();
    QDialog::reject();
}

} // namespace jvz
