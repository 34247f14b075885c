#include "state/Globals.h"
#include "app/SpdFile.h"
#include "document/frmDocument.h"

#include <QApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {

std::vector<std::uint8_t> ddr4Image()
{
    const auto r = spdfile::read(QStringLiteral(VELMORA_CORPUS "/memtest86plus_DDR4-M393A1G40EB1-CPB.bin"));
    if (r.ok)
        return r.bytes;
    std::vector<std::uint8_t> img(512, 0);
    img[2] = 12;
    return img;
}

// One typed byte in a DDR4 document: store, CRC, decode of all 512 bytes and
// the captions, with the window shown.
void BM_TypedByteDdr4(benchmark::State& state)
{
    velmora::resetProgramState();
    velmora::gs().passwordMode = -1;
    frmDocument doc;
    doc.Form_Load();
    doc.setWindowTitle(QStringLiteral("bench"));
    spdfile::fillDocument(doc, ddr4Image());
    doc.show();
    QApplication::processEvents();
    doc.spd_l_value_Click(320);
    int v = 0;
    for (auto _ : state) {
        doc.Text1()->setText(QString::number(v++ & 0xFF, 16));
        doc.Text1_KeyDown(Qt::Key_Return);
        if (doc.byteCursor() > 340)
            doc.spd_l_value_Click(320);
        QApplication::processEvents();
    }
    doc.Set_form_chang(0);
}
BENCHMARK(BM_TypedByteDdr4)->Unit(benchmark::kMillisecond);

// Creating, loading and showing one document window.
void BM_CreateAndShowDocument(benchmark::State& state)
{
    velmora::resetProgramState();
    velmora::gs().passwordMode = -1;
    for (auto _ : state) {
        auto* doc = new frmDocument;
        doc->Form_Load();
        doc->setWindowTitle(QStringLiteral("SPD_File 1"));
        doc->show();
        QApplication::processEvents();
        state.PauseTiming();
        delete doc;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateAndShowDocument)->Unit(benchmark::kMillisecond);

} // namespace
