#include "CopyAnimation.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace jvz {

namespace {

// The scene is drawn in this box, centred in the place and only ever scaled down.
constexpr QSize kScene(272, 60);
constexpr QRectF kFromFolder(20, 22, 56, 34);
constexpr QRectF kToFolder(196, 22, 56, 34);
constexpr QSizeF kSheet(16, 20);
constexpr qreal kSheetRestTop = 18; // the sheet's top while it sits in a folder
constexpr qreal kArcHeight = 14;

void drawFolderBack(QPainter& p, const QRectF& body)
{
    p.setPen(QPen(QColor(0x8a, 0x64, 0x12), 1));
    p.setBrush(QColor(0xd9, 0xa4, 0x2e));
    p.drawRoundedRect(QRectF(body.left(), body.top() - 6, 22, 8), 2, 2); // the tab
    p.drawRect(body);
}

// The front flap hides the lower part of a sheet that goes in or comes out.
void drawFolderFront(QPainter& p, const QRectF& body)
{
    p.setPen(QPen(QColor(0x8a, 0x64, 0x12), 1));
    p.setBrush(QColor(0xf2, 0xc4, 0x4f));
    p.drawRect(QRectF(body.left(), body.top() + 8, body.width(), body.height() - 8));
}

void drawSheet(QPainter& p, const QPointF& topLeft)
{
    const QRectF sheet(topLeft, kSheet);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 1));
    for (qreal y = sheet.top() + 5; y < sheet.bottom() - 2; y += 4)
        p.drawLine(QPointF(sheet.left() + 3, y), QPointF(sheet.right() - 3, y));
}

} // namespace

CopyAnimation::CopyAnimation(QWidget* parent) : QLabel(parent), m_timer(new QTimer(this))
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(kScene);
    m_timer->setInterval(kFrameMs);
    connect(m_timer, &QTimer::timeout, this, &CopyAnimation::advance);
}

void CopyAnimation::startDrawn()
{
    m_frame = 0;
    m_timer->start();
    update();
}

void CopyAnimation::stopDrawn()
{
    m_timer->stop();
}

bool CopyAnimation::isDrawing() const
{
    return m_timer->isActive();
}

void CopyAnimation::advance()
{
    m_frame = (m_frame + 1) % kFramesPerTrip;
    update();
}

void CopyAnimation::paintEvent(QPaintEvent* event)
{
    if (movie()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = std::min({1.0, qreal(width()) / kScene.width(), qreal(height()) / kScene.height()});
    p.translate((width() - kScene.width() * scale) / 2, (height() - kScene.height() * scale) / 2);
    p.scale(scale, scale);

    drawFolderBack(p, kFromFolder);
    drawFolderBack(p, kToFolder);
    // The sheet leaves the first folder's middle and lands in the second's along an arc.
    const qreal t = qreal(m_frame) / kFramesPerTrip;
    const qreal fromX = kFromFolder.center().x() - kSheet.width() / 2;
    const qreal toX = kToFolder.center().x() - kSheet.width() / 2;
    drawSheet(p, QPointF(fromX + (toX - fromX) * t, kSheetRestTop - kArcHeight * std::sin(std::numbers::pi * t)));
    drawFolderFront(p, kFromFolder);
    drawFolderFront(p, kToFolder);
}

} // namespace jvz
