#pragma once

// A paginated text report laid out in millimetres: a header printed just before the first line of each page, a
// footer at the bottom of each page, a page break when the next line would pass the bottom limit. The preview's
// pages are the printed page reduced, so both break at the same lines.

#include "core/PageSurface.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace jvz {

enum class EndDocMode { Print, Cancel };

class MbPrint {
public:
    // Set before StartDoc.
    QString Title;          // first header line
    QString Subject;        // second header line
    QImage SubjectIcon;     // drawn at the start of the second header line when not null
    QString Footer;         // footer text at the left
    QString PageLabel;      // word before the page number
    QString TitlePage;      // kept; the layout does not use it
    float TopMargin = 0;    // mm: origin of the vertical axis below the page top
    float LeftMargin = 0;   // mm
    float RightMargin = 0;  // mm
    float BottomMargin = 0; // mm
    float HeaderMargin = 0; // mm: the title line below the page top
    float FooterMargin = 0; // mm: the footer rule above the page bottom (plus the band)
    bool FrameVisible = false;
    int16_t ViewZoom = 0; // preview zoom in percent; 0 reads as 100

    // The date and time the footers show.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // Starts a document on the surface; orientation 2 is landscape (the preview's sheet only). False when the
    // device cannot be used; the caller then abandons the report.
    bool StartDoc(PageSurface& device, int orientation = 1);
    // Each given attribute replaces the current font's; the size is in points.
    void SetFont(std::optional<QString> name = std::nullopt, std::optional<double> size = std::nullopt,
                 std::optional<bool> bold = std::nullopt, std::optional<bool> italic = std::nullopt,
                 std::optional<bool> underline = std::nullopt);
    // Prints text at x (mm) on the current line, then moves down skipLines lines (0 stays on the line).
    void PrintLine(float x, const QString& text, int16_t skipLines = 1);
    // Prints text from x on as many lines as it needs to end inside the right margin, each line broken after
    // its last "/" or blank that fits (between characters when none does); the lines together hold the whole
    // text. Then moves down skipLines lines after the last.
    void PrintWrapped(float x, const QString& text, int16_t skipLines = 1);
    // When a block of this height (mm) does not fit below the current line, it starts on the next page.
    void SkipPage(float height);
    // The current vertical position in device millimetres below the top margin.
    float GetLinePos() const { return float(m_y); }
    void DrawHLine(float x1, float x2);
    void DrawBox(float x1, float y1, float x2, float y2);
    // A page that shows the layout: header, the body's box, footer.
    void PrintMargins();
    void EndDoc(EndDocMode mode = EndDocMode::Print);

    // Pages of the document so far (1 once started).
    int PageCount() const { return m_page; }
    PageSurface* Source() const { return m_source; }

    static constexpr double kPreviewFactor = 1.29;
    static constexpr double kTwipsPerMm = 56.7;

private:
    double conv(double v) const; // caller's mm or points to device units
    bool PrepareOutput(int orientation);
    void PrintHeader();
    void PrintFooter(bool last);
    void beginOutput(); // a pending page break and header, before anything is drawn
    void DrawPageFrame();
    void drawBoxDevice(double x1, double y1, double x2, double y2);
    void drawAt(double x, double y, const QString& text);
    void lineDevice(double x1, double y1, double x2, double y2);

    PageSurface* m_source = nullptr;
    double m_factor = 1.0;
    double m_pageHeight = 0;
    double m_pageWidth = 0;
    double m_top = 0, m_left = 0, m_right = 0, m_bottom = 0, m_headerMargin = 0, m_footerMargin = 0;
    double m_headerPos = 0;
    double m_footerPos = 0;
    double m_band = 0;
    double m_bottomLimit = 0;
    double m_rightLimit = 0;
    double m_x = 0; // current position, device mm from the top-left corner inside the margins
    double m_y = 0;
    int m_page = 0;
    bool m_headerPending = false;
    bool m_breakPending = false; // the page is full and has its footer; the next one starts when needed
    PrintFont m_savedFont;
};

} // namespace jvz
