// "Write =>" of a DDR4 image at real speed against the simulated
// programmer: the time it takes beyond its prescribed waits (1 s settings,
// 2 x 1 s status, 32 x 180 ms packets, 2 x 3 s read-back). Limit: 1 s.

#include "ProgrammerSim.h"
#include "state/Globals.h"
#include "app/frmMain.h"
#include "device/DocumentPanels.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "platform/SettingsStore.h"
#include "platform/Ui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

class OkSeam : public ui::QtSeam {
public:
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
};

void BM_Ddr4WriteBeyondItsWaits(benchmark::State& state)
{
    QTemporaryDir dir;
    settings::useFile(dir.filePath(QStringLiteral("s.ini")));
    OkSeam seam;
    ui::setSeam(&seam);
    vclock::clock().setSpeed(1);
    // A clock standing at a whole second: every whole-second wait lasts its
    // full N seconds, as the prescribed waits count them.
    vclock::clock().setFixedNow(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
    sim::ProgrammerSim device(1);
    if (!device.start()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    qputenv("VELMORA_COM1", device.devicePath().toLocal8Bit());
    velmora::resetProgramState();
    velmora::gs().passwordMode = -1;
    {
        frmMain w;
        w.MSComm1()->setCommPort(1);
        w.MSComm1()->setPortOpen(true);
        w.show();
        frmDocument* doc = w.NewDocumentWindow();
        vclock::waitUntil([&] { return !w.Timer2()->isActive(); }, 10000);
        for (int i = 0; i < 512; ++i) {
            doc->Value_Chang(i, (i * 13 + 5) & 0xFF);
            doc->table_chang(i);
        }
        doc->Value_Chang(2, 12);
        const double prescribed = 1 + 2 + 32 * 0.18 + 2 * 3;
        for (auto _ : state) {
            QElapsedTimer t;
            t.start();
            device::devicePanels(doc)->Command1->click();
            state.counters["beyond_waits_s"] = static_cast<double>(t.elapsed()) / 1000.0 - prescribed;
        }
        doc->Set_form_chang(0);
    }
    ui::setSeam(nullptr);
    settings::useFile(QString());
    vclock::clock().clearFixedNow();
    qunsetenv("VELMORA_COM1");
}
BENCHMARK(BM_Ddr4WriteBeyondItsWaits)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
