#include "FrmComment.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace jvz {

FrmComment::FrmComment(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmComment"));
    setWindowTitle(QStringLiteral("Info"));
    resize(360, 60);
    m_label1 = new QLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setWordWrap(true);
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text1->hide();
    // Has no interval of its own: the window is unloaded by its users, never by itself.
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, &FrmComment::Timer1_Timer);
}

void FrmComment::init(const QString& comment, const std::optional<QString>& caption)
{
    AffichageTermine = false;
    m_label1->setGeometry(rect());
    m_text1->setGeometry(rect());
    m_label1->setText(comment);
    m_text1->setText(comment);
    m_label1->show();
    m_text1->hide();
    if (caption)
        setWindowTitle(*caption);
}

void FrmComment::NewComment(const QString& text)
{
    m_label1->setText(text);
    repaint();
}

QString FrmComment::GetComment() const
{
    return m_label1->text();
}

void FrmComment::closeEvent(QCloseEvent* event)
{
    AffichageTermine = true;
    QWidget::closeEvent(event);
}

void FrmComment::resizeEvent(QResizeEvent* event)
{
    m_label1->setGeometry(rect());
    m_text1->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void FrmComment::Timer1_Timer()
{
    close();
}

} // namespace jvz
