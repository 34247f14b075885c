#include "app/SpdFile.h"
#include "platform/Printer.h"
#include "rules/report/ReportPrinters.h"
#include "rules/report/ReportTables.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The DDR4 report of a real module printed into a PDF file as the Print
// command does it: the tables refilled, the job started, both pages printed
// and the file written.
void BM_PrintDdr4ReportToPdf(benchmark::State& state)
{
    report::ReportSource doc;
    doc.caption = QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CPB.bin");
    const auto r = spdfile::read(doc.caption);
    for (std::size_t i = 0; i < r.bytes.size() && i < doc.image.size(); ++i)
        doc.image[i] = r.bytes[i];
    doc.image[2] = 12;
    doc.webAddress = QStringLiteral("https://www.velmora.example");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("ddr4.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        report::loadAllTables();
        platform::QtPrinter out(printer);
        if (!out.begin()) {
            state.SkipWithError("the PDF file cannot be written");
            break;
        }
        report::printReport(out, report::lineTables(), doc);
        if (!out.endDoc())
            state.SkipWithError("the PDF file was not finished");
    }
}
BENCHMARK(BM_PrintDdr4ReportToPdf)->Unit(benchmark::kMillisecond);

} // namespace
