#include "FrmWarningMsg.h"

#include "core/ui/GetAllFormLabel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace jvz {

FrmWarningMsg::FrmWarningMsg(std::function<bool()> isBatch, QWidget* parent)
    : QWidget(parent, Qt::Window), m_isBatch(std::move(isBatch))
{
    setObjectName(QStringLiteral("FrmWarningMsg"));
    setWindowTitle(QStringLiteral("Warning"));
    setAutoFillBackground(true);
    resize(420, 90);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    connect(m_timer1, &QTimer::timeout, this, &FrmWarningMsg::Timer1_Timer);
    connect(m_timer2, &QTimer::timeout, this, &FrmWarningMsg::Timer2_Timer);
}

void FrmWarningMsg::InitLanguage(const MBLanguages& curLang)
{
    m_language.Copy(curLang);
    GetAllFormLabel(m_language, *this);
}

void FrmWarningMsg::init(const MBLanguages& curLang, const QString& msg, int32_t flashingTime, int32_t displayingTime)
{
    InitLanguage(curLang);
    m_label1->setText(msg);
    m_timer1->stop();
    if (flashingTime >= 1)
        m_timer1->start(flashingTime);
    m_timer2->stop();
    if (displayingTime >= 1)
        m_timer2->start(displayingTime);
}

void FrmWarningMsg::frmUnload()
{
    close();
    if (m_isBatch && m_isBatch())
        return; // the main window is never shown in a batch run
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != this && w->windowTitle() == QLatin1String(kMainWindowTitle)) {
            w->show();
            w->raise();
            w->activateWindow();
            break;
        }
    }
}

QColor FrmWarningMsg::fromWindowsColor(uint32_t value)
{
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

void FrmWarningMsg::Timer1_Timer()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, fromWindowsColor(m_blink ? kBlinkOrange : kBlinkYellow));
    setPalette(p);
    m_blink = !m_blink;
}

void FrmWarningMsg::Timer2_Timer()
{
    close();
}

// An unloaded window neither blinks nor closes itself again.
void FrmWarningMsg::closeEvent(QCloseEvent* event)
{
    m_timer1->stop();
    m_timer2->stop();
    QWidget::closeEvent(event);
}

} // namespace jvz
