// The preview window: the report's pages, one at a time, with their navigation.
#include "core/MbPrint.h"
#include "core/ui/frmPrintPreview.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace jvz;

TEST(PrintPreview, ShowsEveryPageOfTheReport)
{
    frmPrintPreview preview;
    MbPrint report;
    report.Title = QStringLiteral("Preview");
    report.PageLabel = QStringLiteral("Page");
    report.TopMargin = 25;
    report.BottomMargin = 20;
    report.LeftMargin = 10;
    report.RightMargin = 10;
    ASSERT_TRUE(report.StartDoc(preview.surface()));
    report.SetFont(QStringLiteral("Courier New"), 10);
    for (int i = 0; i < 150; ++i)
        report.PrintLine(0, QStringLiteral("line %1").arg(i), 1);
    report.EndDoc();

    ASSERT_GT(report.PageCount(), 1);
    EXPECT_EQ(preview.pageCount(), report.PageCount());
    EXPECT_EQ(preview.currentPage(), 0);
    auto* previous = preview.findChild<QPushButton*>(QStringLiteral("CmdPrevious"));
    auto* next = preview.findChild<QPushButton*>(QStringLiteral("CmdNext"));
    EXPECT_FALSE(previous->isEnabled());
    next->click();
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_TRUE(previous->isEnabled());
    for (int i = 0; i < 10; ++i)
        next->click();
    EXPECT_EQ(preview.currentPage(), preview.pageCount() - 1);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(preview.findChild<QLabel*>(QStringLiteral("LblPageNumber"))->text(),
              QStringLiteral("%1 / %1").arg(preview.pageCount()));
    const QPixmap page = preview.findChild<QLabel*>(QStringLiteral("Picture1"))->pixmap();
    EXPECT_FALSE(page.isNull());
    // A preview page is an A4 sheet reduced by the preview's factor.
    EXPECT_NEAR(page.width(), 11909 / 56.7 / MbPrint::kPreviewFactor * PreviewPageSurface::kDotsPerMm, 1.0);
}
