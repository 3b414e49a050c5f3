// The page printer's layout on a recording surface: pagination, headers, footers and the preview's scale.
#include "RecordingSurface.h"
#include "core/MbPrint.h"

#include <gtest/gtest.h>

using namespace jvz;
using jvztest::RecordingSurface;

namespace {

// A 200 x 300 mm sheet; body lines of 5 mm. The body runs from 0 to the bottom limit
// 300 - 30 - 20 - 10 (band) = 240 mm, so exactly 48 lines fit on a page.
constexpr int kLinesPerPage = 48;

void setUpReport(MbPrint& p)
{
    p.Title = QStringLiteral("Report");
    p.Subject = QStringLiteral("Subject");
    p.Footer = QStringLiteral("footer text");
    p.PageLabel = QStringLiteral("Page");
    p.TopMargin = 30;
    p.LeftMargin = 10;
    p.RightMargin = 10;
    p.BottomMargin = 20;
    p.HeaderMargin = 5;
    p.FooterMargin = 5;
    p.now = [] { return QDateTime(QDate(2026, 12, 10), QTime(14, 3, 5)); };
}

void printLines(MbPrint& p, int count, float x = 0)
{
    p.SetFont(QStringLiteral("Courier New"), 10);
    for (int i = 1; i <= count; ++i)
        p.PrintLine(x, QStringLiteral("line %1").arg(i), 1);
}

// The page number each footer printed, in order.
QList<int> footerNumbers(const RecordingSurface& s)
{
    QList<int> numbers;
    for (const auto& op : s.ops) {
        if (op.kind == RecordingSurface::Op::Text && op.text.startsWith(QStringLiteral("Page  ")))
            numbers << op.text.mid(6).toInt();
    }
    return numbers;
}

int countTexts(const RecordingSurface& s, const QString& text)
{
    int n = 0;
    for (const auto& op : s.ops)
        n += op.kind == RecordingSurface::Op::Text && op.text == text ? 1 : 0;
    return n;
}

} // namespace

TEST(PrintPagination, PagesFooterNumbersAndNoBlankLastPage)
{
    struct Case {
        int lines;
        int pages;
    };
    const Case cases[] = {
        {0, 1}, // only the footer; the header waits for a line
        {1, 1},
        {kLinesPerPage, 1}, // exact fit: the last line ends on the bottom limit
        {kLinesPerPage + 1, 2},
        {2 * kLinesPerPage, 2},
        {2 * kLinesPerPage + 1, 3},
    };
    for (const Case& c : cases) {
        RecordingSurface s;
        MbPrint p;
        setUpReport(p);
        ASSERT_TRUE(p.StartDoc(s));
        printLines(p, c.lines);
        p.EndDoc();
        EXPECT_EQ(s.pages, c.pages) << c.lines;
        EXPECT_EQ(p.PageCount(), c.pages) << c.lines;
        QList<int> expected;
        for (int n = 1; n <= c.pages; ++n)
            expected << n;
        EXPECT_EQ(footerNumbers(s), expected) << c.lines;
        EXPECT_EQ(countTexts(s, QStringLiteral("Report")), c.lines > 0 ? c.pages : 0) << c.lines;
        // Every page holds body lines, the last one too.
        for (int page = 1; page <= c.pages && c.lines > 0; ++page)
            EXPECT_TRUE(s.textsOn(page).join('|').contains(QStringLiteral("line "))) << c.lines << " page " << page;
        EXPECT_EQ(s.finishes, 1);
        if (c.lines > kLinesPerPage) {
            EXPECT_EQ(s.findText(QStringLiteral("line %1").arg(kLinesPerPage + 1))->page, 2);
        }
    }
}

TEST(PrintPagination, LinesFallOnTheirRowsAndColumns)
{
    RecordingSurface s;
    MbPrint p;
    setUpReport(p);
    ASSERT_TRUE(p.StartDoc(s));
    p.SetFont(QStringLiteral("Courier New"), 10);
    p.PrintLine(0, QStringLiteral("label"), 0); // two columns of one line
    p.PrintLine(80, QStringLiteral("value"), 1);
    p.PrintLine(0, QStringLiteral("next"), 1);
    const auto* label = s.findText(QStringLiteral("label"));
    const auto* value = s.findText(QStringLiteral("value"));
    const auto* next = s.findText(QStringLiteral("next"));
    EXPECT_EQ(label->from, QPointF(10, 30)); // inside the left and top margins
    EXPECT_EQ(value->from, QPointF(90, 30));
    EXPECT_EQ(next->from, QPointF(10, 35));
    EXPECT_EQ(p.GetLinePos(), 10.0f);

    // The header above the body: title, rule, subject; its font does not stay.
    const auto* title = s.findText(QStringLiteral("Report"));
    EXPECT_EQ(title->from, QPointF(10, 5));
    EXPECT_TRUE(title->font.bold);
    EXPECT_EQ(title->font.size, 18);
    EXPECT_TRUE(s.findText(QStringLiteral("Subject"))->font.italic);
    EXPECT_EQ(label->font.name, QStringLiteral("Courier New"));
    p.EndDoc();

    // The footer: a rule at the footer position, text, date and page number on one line.
    const auto* footer = s.findText(QStringLiteral("footer text"));
    EXPECT_EQ(footer->from, QPointF(10, 300 - 5 - 10 + 0.5));
    EXPECT_EQ(footer->font.size, 12);
    const auto* page = s.findText(QStringLiteral("Page  1"));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->from, QPointF(10 + 170 * 9.0 / 10, footer->from.y()));
    EXPECT_EQ(countTexts(s, QLocale().toString(p.now(), QLocale::ShortFormat)), 1);
}

TEST(PrintPagination, ALineThatBreaksThePageKeepsItsColumn)
{
    RecordingSurface s;
    MbPrint p;
    setUpReport(p);
    ASSERT_TRUE(p.StartDoc(s));
    p.SetFont(QStringLiteral("Courier New"), 10);
    for (int i = 1; i < kLinesPerPage; ++i)
        p.PrintLine(0, QStringLiteral("filler"), 1);
    // A larger font no longer fits the last row: the line goes to the next page, in its own column.
    p.SetFont(std::nullopt, 12);
    p.PrintLine(40, QStringLiteral("indented"), 1);
    p.EndDoc();
    const auto* indented = s.findText(QStringLiteral("indented"));
    ASSERT_TRUE(indented);
    EXPECT_EQ(indented->page, 2);
    EXPECT_EQ(indented->from, QPointF(50, 30)); // 40 mm into the body, at its top
    EXPECT_EQ(footerNumbers(s), (QList<int>{1, 2}));
}

TEST(PrintPagination, SkipPageKeepsABlockTogether)
{
    struct Case {
        const char* what;
        int linesBefore;
        float block;
        int blockPage;
    };
    const Case cases[] = {
        {"fits exactly", kLinesPerPage - 5, 25, 1}, // 215 + 25 = 240: on the limit
        {"one millimetre too tall", kLinesPerPage - 5, 26, 2},
        {"at the top of the page", 0, 500, 1},             // taller than a page: no empty page
        {"right after a full page", kLinesPerPage, 30, 2}, // already on a new page: no second break
    };
    for (const Case& c : cases) {
        RecordingSurface s;
        MbPrint p;
        setUpReport(p);
        ASSERT_TRUE(p.StartDoc(s));
        printLines(p, c.linesBefore);
        p.SkipPage(c.block);
        p.PrintLine(0, QStringLiteral("block"), 1);
        p.EndDoc();
        EXPECT_EQ(s.findText(QStringLiteral("block"))->page, c.blockPage) << c.what;
        EXPECT_EQ(s.pages, c.blockPage) << c.what;
        EXPECT_EQ(footerNumbers(s).size(), s.pages) << c.what;
    }
}

TEST(PrintDocument, EndingCancelledStartFailedAndZoom)
{
    {
        RecordingSurface s;
        MbPrint p;
        setUpReport(p);
        ASSERT_TRUE(p.StartDoc(s));
        EXPECT_EQ(p.ViewZoom, 100); // 0 reads as 100
        printLines(p, 3);
        p.EndDoc(EndDocMode::Cancel);
        EXPECT_EQ(s.aborts, 1);
        EXPECT_EQ(s.finishes, 0);
        EXPECT_TRUE(footerNumbers(s).isEmpty());
    }
    {
        RecordingSurface s;
        s.beginSucceeds = false;
        MbPrint p;
        setUpReport(p);
        EXPECT_FALSE(p.StartDoc(s));
        p.PrintLine(0, QStringLiteral("nothing"), 1);
        p.EndDoc();
        EXPECT_TRUE(s.ops.isEmpty());
        EXPECT_EQ(s.finishes, 0);
    }
}

TEST(PrintDocument, RulesBoxesAndTheBodyFrame)
{
    RecordingSurface s;
    MbPrint p;
    setUpReport(p);
    p.FrameVisible = true;
    ASSERT_TRUE(p.StartDoc(s));
    p.SetFont(QStringLiteral("Courier New"), 10);
    p.PrintLine(0, QStringLiteral("x"), 1);
    const int before = int(s.ops.size());
    p.DrawHLine(5, 50);
    p.DrawBox(0, 10, 20, 30);
    p.EndDoc();
    using Op = RecordingSurface::Op;
    const QList<Op> drawn = s.ops.mid(before, 5);
    ASSERT_EQ(drawn.size(), 5);
    EXPECT_EQ(drawn[0].from, QPointF(15, 35));
    EXPECT_EQ(drawn[0].to, QPointF(60, 35));
    const QPointF box[4][2] = {{{10, 40}, {30, 40}}, {{10, 60}, {30, 60}}, {{10, 40}, {10, 60}}, {{30, 40}, {30, 60}}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(drawn[i + 1].from, box[i][0]) << i;
        EXPECT_EQ(drawn[i + 1].to, box[i][1]) << i;
    }
    // The header framed the body: from its top-left corner to the right and bottom limits.
    bool framed = false;
    for (const Op& op : s.ops)
        framed = framed || (op.kind == Op::Line && op.from == QPointF(10, 30) && op.to == QPointF(10 + 170, 30));
    EXPECT_TRUE(framed);
}

TEST(PrintDocument, PreviewIsThePrintedPageReduced)
{
    RecordingSurface printer;
    RecordingSurface preview(SurfaceKind::Preview);
    for (RecordingSurface* s : {&printer, &preview}) {
        MbPrint p;
        setUpReport(p);
        ASSERT_TRUE(p.StartDoc(*s, 1));
        printLines(p, 60);
        p.EndDoc();
    }
    const double f = MbPrint::kPreviewFactor;
    EXPECT_NEAR(preview.pageSizeMm().width(), 11909 / 56.7 / f, 1e-9);
    EXPECT_NEAR(preview.pageSizeMm().height(), 16834 / 56.7 / f, 1e-9);
    const auto* first = preview.findText(QStringLiteral("line 1"));
    EXPECT_NEAR(first->from.x(), 10 / f, 1e-9);
    EXPECT_NEAR(first->from.y(), 30 / f, 1e-9);
    EXPECT_NEAR(first->font.size, 10 / f, 1e-9);
    EXPECT_NEAR(preview.findText(QStringLiteral("Report"))->font.size, 18 / f, 1e-9);

    RecordingSurface landscape(SurfaceKind::Preview);
    MbPrint p;
    setUpReport(p);
    p.ViewZoom = 50;
    ASSERT_TRUE(p.StartDoc(landscape, 2));
    EXPECT_NEAR(landscape.pageSizeMm().width(), 16834 / 56.7 / f / 2, 1e-9);
    p.EndDoc();
}

TEST(PrintDocument, LayoutPageAndSubjectIcon)
{
    RecordingSurface s;
    MbPrint p;
    setUpReport(p);
    QImage icon(150, 75, QImage::Format_RGB32); // 15 x 7.5 mm at 10 dots a millimetre
    icon.setDotsPerMeterX(10000);
    icon.setDotsPerMeterY(10000);
    p.SubjectIcon = icon;
    ASSERT_TRUE(p.StartDoc(s));
    p.PrintMargins();
    EXPECT_EQ(s.finishes, 1);
    EXPECT_EQ(s.pages, 1);
    EXPECT_EQ(footerNumbers(s), QList<int>{1});
    using Op = RecordingSurface::Op;
    const Op* image = nullptr;
    for (const Op& op : s.ops)
        image = op.kind == Op::Image ? &op : image;
    ASSERT_TRUE(image);
    EXPECT_NEAR(image->to.x() - image->from.x(), 10, 1e-9); // two thirds of its natural width
    EXPECT_NEAR(image->to.y() - image->from.y(), 5, 1e-9);
    EXPECT_NEAR(s.findText(QStringLiteral("Subject"))->from.x(), 10 + 10, 1e-9); // the subject after the icon
    // The body's box: from its top-left corner to the right limit and the bottom limit.
    bool boxed = false;
    for (const Op& op : s.ops)
        boxed = boxed || (op.kind == Op::Line && op.from == QPointF(10, 30 + 240) && op.to == QPointF(180, 270));
    EXPECT_TRUE(boxed);
}
