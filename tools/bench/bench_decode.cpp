#include "state/Globals.h"
#include "app/SpdFile.h"
#include "rules/decode/SummaryRules.h"
#include "document/frmDocument.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

velmora::SpdImage corpusImage(const char* name, int byte2)
{
    velmora::SpdImage img{};
    const auto r = spdfile::read(QStringLiteral(VELMORA_CORPUS "/") + QLatin1String(name));
    if (r.ok)
        std::copy_n(r.bytes.begin(), std::min<std::size_t>(r.bytes.size(), img.size()), img.begin());
    else
        img[2] = static_cast<std::uint8_t>(byte2);
    return img;
}

// The rules alone: every caption of a DDR4 image, bytes 0 to 511.
void BM_Ddr4RulesAllBytes(benchmark::State& state)
{
    const auto img = corpusImage("memtest86plus_DDR4-M393A1G40EB1-CRC.bin", 12);
    for (auto _ : state)
        for (int A = 0; A < 512; ++A)
            benchmark::DoNotOptimize(decode::ddr4Rules(img, A));
}
BENCHMARK(BM_Ddr4RulesAllBytes)->Unit(benchmark::kMicrosecond);

void BM_Ddr2RulesAllBytes(benchmark::State& state)
{
    const auto img = corpusImage("memtest86plus_DDR2-2G-UDIMM.bin", 8);
    for (auto _ : state)
        for (int A = 0; A < 512; ++A)
            benchmark::DoNotOptimize(decode::ddr2Rules(img, A));
}
BENCHMARK(BM_Ddr2RulesAllBytes)->Unit(benchmark::kMicrosecond);

// A document's decode of all 512 bytes of a DDR4 image: the dispatch, the
// rules and the captions of the shown panel.
void BM_Ddr4DecodeAllBytesInWindow(benchmark::State& state)
{
    velmora::resetProgramState();
    velmora::gs().passwordMode = -1;
    frmDocument doc;
    doc.Form_Load();
    const auto img = corpusImage("memtest86plus_DDR4-M393A1G40EB1-CRC.bin", 12);
    spdfile::fillDocument(doc, std::vector<std::uint8_t>(img.begin(), img.end()));
    doc.show();
    QApplication::processEvents();
    for (auto _ : state)
        for (int A = 0; A < 512; ++A)
            doc.ddr4_table_chang(A);
    doc.Set_form_chang(0);
}
BENCHMARK(BM_Ddr4DecodeAllBytesInWindow)->Unit(benchmark::kMicrosecond);

} // namespace
