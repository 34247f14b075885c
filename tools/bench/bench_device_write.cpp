// The prompt path at real speed against the simulated programmer: the time
// an operation takes beyond its prescribed waits.
// - "Write =>" of a DDR4 image (1 s settings, 2 x 1 s status, 32 x 180 ms
//   packets, 2 x 3 s read-back). Limit: 1 s.
// - "<= Load Tester" of a DDR4 image (2 x 3 s). Limit: 0.1 s.

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
#include <functional>

namespace {

class OkSeam : public ui::QtSeam {
public:
    ui::Answer message(QWidget*, const ui::Message&) override { return ui::Answer::Ok; }
};

// Runs `work` on a DDR4 document of a main window whose port is the
// simulated programmer, at real speed, and reports its time beyond
// `prescribed` seconds.
void beyondWaits(benchmark::State& state, double prescribed, const std::function<void(frmDocument*)>& work)
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
        device.setBuffer([] {
            sim::Bytes512 b{};
            b[2] = 12;
            return b;
        }());
        for (auto _ : state) {
            QElapsedTimer t;
            t.start();
            work(doc);
            state.counters["beyond_waits_s"] = static_cast<double>(t.elapsed()) / 1000.0 - prescribed;
        }
        doc->Set_form_chang(0);
    }
    ui::setSeam(nullptr);
    settings::useFile(QString());
    vclock::clock().clearFixedNow();
    qunsetenv("VELMORA_COM1");
}
void BM_Ddr4WriteBeyondItsWaits(benchmark::State& state)
{
    beyondWaits(state, 1 + 2 + 32 * 0.18 + 2 * 3, [](frmDocument* doc) { device::devicePanels(doc)->Command1->click(); });
}
BENCHMARK(BM_Ddr4WriteBeyondItsWaits)->Unit(benchmark::kSecond)->Iterations(1);

void BM_TesterReadBeyondItsWaits(benchmark::State& state)
{
    beyondWaits(state, 2 * 3, [](frmDocument* doc) { device::devicePanels(doc)->Command2->click(); });
}
BENCHMARK(BM_TesterReadBeyondItsWaits)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
