#include "core/MbPrint.h"

#include <QLocale>

namespace jvz {

namespace {

// An A4 sheet in twips, as the preview lays it out.
constexpr double kSheetShortTwips = 11909;
constexpr double kSheetLongTwips = 16834;
constexpr double kBandMm = 10;

} // namespace

double MbPrint::conv(double v) const
{
    return v / m_factor * ViewZoom / 100.0;
}

bool MbPrint::StartDoc(PageSurface& device, int orientation)
{
    m_source = &device;
    m_headerPending = true;
    m_breakPending = false;
    m_savedFont = PrintFont{};
    if (!PrepareOutput(orientation)) {
        m_source = nullptr;
        return false;
    }
    m_page = 1;
    m_band = conv(kBandMm);
    m_bottomLimit = m_pageHeight - m_bottom - m_top - m_band;
    m_rightLimit = m_pageWidth - m_right - m_left - m_band;
    m_headerPos = -m_top + m_headerMargin;
    m_footerPos = m_pageHeight - m_top - m_footerMargin - m_band;
    m_x = 0;
    m_y = 0;
    return true;
}

bool MbPrint::PrepareOutput(int orientation)
{
    if (ViewZoom == 0)
        ViewZoom = 100;
    if (m_source->kind() == SurfaceKind::Printer) {
        m_factor = 1.0;
        if (!m_source->begin(QSizeF()))
            return false;
        m_top = TopMargin;
        m_left = LeftMargin;
        m_right = RightMargin;
        m_bottom = BottomMargin;
        m_headerMargin = HeaderMargin;
        m_footerMargin = FooterMargin;
    } else {
        m_factor = kPreviewFactor;
        const bool landscape = orientation == 2;
        const double widthTwips = landscape ? kSheetLongTwips : kSheetShortTwips;
        const double heightTwips = landscape ? kSheetShortTwips : kSheetLongTwips;
        const QSizeF page(conv(widthTwips / kTwipsPerMm), conv(heightTwips / kTwipsPerMm));
        if (!m_source->begin(page))
            return false;
        m_top = conv(TopMargin);
        m_left = conv(LeftMargin);
        m_right = conv(RightMargin);
        m_bottom = conv(BottomMargin);
        m_headerMargin = conv(HeaderMargin);
        m_footerMargin = conv(FooterMargin);
    }
    const QSizeF size = m_source->pageSizeMm();
    m_pageWidth = size.width();
    m_pageHeight = size.height();
    return true;
}

void MbPrint::SetFont(std::optional<QString> name, std::optional<double> size, std::optional<bool> bold,
                      std::optional<bool> italic, std::optional<bool> underline)
{
    if (!m_source)
        return;
    PrintFont f = m_source->font();
    if (name)
        f.name = *name;
    if (size)
        f.size = conv(*size);
    if (bold)
        f.bold = *bold;
    if (italic)
        f.italic = *italic;
    if (underline)
        f.underline = *underline;
    m_source->setFont(f);
}

// A page break waits until something is drawn on the new page, so a document never ends on an empty page.
void MbPrint::beginOutput()
{
    if (m_breakPending) {
        m_source->newPage();
        ++m_page;
        m_breakPending = false;
        m_x = 0;
        m_y = 0;
    }
    if (m_headerPending) {
        m_headerPending = false;
        PrintHeader();
    }
}

void MbPrint::PrintLine(float x, const QString& text, int16_t skipLines)
{
    if (!m_source)
        return;
    beginOutput();
    m_x = conv(x);
    // A line taller than the whole body is printed where it is rather than opening empty pages.
    if (m_y > 0 && m_y + m_source->lineHeightMm() > m_bottomLimit) {
        PrintFooter(false);
        beginOutput();
        m_x = conv(x); // the line keeps its column on the new page
    }
    drawAt(m_x, m_y, text);
    for (int i = 0; i < skipLines && !m_breakPending; ++i) {
        m_y += m_source->lineHeightMm();
        m_x = 0;
        if (m_y + m_source->lineHeightMm() > m_bottomLimit)
            PrintFooter(false);
    }
}

void MbPrint::PrintWrapped(float x, const QString& text, int16_t skipLines)
{
    if (!m_source)
        return;
    beginOutput(); // the font and the page are the ones the lines go on
    const double width = m_pageWidth - m_right - m_left - conv(x);
    const auto fits = [&](qsizetype from, qsizetype length) {
        return m_source->textWidthMm(text.mid(from, length)) <= width;
    };
    qsizetype from = 0;
    do {
        const qsizetype rest = text.size() - from;
        qsizetype length = rest;
        if (!fits(from, rest)) {
            // The longest piece that fits, at least one character so that every line moves on.
            qsizetype low = 1;
            qsizetype high = rest - 1;
            while (low < high) {
                const qsizetype mid = (low + high + 1) / 2;
                if (fits(from, mid))
                    low = mid;
                else
                    high = mid - 1;
            }
            length = low;
            for (qsizetype i = length - 1; i > 0; --i) {
                const QChar c = text.at(from + i);
                if (c == u'/' || c == u' ') {
                    length = i + 1;
                    break;
                }
            }
        }
        const bool last = from + length >= text.size();
        PrintLine(x, text.mid(from, length), last ? skipLines : int16_t(1));
        from += length;
    } while (from < text.size());
}

void MbPrint::SkipPage(float height)
{
    // At the top of a page (or with the page already ended) the block starts where it would anyway.
    if (!m_source || m_breakPending || m_y <= 0)
        return;
    if (m_y + conv(height) > m_bottomLimit)
        PrintFooter(false);
}

void MbPrint::PrintHeader()
{
    const PrintFont saved = m_source->font();
    SetFont(QStringLiteral("Arial"), 18, true, false, false);
    m_x = 0;
    m_y = m_headerPos;
    drawAt(0, m_y, Title);
    m_y += m_source->lineHeightMm();
    const double rule = m_y;
    lineDevice(0, rule, m_rightLimit, rule);
    m_y = rule + 0.5 + 1;
    m_x = 0;
    if (!SubjectIcon.isNull()) {
        // Its natural size reduced to two thirds.
        const double dpmX = SubjectIcon.dotsPerMeterX() > 0 ? SubjectIcon.dotsPerMeterX() : 3780;
        const double dpmY = SubjectIcon.dotsPerMeterY() > 0 ? SubjectIcon.dotsPerMeterY() : 3780;
        const double w = SubjectIcon.width() / dpmX * 1000.0 * 2.0 / 3.0;
        const double h = SubjectIcon.height() / dpmY * 1000.0 * 2.0 / 3.0;
        m_source->drawImage(QRectF(m_x + m_left, m_y + m_top, w, h), SubjectIcon);
        m_x = w;
    }
    m_y -= 1;
    SetFont(QStringLiteral("Arial"), 18, false, true, false);
    drawAt(m_x, m_y, Subject);
    m_y += m_source->lineHeightMm();
    m_source->setFont(saved);
    if (FrameVisible)
        DrawPageFrame();
    m_x = 0;
    m_y = 0;
}

void MbPrint::PrintFooter(bool last)
{
    const PrintFont saved = m_source->font();
    lineDevice(0, m_footerPos, m_rightLimit, m_footerPos);
    m_y = m_footerPos + 0.5;
    m_x = 0;
    SetFont(QStringLiteral("Arial"), 12, false, true, false);
    drawAt(0, m_y, Footer);
    drawAt(m_rightLimit / 2, m_y, QLocale().toString(now(), QLocale::ShortFormat));
    drawAt(m_rightLimit * 9 / 10, m_y, PageLabel + QStringLiteral("  ") + QString::number(m_page));
    m_y += m_source->lineHeightMm();
    m_source->setFont(saved);
    if (!last) {
        m_breakPending = true;
        m_headerPending = true;
    }
}

void MbPrint::DrawHLine(float x1, float x2)
{
    if (!m_source)
        return;
    beginOutput();
    lineDevice(conv(x1), m_y, conv(x2), m_y);
}

void MbPrint::DrawBox(float x1, float y1, float x2, float y2)
{
    if (!m_source)
        return;
    beginOutput();
    drawBoxDevice(conv(x1), conv(y1), conv(x2), conv(y2));
}

void MbPrint::drawBoxDevice(double x1, double y1, double x2, double y2)
{
    lineDevice(x1, y1, x2, y1);
    lineDevice(x1, y2, x2, y2);
    lineDevice(x1, y1, x1, y2);
    lineDevice(x2, y1, x2, y2);
}

void MbPrint::DrawPageFrame()
{
    drawBoxDevice(0, 0, m_rightLimit, m_bottomLimit);
}

void MbPrint::PrintMargins()
{
    if (!m_source)
        return;
    beginOutput();
    m_x = 0;
    m_y = 0;
    drawBoxDevice(0, 0, m_rightLimit, m_bottomLimit);
    EndDoc();
}

void MbPrint::EndDoc(EndDocMode mode)
{
    if (!m_source)
        return;
    if (mode == EndDocMode::Cancel) {
        m_source->abort();
    } else {
        // A page ended by a break already has its footer.
        if (!m_breakPending)
            PrintFooter(true);
        m_source->finish();
    }
    m_source = nullptr;
}

void MbPrint::drawAt(double x, double y, const QString& text)
{
    m_source->drawText(QPointF(x + m_left, y + m_top), text);
}

void MbPrint::lineDevice(double x1, double y1, double x2, double y2)
{
    m_source->drawLine(QPointF(x1 + m_left, y1 + m_top), QPointF(x2 + m_left, y2 + m_top));
}

} // namespace jvz
