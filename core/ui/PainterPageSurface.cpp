#include "core/ui/PainterPageSurface.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPrinter>

namespace jvz {

namespace {

constexpr double kLineWidthMm = 0.2;

} // namespace

void PainterPageSurface::startPainting(QPaintDevice& device, double dotsPerMm)
{
    m_dotsPerMm = dotsPerMm;
    m_painter.begin(&device);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.setPen(QPen(Qt::black, kLineWidthMm * m_dotsPerMm));
    setFont(m_font);
}

void PainterPageSurface::setFont(const PrintFont& font)
{
    m_font = font;
    QFont f(font.name);
    f.setPointSizeF(font.size > 0 ? font.size : 1);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    if (m_painter.isActive())
        m_painter.setFont(f);
}

double PainterPageSurface::lineHeightMm() const
{
    if (!m_painter.isActive())
        return m_font.size * 25.4 / 72;
    return QFontMetricsF(m_painter.font(), m_painter.device()).height() / m_dotsPerMm;
}

double PainterPageSurface::textWidthMm(const QString& text) const
{
    if (!m_painter.isActive())
        return double(text.size()) * m_font.size * 0.6 * 25.4 / 72; // a fixed-pitch estimate
    return QFontMetricsF(m_painter.font(), m_painter.device()).horizontalAdvance(text) / m_dotsPerMm;
}

void PainterPageSurface::drawText(QPointF topLeftMm, const QString& text)
{
    if (!m_painter.isActive() || text.isEmpty())
        return;
    const QFontMetricsF metrics(m_painter.font(), m_painter.device());
    m_painter.drawText(QPointF(topLeftMm.x() * m_dotsPerMm, topLeftMm.y() * m_dotsPerMm + metrics.ascent()), text);
}

void PainterPageSurface::drawLine(QPointF fromMm, QPointF toMm)
{
    if (m_painter.isActive())
        m_painter.drawLine(fromMm * m_dotsPerMm, toMm * m_dotsPerMm);
}

void PainterPageSurface::drawImage(QRectF targetMm, const QImage& image)
{
    if (m_painter.isActive())
        m_painter.drawImage(QRectF(targetMm.topLeft() * m_dotsPerMm, targetMm.size() * m_dotsPerMm), image);
}

bool PrinterPageSurface::begin(QSizeF)
{
    // The page printer measures from the sheet's corner, not from the printable area.
    m_printer.setFullPage(true);
    QPaintDevice& device = m_printer;
    startPainting(device, m_printer.resolution() / 25.4);
    return m_painter.isActive();
}

QSizeF PrinterPageSurface::pageSizeMm() const
{
    return m_printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
}

void PrinterPageSurface::newPage()
{
    m_printer.newPage();
}

void PrinterPageSurface::finish()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PrinterPageSurface::abort()
{
    m_printer.abort();
    if (m_painter.isActive())
        m_painter.end();
}

bool PreviewPageSurface::begin(QSizeF previewPageMm)
{
    if (m_painter.isActive())
        m_painter.end();
    m_pageMm = previewPageMm;
    m_pages.clear();
    addPage();
    return m_painter.isActive();
}

void PreviewPageSurface::addPage()
{
    QImage page((m_pageMm * kDotsPerMm).toSize(), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(kDotsPerMm * 1000));
    page.setDotsPerMeterY(qRound(kDotsPerMm * 1000));
    page.fill(Qt::white);
    m_pages.append(page);
    startPainting(m_pages.last(), kDotsPerMm);
}

void PreviewPageSurface::newPage()
{
    m_painter.end();
    addPage();
}

void PreviewPageSurface::finish()
{
    if (m_painter.isActive())
        m_painter.end();
    if (finished)
        finished();
}

void PreviewPageSurface::abort()
{
    if (m_painter.isActive())
        m_painter.end();
    m_pages.clear();
}

} // namespace jvz
