#pragma once

// The page surfaces on QPainter: a QPrinter (a printer or a PDF file) and the preview window's pages.

#include "core/PageSurface.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <functional>

class QPrinter;

namespace jvz {

class PainterPageSurface : public PageSurface {
public:
    void setFont(const PrintFont& font) override;
    PrintFont font() const override { return m_font; }
    double lineHeightMm() const override;
    double textWidthMm(const QString& text) const override;
    void drawText(QPointF topLeftMm, const QString& text) override;
    void drawLine(QPointF fromMm, QPointF toMm) override;
    void drawImage(QRectF targetMm, const QImage& image) override;

protected:
    void startPainting(QPaintDevice& device, double dotsPerMm);

    QPainter m_painter;
    double m_dotsPerMm = 1;
    PrintFont m_font;
};

class PrinterPageSurface final : public PainterPageSurface {
public:
    explicit PrinterPageSurface(QPrinter& printer) : m_printer(printer) {}

    SurfaceKind kind() const override { return SurfaceKind::Printer; }
    bool begin(QSizeF previewPageMm) override;
    QSizeF pageSizeMm() const override;
    void newPage() override;
    void finish() override;
    void abort() override;

private:
    QPrinter& m_printer;
};

// Each page is a picture; they are kept for the preview window.
class PreviewPageSurface final : public PainterPageSurface {
public:
    static constexpr double kDotsPerMm = 96 / 25.4; // a screen's pixels

    SurfaceKind kind() const override { return SurfaceKind::Preview; }
    bool begin(QSizeF previewPageMm) override;
    QSizeF pageSizeMm() const override { return m_pageMm; }
    void newPage() override;
    void finish() override;
    void abort() override;

    const QList<QImage>& pages() const { return m_pages; }
    std::function<void()> finished; // the document is complete

private:
    void addPage();

    QSizeF m_pageMm;
    QList<QImage> m_pages;
};

} // namespace jvz
