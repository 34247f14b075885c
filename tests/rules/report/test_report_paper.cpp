// The reports on paper: with the face the real printer uses, no description
// runs into the value beside it and nothing but a value leaves the page.

#include "platform/Printer.h"
#include "rules/report/ReportPrinters.h"
#include "ReportTestKit.h"

#include <QPrinter>
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
            return face.textWidth(text, t.fontSize, t.bold, t.italic);
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
