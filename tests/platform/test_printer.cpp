#include "platform/Printer.h"
#include "platform/PdfTextKit.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::Printer;
using platform::RecordingPrinter;

TEST(RecordingPrinter, PrintEndsTheLineAndPagesBreak)
{
    RecordingPrinter p;
    p.setFontSize(11);
    p.setFontItalic(true);
    p.setForeColor(0xFF0000);
    p.setCurrentX(8500);
    p.setCurrentY(200);
    p.print(QStringLiteral("head"));
    EXPECT_EQ(p.currentX(), 0);
    EXPECT_EQ(p.currentY(), 420);  // one line of 11 points
    p.setFontSize(12);
    p.setFontItalic(false);
    p.print(QString());  // only ends the line
    EXPECT_EQ(p.currentY(), 660);
    ASSERT_EQ(p.texts.size(), 2u);
    const auto& a = p.texts[0];
    EXPECT_TRUE(a.text == QStringLiteral("head") && a.x == 8500 && a.y == 200 && a.fontSize == 11 && a.italic &&
                !a.bold && a.colour == 0xFF0000u && a.page == 1);

    // A line that would end below the page goes to the top of the next.
    p.setCurrentY(Printer::kPageHeight - 240);
    p.print(QStringLiteral("last"));
    p.setCurrentX(300);
    p.print(QStringLiteral("overflow"));
    EXPECT_EQ(p.texts[2].page, 1);
    EXPECT_TRUE(p.texts[3].page == 2 && p.texts[3].y == 0 && p.texts[3].x == 300);
    p.setCurrentX(700);
    p.newPage();
    EXPECT_TRUE(p.page() == 3 && p.currentX() == 0 && p.currentY() == 0 && p.pagesStarted == 3);
    EXPECT_TRUE(p.endDoc());
}

TEST(QtPrinter, TheLayoutPageFitsAnyPaper)
{
    REQUIRE_PDF_TOOLS();
    QTemporaryDir dir;
    for (const auto& size : {QPageSize(QPageSize::A4), QPageSize(QPageSize::A5), QPageSize(QPageSize::Letter),
                             QPageSize(QPageSize::A3)}) {
        SCOPED_TRACE(size.key().toStdString());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(size.key() + QStringLiteral(".pdf")));
        printer.setPageSize(size);
        platform::QtPrinter out(printer);
        // Digits are as wide as the value columns were laid out for.
        EXPECT_NEAR(out.textWidth(QStringLiteral("0123456789"), 12, false, false), 1130.0, 20.0);
        ASSERT_TRUE(out.begin());
        out.print(QStringLiteral("TOPLEFT"));
        out.setCurrentX(3500);
        out.setCurrentY(Printer::kPageHeight - 480);
        out.print(QString(64, QLatin1Char('0')));
        out.setCurrentX(10500);
        out.print(QStringLiteral("00"));
        out.newPage();
        out.print(QStringLiteral("SECOND"));
        out.setCurrentX(3500);
        out.print(QString(64, QLatin1Char('D')));  // wider than the room left
        ASSERT_TRUE(out.endDoc());

        std::vector<std::pair<double, double>> pages;
        const auto w = pdftext::words(printer.outputFileName(), &pages);
        ASSERT_EQ(pages.size(), 2u);
        ASSERT_EQ(w.size(), 5u);
        EXPECT_TRUE(w[0].text == QStringLiteral("TOPLEFT") && w[3].text == QStringLiteral("SECOND") && w[3].page == 2);
        const QMarginsF m = printer.pageLayout().margins(QPageLayout::Point);
        for (const auto& word : w) {
            const auto [pw, ph] = pages[static_cast<std::size_t>(word.page - 1)];
            EXPECT_GE(word.xMin, m.left() - 0.5) << word.text.toStdString();
            EXPECT_LE(word.xMax, pw - m.right() + 0.5) << word.text.toStdString();
            EXPECT_LE(word.yMax, ph - m.bottom() + 0.5) << word.text.toStdString();
        }
        // The 64-digit value and the one-byte value end at the same right
        // edge, within a tenth of a digit.
        EXPECT_NEAR(w[1].xMax, w[2].xMax, (w[2].xMax - w[2].xMin) / 20);
    }
}
