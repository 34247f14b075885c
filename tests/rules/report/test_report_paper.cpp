// The reports on paper: with the faces the real printer uses, no description
// runs into the value beside it and nothing but a value leaves the page; on
// A4 the sizes are those asked for, the values stand in a straight column
// and the rules run across the report.

#include "platform/Printer.h"
#include "rules/report/ReportPrinters.h"
#include "ReportTestKit.h"
#include "platform/PdfTextKit.h"

#include <QPrinter>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reporttest;

TEST(ReportPaper, DescriptionsEndBeforeTheirValues)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("unused.pdf")));
    const platform::QtPrinter face(printer);
    report::loadAllTables();

    for (int byte2 : {4, 7, 8, 11, 12}) {
        SCOPED_TRACE(byte2);
        velmora::SpdImage img = selfNamingImage();
        img[2] = static_cast<std::uint8_t>(byte2);
        RecordingPrinter rec;
        report::printReport(rec, report::lineTables(), source(img, QStringLiteral("/a/rather long file name.spd")));
        // Trailing blanks print as nothing.
        auto width = [&](const PrintedText& t) {
            QString text = t.text;
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            return face.textWidth(text, t.fontSize, t.bold, t.italic, t.face);
        };
        int values = 0;
        for (const PrintedText& t : rec.texts) {
            if (t.x == 0) {
                EXPECT_LE(width(t), platform::Printer::kPageWidth) << t.text.toStdString();
                continue;
            }
            if (t.text == QLatin1String("HEX") || t.text.startsWith(QLatin1String("PAGE")) ||
                t.text.startsWith(QLatin1String("www.")))
                continue;
            ++values;
            const PrintedText* row = besideOf(rec.texts, t);
            ASSERT_NE(row, nullptr) << t.text.toStdString();
            // At least a blank between them.
            EXPECT_LT(width(*row) + 50, t.x) << row->text.toStdString() << " | " << t.text.toStdString();
        }
        EXPECT_GT(values, 40);
    }
}

TEST(ReportPaper, OnA4SizesAsAskedValuesInAStraightColumnRulesAcross)
{
    REQUIRE_PDF_TOOLS();
    QTemporaryDir dir;
    report::loadAllTables();
    // Even bytes 0xDD, odd bytes 0x00: every value is letters or digits, and
    // the long ones are half letters.
    velmora::SpdImage img{};
    for (std::size_t i = 0; i < img.size(); i += 2)
        img[i] = 0xDD;
    static const QRegularExpression value(QStringLiteral("^[0-9A-F]+$"));
    // The part number of the SDRAM, DDR and DDR2 reports prints its bytes
    // as characters.
    const QString partNumber = QStringLiteral(" \u00DD \u00DD \u00DD \u00DD \u00DD \u00DD \u00DD \u00DD \u00DD");

    struct Case {
        int byte2;
        int webSize;
        int pages;
    };
    for (const Case c : {Case{4, 8, 1}, Case{7, 8, 1}, Case{8, 8, 1}, Case{11, 8, 1}, Case{12, 11, 2}}) {
        SCOPED_TRACE(c.byte2);
        img[2] = static_cast<std::uint8_t>(c.byte2);
        const QString pdf = dir.filePath(QStringLiteral("r%1.pdf").arg(c.byte2));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        platform::QtPrinter out(printer);
        ASSERT_TRUE(out.begin());
        report::printReport(out, report::lineTables(), source(img));
        ASSERT_TRUE(out.endDoc());
        ASSERT_EQ(pdftext::pageCount(pdf), c.pages);

        // The web address at its size, everything else at 12 points:
        // descriptions in the narrow face, values in the monospaced one.
        for (const auto& r : pdftext::runs(pdf)) {
            const bool web = r.text.contains(QLatin1String("www.example.test"));
            EXPECT_EQ(r.size, web ? c.webSize : 12) << r.text.toStdString();
            const bool isValue = value.match(r.text.trimmed()).hasMatch() || r.text == partNumber;
            EXPECT_EQ(r.family.toStdString(), isValue ? "LiberationMono" : "LiberationSansNarrow")
                << r.text.toStdString();
        }

        // Every one-byte value ends at 10500 + 2 x 113 = 10726 twips, 10 +
        // 536.3 points on A4. A longer value is as wide as its digits, 113
        // twips (5.65 points) each, letters or not, so it ends where its
        // place was chosen for: within 81 twips (4.05 points) of that edge
        // (the DDR4 part number, 40 digits from 6125, ends at 10645; the
        // manufacturer's data of DDR and DDR2, 58 digits from 4220, at
        // 10774). Every rule runs from near the left edge to that edge,
        // past "HEX" above the values.
        const double edge = 10 + 10726 / 20.0;
        int oneByte = 0;
        int longer = 0;
        int rules = 0;
        double hexEnd = 0;
        static const QRegularExpression printed(QStringLiteral("^(DD|00|0[4-9A-C])+$"));  // byte 2 as well
        for (const auto& w : pdftext::words(pdf)) {
            if (w.text == QLatin1String("HEX"))
                hexEnd = w.xMax;
            if (printed.match(w.text).hasMatch()) {
                if (w.text.size() == 2) {
                    ++oneByte;
                    EXPECT_NEAR(w.xMax, edge, 0.1) << w.text.toStdString();
                } else {
                    ++longer;
                    EXPECT_NEAR(w.xMax - w.xMin, w.text.size() * 5.65, 0.1) << w.text.toStdString();
                    EXPECT_NEAR(w.xMax, edge, 4.1) << w.text.toStdString() << " from " << w.xMin;
                }
            } else if (w.text.startsWith(QLatin1String("-----"))) {
                ++rules;
                EXPECT_LT(w.xMin, 30.0);
                EXPECT_NEAR(w.xMax, edge, 0.2);
            }
        }
        EXPECT_GT(oneByte, 40);
        EXPECT_GE(longer, 3);
        EXPECT_EQ(rules, c.byte2 == 12 ? 1 : 3);
        EXPECT_GT(hexEnd, 500.0);
        EXPECT_LT(hexEnd, edge);

        // No ligatures: the descriptions read back letter for letter.
        const QString text = pdftext::run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        for (char16_t lig = 0xFB00; lig <= 0xFB06; ++lig)
            EXPECT_FALSE(text.contains(QChar(lig)));
        if (c.byte2 == 11) {
            EXPECT_TRUE(text.contains(QStringLiteral("CAS Latencies Supported, Least Significant Byte")));
        }
        if (c.byte2 == 12) {
            EXPECT_TRUE(text.contains(QStringLiteral("Fine Offset for SDRAM Minimum Cycle Time (tCKAVGmin)")));
        }
    }
}
