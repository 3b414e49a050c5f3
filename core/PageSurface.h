#pragma once

// What the page printer draws on: a printer (or PDF file), the preview window's pages, or a recording in tests.
// Coordinates are millimetres from the top-left corner of the sheet.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace jvz {

enum class SurfaceKind {
    Printer, // the page size is the device's; pages end with newPage
    Preview, // pages of the preview window: the page printer gives their size
};

struct PrintFont {
    QString name = QStringLiteral("Arial");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const PrintFont&) const = default;
};

class PageSurface {
public:
    virtual ~PageSurface() = default;

    virtual SurfaceKind kind() const = 0;
    // Starts the document; a preview is told its page size (mm). False when the device cannot be used.
    virtual bool begin(QSizeF previewPageMm) = 0;
    virtual QSizeF pageSizeMm() const = 0;

    virtual void setFont(const PrintFont& font) = 0;
    virtual PrintFont font() const = 0;
    // Height of one line of text in the current font (mm).
    virtual double lineHeightMm() const = 0;
    // Width of the text in the current font (mm).
    virtual double textWidthMm(const QString& text) const = 0;

    // Text whose line cell starts at topLeft (the top of the line, not the baseline).
    virtual void drawText(QPointF topLeftMm, const QString& text) = 0;
    virtual void drawLine(QPointF fromMm, QPointF toMm) = 0;
    virtual void drawImage(QRectF targetMm, const QImage& image) = 0;

    virtual void newPage() = 0;
    // Ends the document and hands it over (printer job, finished preview).
    virtual void finish() = 0;
    // Discards the document.
    virtual void abort() = 0;
};

} // namespace jvz
