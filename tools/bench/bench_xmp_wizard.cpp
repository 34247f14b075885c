// The XMP wizard: encoding one profile, from the rules alone and from the
// dialog's controls.

#include "state/Globals.h"
#include "app/SpdFile.h"
#include "editors/frmxmp_wiz.h"
#include "rules/editors/XmpBlock.h"

#include <QComboBox>
#include <benchmark/benchmark.h>

namespace {

velmora::SpdImage corpusImage(const char* name, int type)
{
    velmora::SpdImage img{};
    const auto r = spdfile::read(QStringLiteral(VELMORA_CORPUS "/") + QString::fromLatin1(name));
    if (r.ok)
        std::copy_n(r.bytes.begin(), std::min<std::size_t>(r.bytes.size(), img.size()), img.begin());
    img[2] = static_cast<std::uint8_t>(type);
    return img;
}

void BM_EncodeDdr4Profile(benchmark::State& state)
{
    velmora::SpdImage img = corpusImage("memtest86plus_DDR4-M393A1G40EB1-CRC.bin", 12);
    xmp::ddr4::Choice c;
    c.grade = 5;
    c.volts = 1;
    c.hundredths = 35;
    c.cas[11] = true;
    c.clocks = {18, 18, 18, 39, 62};
    for (auto _ : state) {
        const xmp::Result r = xmp::ddr4::writeProfile(img, 1, c);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(img);
    }
}
BENCHMARK(BM_EncodeDdr4Profile)->Unit(benchmark::kMicrosecond);

void BM_EncodeDdr3Profile(benchmark::State& state)
{
    velmora::SpdImage img = corpusImage("memtest86plus_DDR3-9905403-440.A00LF.bin", 11);
    xmp::ddr3::Choice c;
    c.grade = 3;
    c.volts = 1;
    c.steps = 13;
    c.cas[7] = true;
    c.clocks = {11, 11, 11, 29, 36};
    for (auto _ : state) {
        const xmp::Result r = xmp::ddr3::writeProfile(img, 2, c);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(img);
    }
}
BENCHMARK(BM_EncodeDdr3Profile)->Unit(benchmark::kMicrosecond);

// One profile from the DDR4 panel's controls into the shared buffer.
void BM_WizardProfileFromControls(benchmark::State& state)
{
    velmora::resetProgramState();
    velmora::gs().sharedSpd = corpusImage("memtest86plus_DDR4-M393A1G40EB1-CRC.bin", 12);
    velmora::gs().currentMemoryType = 12;
    frmxmp_wiz w;
    w.SPEED()->setCurrentIndex(5);
    for (auto _ : state) {
        const xmp::Result r = w.PROFILE1_SETUP();
        benchmark::DoNotOptimize(r);
    }
    velmora::resetProgramState();
}
BENCHMARK(BM_WizardProfileFromControls)->Unit(benchmark::kMicrosecond);

} // namespace
