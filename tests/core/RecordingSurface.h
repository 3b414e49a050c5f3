#pragma once

// A page surface that keeps what is drawn, page by page. A line of text is half its font size in millimetres
// high and each character a quarter of it wide, so layouts come out in round numbers.

#include "core/PageSurface.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace jvztest {

class RecordingSurface : public jvz::PageSurface {
public:
    struct Op {
        enum Kind { Text, Line, Image } kind;
        int page;
        QPointF from; // the text's top-left, the line's start, the image's corner
        QPointF to;   // the line's end, the image's far corner
        QString text;
        jvz::PrintFont font;
    };

    explicit RecordingSurface(jvz::SurfaceKind kind = jvz::SurfaceKind::Printer, QSizeF page = {200, 300})
        : m_kind(kind), m_page(page)
    {
    }

    jvz::SurfaceKind kind() const override { return m_kind; }
    bool begin(QSizeF previewPageMm) override
    {
        ++begins;
        if (m_kind == jvz::SurfaceKind::Preview)
            m_page = previewPageMm;
        return beginSucceeds;
    }
    QSizeF pageSizeMm() const override { return m_page; }
    void setFont(const jvz::PrintFont& font) override { m_font = font; }
    jvz::PrintFont font() const override { return m_font; }
    double lineHeightMm() const override { return m_font.size / 2; }
    double textWidthMm(const QString& text) const override { return double(text.size()) * m_font.size / 4; }
    void drawText(QPointF at, const QString& text) override { ops.append({Op::Text, pages, at, at, text, m_font}); }
    void drawLine(QPointF from, QPointF to) override { ops.append({Op::Line, pages, from, to, {}, m_font}); }
    void drawImage(QRectF target, const QImage&) override
    {
        ops.append({Op::Image, pages, target.topLeft(), target.bottomRight(), {}, m_font});
    }
    void newPage() override { ++pages; }
    void finish() override { ++finishes; }
    void abort() override { ++aborts; }

    // The texts drawn on a page (1-based), in order.
    QStringList textsOn(int page) const
    {
        QStringList out;
        for (const Op& op : ops) {
            if (op.kind == Op::Text && op.page == page)
                out << op.text;
        }
        return out;
    }
    const Op* findText(const QString& text) const
    {
        for (const Op& op : ops) {
            if (op.kind == Op::Text && op.text == text)
                return &op;
        }
        return nullptr;
    }

    QList<Op> ops;
    int pages = 1;
    int begins = 0;
    int finishes = 0;
    int aborts = 0;
    bool beginSucceeds = true;

private:
    jvz::SurfaceKind m_kind;
    QSizeF m_page;
    jvz::PrintFont m_font;
};

} // namespace jvztest
