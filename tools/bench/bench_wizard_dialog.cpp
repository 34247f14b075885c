#include "state/Globals.h"
#include "wizard/Frmwarez1.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <benchmark/benchmark.h>

namespace {

// The SPD wizard made, shown and walked through its five pages to "Finish"
// (DDR4, the longest lists).
void BM_WizardDialogRun(benchmark::State& state)
{
    velmora::resetProgramState();
    for (auto _ : state) {
        velmora::gs().wizardAnswers.fill(0);
        auto* d = new Frmwarez1;
        d->show();
        QApplication::processEvents();
        d->optRamType(4)->click();
        for (int i = 0; i < 4; ++i) {
            d->Command3()->click();
            QApplication::processEvents();
        }
        d->Command4()->click();
        QApplication::processEvents();
        state.PauseTiming();
        delete d;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    velmora::resetProgramState();
}
BENCHMARK(BM_WizardDialogRun)->Unit(benchmark::kMillisecond);

} // namespace
